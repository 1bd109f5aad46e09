// Where the pointer is, for the docking step's question of whether it is over the window, without a round
// trip to the X server on every tick.
//
// The X server reports the pointer to the program whenever it moves over the window or the window
// manager's frame around it (which holds the title bar), and whenever it crosses into or out of either,
// also when the window moves or is mapped under a pointer at rest (x11_window.h decodes those events: XInput
// 2 motion and crossings that Qt selects on its own window, core ones the program selects on the frame).
// So the last position reported, or read, stands for where the pointer is: a pointer that rests on the
// window, or that has left it for elsewhere, is not asked about again. The window's own changes (moved,
// mapped, reframed) make the last reading taken away from it worthless, so the next one asks. And one
// reading in kRecheckReadings asks anyway, for reports that never reach the program (another client's
// pointer grab takes them).
//
// Under XWayland the server knows the pointer only while it is over an X window: gone onto a Wayland
// surface, it keeps the position where it left the window, inside it. The crossing out of the window and
// the pointer query's empty child say that it has gone; the position given is then one off the window.
// Until the compositor first gives XWayland the pointer, the server has it at the screen's centre, or
// where it last saw it over an X window that has gone since, and a window opening there is taken for one
// under the pointer, crossing and all: so there the pointer is taken to be on the window only once the
// server has had it moving, or somewhere other than where it first had it. (A compositor that gives XWayland
// the pointer puts it where the pointer is; one resting exactly on the stale place is taken for away until
// it moves.) And the window's own unmapping and mapping again, as when it is handed back to the manager,
// takes the pointer from XWayland until the compositor gives it back, which may take longer than a tick
// on a busy machine: until the server reports the pointer after the window is mapped again, it is not
// taken for gone. A compositor may draw the window's title bar itself, off the X server (KWin 6): a window
// moved under a resting pointer so that its title bar is there, as the revealed window at the top edge is,
// gets a crossing out at a place beyond its X windows. That place is where the pointer is, and it is taken
// to be so until the server reports the pointer moving or elsewhere.
//
// X11 only: off X11 the layer asks Qt every time.
#pragma once

#include "toolkit/qt/x11_window.h"

#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>

namespace tolvane::qt {

class PointerWatch final : private X11WindowListener {
  public:
    // At 200 ms a tick, a report missed is made up for within five seconds.
    static constexpr int kRecheckReadings = 25;
    // How many readings in a row must find the pointer gone while the server still has it inside the window
    // before the position given is one off it.
    static constexpr int kOffInsideReadings = 2;

    // read asks the X server for the pointer; tests count its calls.
    PointerWatch(X11Window& window, std::function<PointerReport()> read);
    ~PointerWatch();
    PointerWatch(const PointerWatch&) = delete;
    PointerWatch& operator=(const PointerWatch&) = delete;

    // The pointer's position (Qt's global logical pixels). window gives the window's outer rectangle, asked
    // for only when the server says the pointer is on none of the program's windows: a position the server
    // still holds inside it then gives, from the kOffInsideReadings-th reading in a row on, the point just
    // beyond its top-left corner.
    QPoint position(const std::function<QRect()>& window);

    // The report the next reading gives without asking the server, if any (for tests).
    std::optional<PointerReport> reading() const { return reading_; }

  private:
    void windowChanged(WindowChange change) override;
    void pointerReported(const PointerReport& report) override;
    void heard(const PointerReport& report);

    X11Window& window_;
    std::function<PointerReport()> read_;
    std::optional<PointerReport> reading_;
    int readingsKept_ = 0;
    std::optional<QPoint> firstHeard_;   // where the server first had the pointer
    bool heardElsewhere_ = false;        // whether it has had it moving, or elsewhere, since
    int offInside_ = 0;                  // readings in a row that found it gone, inside the window
    bool mapped_ = true;                 // whether the window is mapped, as far as the watch has heard
    bool reportedSinceMapped_ = true;    // whether the server has reported the pointer since it was mapped
    std::optional<QPoint> leftBehindAt_; // where the window moved away from under the pointer, since at rest
};

} // namespace tolvane::qt
