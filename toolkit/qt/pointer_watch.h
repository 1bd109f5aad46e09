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
// X11 only: off X11 the layer asks Qt every time.
#pragma once

#include "toolkit/qt/x11_window.h"

#include <QPoint>
#include <functional>
#include <optional>

namespace tolvane::qt {

class PointerWatch final : private X11WindowListener {
  public:
    // At 200 ms a tick, a report missed is made up for within five seconds.
    static constexpr int kRecheckReadings = 25;

    // read asks the X server for the pointer (Qt's global logical pixels); tests count its calls.
    PointerWatch(X11Window& window, std::function<QPoint()> read);
    ~PointerWatch();
    PointerWatch(const PointerWatch&) = delete;
    PointerWatch& operator=(const PointerWatch&) = delete;

    // The pointer's position (Qt's global logical pixels).
    QPoint position();

    // The position the next reading gives without asking the server, if any (for tests).
    std::optional<QPoint> reading() const { return reading_; }

  private:
    void windowChanged(WindowChange change) override;
    void pointerReported(QPoint position) override;

    X11Window& window_;
    std::function<QPoint()> read_;
    std::optional<QPoint> reading_;
    int readingsKept_ = 0;
};

} // namespace tolvane::qt
