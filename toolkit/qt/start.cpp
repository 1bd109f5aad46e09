// startToolkit for Linux: picks the window system, creates the QApplication and runs the window.
#include "toolkit/start.h"

#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QByteArray>
#include <cstdlib>
#include <iostream>

namespace tolvane {

namespace {

constexpr int kExitNoDisplay = 2;

// The window opens at the screen's top-left corner and, to dock, polls the pointer wherever it is. A
// Wayland client can do neither: it may not place its own window nor read the pointer outside its own
// surfaces. So unless the user chose a platform, the program runs on X11 (Xwayland on a Wayland
// desktop).
bool chooseWindowSystem() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    if (qgetenv("QT_QPA_PLATFORM").startsWith("xcb") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::cerr << "tolvane: no X display to open the window on: DISPLAY is not set.\n"
                     "Start it from a desktop session, or on a virtual one with tools/screenshot.sh.\n";
        return false;
    }
    return true;
}

// Qt ends a program whose platform will not start (a display that does not answer) with abort(); say
// plainly what went wrong and end with an ordinary failure status instead.
void endOnFatalPlatformMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    std::cerr << "tolvane: " << message.toStdString() << '\n';
    if (type == QtFatalMsg) {
        std::cerr << "tolvane: cannot open the window on display \"" << qgetenv("DISPLAY").toStdString()
                  << "\".\n";
        std::_Exit(kExitNoDisplay);
    }
}

} // namespace

int startToolkit(const WindowDescription& window, int argc, char** argv) {
    if (!chooseWindowSystem()) {
        return kExitNoDisplay;
    }
    const QtMessageHandler previous = qInstallMessageHandler(endOnFatalPlatformMessage);
    const QApplication application(argc, argv);
    qInstallMessageHandler(previous);

    qt::QtToolkit toolkit(window);
    return toolkit.run();
}

} // namespace tolvane
