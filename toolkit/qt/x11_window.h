// The program's top-level window on X11, as the X server knows it: one object that the window's placement
// (x11_placement.h) and the pointer watch (pointer_watch.h) share.
//  - the connection, the root window and the atoms the layer uses, interned in one round trip
//  - the window's id: the native window is made once, with its final flags, and never replaced
//  - its frame: the window manager's outermost window around it, found by walking up from the window
//    whenever its parent changes
//  - whether the window manager offers _NET_MOVERESIZE_WINDOW, learnt once and learnt again when the root
//    says the manager changed (or the manager's check window goes)
//  - one native event filter: the events about the window, its frame and the manager, decoded once and
//    passed on to the listeners
//  - Qt's logical pixels and the X server's, and the desktop's monitors in the server's pixels
// X11 only: off X11 forWindow gives nothing, and the layer takes Qt's word.
#pragma once

#include "toolkit/qt/placement_rules.h"

#include <QAbstractNativeEventFilter>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QWidget;
struct xcb_connection_t;

namespace tolvane::qt {

enum class WindowChange : std::uint8_t {
    Configured,
    Mapped,
    Unmapped,
    Reparented,
    ReparentedToRoot,
    FrameExtents
};

// What the X server says of the pointer: where it is (Qt's global logical pixels), and whether it is on
// none of the program's windows. Under XWayland the position is only where the server last saw the pointer
// over an X window: a pointer gone onto a Wayland surface (another program, the shell, the desktop) keeps
// the place it left the window at, and only the crossing and the pointer query's empty child tell.
struct PointerReport {
    QPoint position;
    bool offTheWindow = false;
    bool moved = false; // reported as the pointer moved, not as a window came or went under it
    // A crossing out of the window at a place beyond it: the window moved away from under the pointer, so
    // the place is where the pointer is, also under XWayland, until the pointer moves.
    bool leftBehind = false;
};

// A crossing of the pointer out of the program's outermost window (its frame while a manager frames it,
// else the window itself), as the core and XInput 2 events give it.
struct PointerLeave {
    std::uint8_t detail = 0; // NotifyAncestor, NotifyVirtual, NotifyInferior, NotifyNonlinear, …
    std::uint8_t mode = 0;   // NotifyNormal, NotifyGrab, NotifyUngrab, …
    bool buttonHeld = false;
};
// Whether the pointer has left every window of the program: not into a window inside it (the client from
// its frame), not a crossing that a grab makes (a manager taking the pointer to move the window), and not
// with a button held, as when the user drags the window by its title bar and a compositor takes the
// pointer from the X server meanwhile.
bool leavesTheWindow(const PointerLeave& leave);

class X11WindowListener {
  public:
    virtual void windowChanged(WindowChange change) = 0;
    // The X server reported the pointer: crossing into or out of the window or its frame, or moving over
    // either.
    virtual void pointerReported(const PointerReport& report) = 0;

  protected:
    ~X11WindowListener() = default;
};

class X11Window final : public QAbstractNativeEventFilter {
  public:
    struct Atoms {
        std::uint32_t frameExtents = 0;
        std::uint32_t wmState = 0;
        std::uint32_t moveResize = 0;
        std::uint32_t focused = 0;
        std::uint32_t hidden = 0;
        std::uint32_t above = 0;
        std::uint32_t staysOnTop = 0;
        std::uint32_t supported = 0;
        std::uint32_t supportingWmCheck = 0;
    };

    // The window on X11, or nothing off X11. Makes the native window if it has none yet; the widget
    // must outlive this.
    static std::unique_ptr<X11Window> forWindow(QWidget& window);
    X11Window(QWidget& window, xcb_connection_t* connection);
    ~X11Window() override;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // Listeners hear of every event about the window; each must outlive this or stop listening.
    void listen(X11WindowListener& listener);
    void stopListening(X11WindowListener& listener);

    QWidget& widget() const { return window_; }
    xcb_connection_t* connection() const { return connection_; }
    std::uint32_t id() const { return id_; }
    std::uint32_t root() const { return root_; }
    const Atoms& atoms() const { return atoms_; }
    // Whether the server is XWayland, a Wayland compositor's X server.
    bool onXWayland() const { return onXWayland_; }

    // The window's client area, parent and frame extents, asked of the server in one round trip; nothing
    // when the window is gone.
    std::optional<ServerWord> measure();
    bool managerOffersMoveResize();
    // The 32-bit items of a window's property, or nothing when the window or the property is missing.
    std::optional<std::vector<std::uint32_t>> property32(std::uint32_t window, std::uint32_t property,
                                                         std::uint32_t type) const;
    // Keeps the window above others: asked of the manager once mapped, a hint before; and asked again
    // whenever a manager takes the window on anew, since it lets the state go with a window it gives up.
    void keepAbove(bool mapped);
    // Where the pointer is, asked of the server (a round trip).
    PointerReport queryPointer() const;

    // Qt scales a top-level window's geometry about the origin of its screen by the device pixel ratio;
    // the X server's pixels are the native ones.
    QRect toLogical(const QRect& native) const;
    QPoint toLogical(QPoint native) const;
    int toNativeX(int logical) const;
    int toNativeY(int logical) const;
    // How many of the server's pixels one logical pixel is (at least one).
    int onePixel() const;
    // The desktop's monitors in the server's pixels, the primary first.
    static std::vector<QRect> monitors();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void findFrame();
    bool learnManager();
    void tell(WindowChange change);
    void pointerAt(QPoint native, bool offTheWindow, bool moved, bool leftBehind = false);
    void askManagerAbove();

    QWidget& window_;
    xcb_connection_t* connection_;
    std::uint32_t id_ = 0;
    std::uint32_t root_ = 0;
    Atoms atoms_;
    std::uint8_t xinputOpcode_ = 0; // XInput 2 events come as generic events of this extension
    std::uint32_t parent_ = 0;
    std::uint32_t frame_ = 0; // 0: none, the window is the root's child
    QSize frameSize_;         // the frame's, as its last ConfigureNotify gave it
    QSize clientSize_;        // the window's own, likewise
    std::optional<bool> moveResizeOffered_;
    std::uint32_t managerCheck_ = 0;
    bool keptAbove_ = false;
    bool onXWayland_ = false;
    std::vector<X11WindowListener*> listeners_;
};

} // namespace tolvane::qt
