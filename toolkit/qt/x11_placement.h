// Where the top-level window is on an X11 screen, and putting it elsewhere, under any window manager.
//  - the outer rectangle (frame included while a manager frames the window), kept from the events the X
//    server sends (ConfigureNotify, the manager's synthetic ones, ReparentNotify, _NET_FRAME_EXTENTS), so
//    that reading it at rest costs no round trip
//  - a move of one written coordinate: through the manager (_NET_MOVERESIZE_WINDOW), or without one by
//    the X server itself
//  - a window manager that refuses to put the window off the screen (mutter, xfwm4, openbox keep some or
//    all of it in view): learnt from a move it did not carry out, the window is then withdrawn from the
//    manager and shown unmanaged (override-redirect) at the off-screen place, and handed back to the
//    manager when it is moved onto the screen again
//
// Qt takes a top-level window to be where it last asked for it until the X server reports otherwise, and
// a window manager that refuses a move reports nothing, so the layer keeps its own copy of the server's
// word. All of this is X11 only: off X11 (Qt's offscreen or Wayland platform) forWindow gives nothing and
// the layer takes Qt's word and moves the window through Qt.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QRect>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QWidget;
struct xcb_connection_t;

namespace tolvane::qt {

class X11Placement final : public QAbstractNativeEventFilter {
  public:
    // The window's placement on X11, or nothing off X11. The window must outlive it.
    static std::unique_ptr<X11Placement> forWindow(QWidget& window);
    X11Placement(QWidget& window, xcb_connection_t* connection);
    ~X11Placement() override;
    X11Placement(const X11Placement&) = delete;
    X11Placement& operator=(const X11Placement&) = delete;

    // The outer rectangle in Qt's global logical pixels. While the window is hidden unmanaged it is where
    // the window was put, with the frame it had while managed; and a position the manager moved by at
    // most one pixel to keep the window on the screen reads as the one asked for, so that what is
    // written reads back unchanged.
    QRect outerRect();

    // Moves the outer rectangle's left or top edge (whichever is given, global logical pixels); the
    // other coordinate is left to where the window is.
    void move(std::optional<int> left, std::optional<int> top);

    // Whether the window is shown unmanaged now (for tests and the README's table).
    bool unmanaged() const { return mode_ != Mode::Managed; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    enum class Mode : std::uint8_t {
        Managed,     // the manager's window, or the server's alone where no manager runs
        Withdrawing, // unmapped and withdrawn; waiting for the manager to give it back to the root
        Unmanaged,   // override-redirect, mapped where it was put
    };

    std::uint32_t windowId() const;
    // Reads the client rectangle and the frame from the server after an event changed them.
    void refresh();
    QRect measuredOuter();
    bool beyondScreens(const QRect& outer) const;
    // The manager did not carry out the same off-screen move asked for on earlier ticks.
    bool refusedAgain(const QRect& target);
    void askManager(const QRect& target, bool moveX, bool moveY);
    void withdraw(const QRect& target);
    // The manager has let go of the window: shown unmanaged, or handed back at once if it was revealed
    // meanwhile.
    void finishWithdrawal();
    void showUnmanaged();
    void handBack(const QRect& target);
    // Where the frameless client goes so that the side left on the screen shows its own pixels.
    QRect clientPlaceWhileUnmanaged() const;
    // Where the client goes for the manager to put the frame's corner at the outer rectangle's.
    QPoint clientPlaceForManager(const QRect& outer);

    QWidget& window_;
    xcb_connection_t* connection_;
    std::uint32_t root_ = 0;
    std::uint32_t frameExtentsAtom_ = 0;
    std::uint32_t stateAtom_ = 0;
    std::uint32_t moveResizeAtom_ = 0;
    std::uint32_t focusedAtom_ = 0;
    std::uint32_t hiddenAtom_ = 0;
    std::uint32_t lastWindow_ = 0;
    std::uint32_t parent_ = 0;
    // The kept copy of the server's word, in native pixels; empty until an event says it changed.
    std::optional<QRect> client_;
    QMargins frame_;
    bool dirty_ = true;

    Mode mode_ = Mode::Managed;
    // Set while a manager that refuses off-screen moves is known to run.
    bool refusesOffScreen_ = false;
    int refusals_ = 0;
    // The last outer rectangle (logical) asked of the manager, and where an unmanaged window was put.
    std::optional<QRect> requested_;
    QRect placed_;
    QRect placedClient_; // native
    // The frame the manager drew, and its _NET_WM_STATE, kept from before the window was withdrawn.
    QMargins keptFrame_;
    std::vector<std::uint32_t> keptState_;
    // Withdrawing: hand the window back as soon as the manager has let go of it.
    bool handBackWhenWithdrawn_ = false;
    // Handed back to the manager, which has not framed and mapped it yet.
    bool remapPending_ = false;
};

} // namespace tolvane::qt
