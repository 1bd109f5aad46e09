#include "toolkit/qt/pointer_watch.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace tolvane::qt {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

// XInput 2 events (Qt's crossings and motion on its own windows) come as generic events.
constexpr std::uint8_t kGenericEvent = 35;

// Whether an XInput 2 event is the pointer moving over, into or out of the window. Its device and
// crossing events (XI_Motion 6, XI_Enter 7, XI_Leave 8) hold the type in the ninth and tenth bytes and
// the window they are reported on in the seventh 32-bit word.
bool crossesOrMovesOver(const xcb_generic_event_t& event, xcb_window_t window) {
    constexpr std::uint16_t kMotion = 6;
    constexpr std::uint16_t kLeave = 8;
    constexpr std::size_t kWindowWord = 6;
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.event_type < kMotion || generic.event_type > kLeave) {
        return false;
    }
    std::uint32_t reportedOn = 0;
    std::memcpy(&reportedOn, reinterpret_cast<const char*>(&event) + kWindowWord * sizeof(std::uint32_t),
                sizeof reportedOn);
    return reportedOn == window;
}

} // namespace

std::unique_ptr<PointerWatch> PointerWatch::forWindow(QWidget& window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return nullptr;
    }
    return std::make_unique<PointerWatch>(window, x11->connection(), [] { return QCursor::pos(); });
}

PointerWatch::PointerWatch(QWidget& window, xcb_connection_t* connection, std::function<QPoint()> read)
    : window_(window), connection_(connection), read_(std::move(read)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

PointerWatch::~PointerWatch() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

std::uint32_t PointerWatch::windowId() const {
    // The platform window's id: the widget's own winId() keeps the first native window's.
    const QWindow* native = window_.windowHandle();
    return native != nullptr ? static_cast<std::uint32_t>(native->winId()) : 0;
}

QPoint PointerWatch::position(const QRect& outer) {
    if (const std::uint32_t self = windowId(); self != lastWindow_) {
        lastWindow_ = self;
        away_.reset();
        listenOnFrame();
    }
    if (away_ && ++readingsKept_ < kRecheckReadings) {
        return *away_;
    }
    const QPoint pointer = read_();
    readingsKept_ = 0;
    // A pixel of margin: on the window's edge the pointer may be inside it without being over it.
    if (outer.adjusted(-1, -1, 1, 1).contains(pointer)) {
        away_.reset();
    } else {
        away_ = pointer;
    }
    return pointer;
}

void PointerWatch::listenOnFrame() {
    frame_ = 0;
    xcb_window_t window = lastWindow_;
    while (window != 0) {
        const std::unique_ptr<xcb_query_tree_reply_t, FreeReply> tree(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
        if (!tree || tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) {
            break;
        }
        window = tree->parent;
        frame_ = window;
    }
    if (frame_ != 0) {
        // The frame is the manager's: this mask is the program's own on it, and takes nothing from the
        // manager's.
        const std::uint32_t mask = XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;
        xcb_change_window_attributes(connection_, frame_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
}

bool PointerWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: {
        // Qt listens on the root window too, which hears only of crossings from and to its background.
        const xcb_window_t crossed = reinterpret_cast<const xcb_enter_notify_event_t*>(event)->event;
        if (crossed == lastWindow_ || crossed == frame_) {
            away_.reset();
        }
        break;
    }
    case kGenericEvent:
        if (crossesOrMovesOver(*event, lastWindow_)) {
            away_.reset();
        }
        break;
    case XCB_CONFIGURE_NOTIFY:
        if (reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window == lastWindow_) {
            away_.reset();
        }
        break;
    case XCB_MAP_NOTIFY:
        if (reinterpret_cast<const xcb_map_notify_event_t*>(event)->window == lastWindow_) {
            away_.reset();
        }
        break;
    case XCB_REPARENT_NOTIFY:
        if (reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window == lastWindow_) {
            away_.reset();
            listenOnFrame();
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace tolvane::qt
