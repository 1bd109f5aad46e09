// The content floor for the Linux program's start-up and memory: the minimal window plus what any
// program showing this content must pay for, and nothing else. It decodes the same background JPEG,
// draws it, and draws a column of light-blue cells with captions in the same two Chinese faces, so that
// the same first-paint detector sees it. The faces come from the layer's own choice (labelFont), so the
// floor opens the very font files the program opens: Noto Serif CJK SC Bold for the Song face where it
// is installed, AR PL UKai for the Kai face.
#include "resources/pictures.h"
#include "toolkit/qt/label_font.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

// The program's two faces and sizes: its month captions and its bottom line.
const tolvane::Font kSong{.face = "宋体", .points = 12};
const tolvane::Font kLi{.face = "隶书", .points = 15.75F};

class ContentWindow final : public QWidget {
  public:
    ContentWindow() {
        const auto bytes = tolvane::pictureBytes(tolvane::Picture::Background);
        background_.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, background_);
        painter.setFont(tolvane::qt::labelFont(kSong));
        for (int row = 0; row < 13; ++row) {
            const QRect cell(16, 48 + 32 * row, 49, 25);
            painter.fillRect(cell, QColor(0xC0, 0xC0, 0xFF));
            painter.drawText(cell, Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8("%1月").arg(row + 1));
        }
        painter.setFont(tolvane::qt::labelFont(kLi));
        painter.drawText(QRect(16, 464, 441, 33), Qt::AlignHCenter | Qt::AlignTop,
                         QString::fromUtf8("快速查询表"));
    }

  private:
    QImage background_;
};

} // namespace

int main(int argc, char** argv) {
    const QApplication application(argc, argv);
    ContentWindow window;
    window.setWindowTitle("content floor");
    window.resize(472, 502);
    window.move(0, 0);
    window.show();
    return QApplication::exec();
}
