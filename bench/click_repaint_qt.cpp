// click_repaint_qt N: the Linux program's real window, in this process, clicked N times in turn on "2.5岁"
// and "1月" (each click rewrites the 25 age labels' colours and the five display captions); for each click
// the time from sending the button's press to the end of the paint event that redraws the changed labels.
// Prints the median, the 90th percentile and the largest, in milliseconds.
//
// On Qt's offscreen platform by default (the paint goes into the window's backing store, as on X11, but
// is not sent to a server); with QT_QPA_PLATFORM=xcb on the display in DISPLAY, the end is when Qt has
// handed the frame to the X server.
#include "app/frmbzz.h"
#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QPoint centreOf(std::string_view name) {
    const tolvane::ControlDescription& control = *tolvane::findControl(tolvane::Frmbzz, name);
    return {static_cast<int>(control.left + control.width / 2) / 15,
            static_cast<int>(control.top + control.height / 2) / 15};
}

// Counts the paint events the window has finished.
class PaintCounter final : public QObject {
  public:
    int finished = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            // Paint now, inside the filter, so that the count goes up only once the paint is done.
            watched->removeEventFilter(this);
            QCoreApplication::sendEvent(watched, event);
            watched->installEventFilter(this);
            ++finished;
            return true;
        }
        return false;
    }
};

void click(QWidget& window, QPoint at) {
    const QPointF local(at);
    const QPointF global = window.mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &release);
}

} // namespace

int main(int argc, char** argv) {
    const int clicks = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QApplication application(argc, argv);
    tolvane::qt::QtToolkit toolkit(tolvane::Frmbzz);
    QWidget& window = toolkit.window();
    window.show();
    PaintCounter paints;
    window.installEventFilter(&paints);
    QElapsedTimer settle;
    settle.start();
    while (paints.finished == 0 || settle.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    const QPoint targets[] = {centreOf("Label19"), centreOf("Label2")};
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(clicks));
    QElapsedTimer clock;
    for (int i = 0; i < clicks; ++i) {
        const int before = paints.finished;
        clock.start();
        click(window, targets[i % 2]);
        while (paints.finished == before) {
            QCoreApplication::processEvents();
        }
        samples.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::ranges::sort(samples);
    const auto at = [&](double q) {
        return samples[static_cast<std::size_t>(q * double(samples.size() - 1))];
    };
    std::printf("clicks=%d median_ms=%.3f p90_ms=%.3f max_ms=%.3f platform=%s\n", clicks, at(0.5), at(0.9),
                samples.back(), qPrintable(QGuiApplication::platformName()));
    return 0;
}
