// The content floor for the Linux program's start-up and memory: the minimal window plus what any
// program showing this content must pay for, and nothing else. It decodes the same background JPEG,
// draws it, and draws a column of light-blue cells with captions in the same two Chinese faces (a Song
// face and a Kai face, bold), so that the same first-paint detector sees it.
#include "resources/pictures.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

QFont face(const QStringList& families, int pixels) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

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
        painter.setFont(face({"宋体", "SimSun", "AR PL UMing CN"}, 16));
        for (int row = 0; row < 13; ++row) {
            const QRect cell(16, 48 + 32 * row, 49, 25);
            painter.fillRect(cell, QColor(0xC0, 0xC0, 0xFF));
            painter.drawText(cell, Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8("%1月").arg(row + 1));
        }
        painter.setFont(face({"隶书", "LiSu", "AR PL UKai CN"}, 21));
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
