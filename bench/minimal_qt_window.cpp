// The floor for the Linux program's start-up and memory: the least a Qt 6 Widgets program does to show a
// window of the same size (472 x 502) at the screen's top-left corner and paint it, in the age labels'
// light blue so that the same first-paint detector sees it.
//
// Built a second time as minimal_qt_timer_window with TOLVANE_EMPTY_TIMER: the same window with a 200 ms
// timer that does nothing, the floor for the program's idle CPU (its docking step ticks every 200 ms).
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class MinimalWindow final : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0xC0, 0xC0, 0xFF)); }
};

} // namespace

int main(int argc, char** argv) {
    const QApplication application(argc, argv);
    MinimalWindow window;
    window.setWindowTitle("minimal");
    window.resize(472, 502);
    window.move(0, 0);
    window.show();
#ifdef TOLVANE_EMPTY_TIMER
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start(200);
#endif
    return QApplication::exec();
}
