// The desktop's monitors as Qt last reported them, kept for the docking step, and what a change of them
// does to the window.
//  - the monitors: the primary screen and its virtual siblings (the monitors of the desktop the window is
//    on; RandR's monitors on X11), the primary first, in pixels from the primary's top-left corner; kept
//    from Qt's screen signals (screenAdded, screenRemoved, primaryScreenChanged, each screen's
//    geometryChanged), so that reading them on a tick makes no round trip and allocates nothing
//  - once the monitors have changed (unplugged, plugged in, rearranged, resolution changed): a window that
//    no monitor shows any more is moved onto the nearest one (placeOnDesktop, desktop.h). A window hidden
//    at an edge that is no longer an outer edge needs nothing here: the next tick finds it on the new
//    monitor, against no outer edge, and leaves it in view.
// Why a copy is kept: QGuiApplication::screens() is a shared list and QScreen::geometry() a stored value,
// so neither asks anything of the window system; but screens() also lists the monitors of other X
// screens, where coordinates start again at 0, and the primary's virtualSiblings(), the list that
// belongs to the window's desktop, is built anew on every call. So it is read once per change.
// Everything runs on the GUI thread; a QGuiApplication must exist before this object.
#pragma once

#include "toolkit/toolkit.h"

#include <QObject>
#include <QTimer>
#include <optional>

class QScreen;

namespace tolvane::qt {

// What a change of the monitors needs of the window, in pixels from the primary monitor's top-left corner.
class WindowOnDesktop {
  public:
    // The window's outer rectangle, as GetWindowRect reads it; nothing once the window is unloaded.
    virtual std::optional<RECT> windowRect() = 0;
    // Moves the window's outer top-left corner there, as a write of Left and Top would.
    virtual void moveOntoMonitor(POINT corner) = 0;
    // The monitors have just been read again; the window's own place is looked at a moment later.
    virtual void monitorsChanged() = 0;

  protected:
    ~WindowOnDesktop() = default;
};

class DesktopMonitors final {
  public:
    explicit DesktopMonitors(WindowOnDesktop& window);
    DesktopMonitors(const DesktopMonitors&) = delete;
    DesktopMonitors& operator=(const DesktopMonitors&) = delete;

    // The monitors as Qt last reported them; none (count 0) while Qt reports no screen.
    const DisplayMonitors& monitors() const { return monitors_; }

  private:
    void watch(QScreen* screen);
    // A signal said the monitors changed: they are read again at once, and the window is looked at once
    // Qt has told all of the change (one change comes as several signals).
    void changed();
    void read();
    void bringWindowBack();

    WindowOnDesktop& window_;
    DisplayMonitors monitors_;
    QTimer settled_;
    // The receiver of every connection to Qt's signals, which ends them all when this object goes.
    QObject connections_;
};

} // namespace tolvane::qt
