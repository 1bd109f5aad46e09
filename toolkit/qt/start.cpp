// startToolkit for Linux: picks the window system, creates the QApplication and runs the window.
#include "toolkit/start.h"

#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QByteArray>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <xcb/xcb.h>

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

// True while the QApplication is being made: a fatal message then means the display would not open.
std::atomic<bool> startingPlatform{false};

// Whether the connection to the X server, once made, is broken: the server went away or closed it.
bool displayConnectionBroken() {
    if (startingPlatform || qGuiApp == nullptr) {
        return false;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr && x11->connection() != nullptr && xcb_connection_has_error(x11->connection()) != 0;
}

std::string displayName() {
    return '"' + qgetenv("DISPLAY").toStdString() + '"';
}

// Qt ends a program whose display will not open with abort(), a core dump; and one whose display goes
// away while it runs from deep inside its event handling, with exit() (Qt 6.4) or abort() (later
// versions), each after a message. Say plainly what went wrong and end at once with an ordinary failure
// status instead: there is nothing to save, and nothing of the window to tidy up without its display.
// Whatever else Qt reports is passed on; its other fatal messages still end the program as Qt does.
void reportQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    std::cerr << "tolvane: " << message.toStdString() << '\n';
    if (displayConnectionBroken()) {
        std::cerr << "tolvane: lost the connection to display " << displayName()
                  << ": the X server went away, and the window with it.\n";
        std::_Exit(kExitNoDisplay);
    }
    if (type == QtFatalMsg && startingPlatform) {
        std::cerr << "tolvane: cannot open the window on display " << displayName() << ".\n";
        std::_Exit(kExitNoDisplay);
    }
}

} // namespace

int startToolkit(const WindowDescription& window, int argc, char** argv) {
    if (!chooseWindowSystem()) {
        return kExitNoDisplay;
    }
    qInstallMessageHandler(reportQtMessage);
    // The window's class (WM_CLASS) and the desktop entry it belongs to, whatever the program file is
    // called: the taskbar finds the program's icon through them.
    QCoreApplication::setApplicationName(QStringLiteral("tolvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tolvane.Tolvane"));
    startingPlatform = true;
    // A write to an X server that has gone must fail and be reported as its loss, not end the program
    // silently by SIGPIPE.
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
    const QApplication application(argc, argv);
    startingPlatform = false;

    qt::QtToolkit toolkit(window);
    return toolkit.run();
}

} // namespace tolvane
