// Where the pointer is, for the docking step's question of whether it is over the window, without a
// round trip to the X server on every tick while the pointer rests away from the window.
//
// The X server tells a client when the pointer crosses into or out of a window it listens on (core
// EnterNotify and LeaveNotify, or their XInput 2 forms, which Qt selects on its own windows), also when
// the window moves or is mapped under a pointer at rest. So once a reading finds the pointer clear of the
// window's outer rectangle, the pointer can come over the window only after such an event, or after the
// window has moved: until then the last reading stands. The layer listens for crossings on the window
// manager's frame as well, which holds the title bar. While the pointer is over the window or near it,
// every reading asks the server; and one reading in kRecheckReadings asks it anyway, for crossings that
// never reach the program (another client's pointer grab takes them, a strip of frame that a window
// shown unmanaged leaves empty).
//
// X11 only: off X11 forWindow gives nothing and the layer asks Qt every time.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
struct xcb_connection_t;

namespace tolvane::qt {

class PointerWatch final : public QAbstractNativeEventFilter {
  public:
    // At 200 ms a tick, a crossing missed is made up for within five seconds.
    static constexpr int kRecheckReadings = 25;

    // The pointer watch for the window on X11, or nothing off X11. The window must outlive it.
    static std::unique_ptr<PointerWatch> forWindow(QWidget& window);
    // read asks the X server for the pointer (Qt's global logical pixels); tests count its calls.
    PointerWatch(QWidget& window, xcb_connection_t* connection, std::function<QPoint()> read);
    ~PointerWatch() override;
    PointerWatch(const PointerWatch&) = delete;
    PointerWatch& operator=(const PointerWatch&) = delete;

    // The pointer's position, given the window's outer rectangle as it is now (both in Qt's global
    // logical pixels).
    QPoint position(const QRect& outer);

    // Whether the next reading may be the last one kept (for tests).
    bool keepsLastReading() const { return away_.has_value(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    std::uint32_t windowId() const;
    // Listens for crossings on the window's outermost ancestor below the root: the manager's frame.
    void listenOnFrame();

    QWidget& window_;
    xcb_connection_t* connection_;
    std::function<QPoint()> read_;
    std::uint32_t root_ = 0;
    std::uint32_t lastWindow_ = 0;
    std::uint32_t frame_ = 0;
    // The last reading, while it is known to lie clear of the window; and how often it has been given.
    std::optional<QPoint> away_;
    int readingsKept_ = 0;
};

} // namespace tolvane::qt
