#include "toolkit/qt/x11_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>
#include <vector>
#include <xcb/xcb.h>

namespace tolvane::qt {

namespace {

// xcb hands every reply over to be freed with free().
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// From the EWMH's _NET_MOVERESIZE_WINDOW: which fields the message sets, the gravity that makes x and y
// the frame's outer corner, and who asks (an application, not a pager acting for the user).
constexpr std::uint32_t kNorthWestGravity = 1;
constexpr std::uint32_t kMoveResizeX = 1U << 8;
constexpr std::uint32_t kMoveResizeY = 1U << 9;
constexpr std::uint32_t kSourceApplication = 1U << 12;

xcb_connection_t* connectionOf(const QWidget& window) {
    if (window.windowHandle() == nullptr) {
        return nullptr;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The platform window's id: the widget's own winId() keeps the first native window's, which the platform
// replaces when the window is shown after its stays-on-top hint changed.
xcb_window_t xcbWindowOf(const QWidget& window) {
    return static_cast<xcb_window_t>(window.windowHandle()->winId());
}

std::optional<xcb_window_t> rootOf(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    return geometry->root;
}

xcb_atom_t atomNamed(xcb_connection_t* connection, std::string_view name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The 32-bit items of a window's property, or nothing when the window or the property is missing.
std::optional<std::vector<std::uint32_t>> property32(xcb_connection_t* connection, xcb_window_t window,
                                                     xcb_atom_t property, xcb_atom_t type) {
    constexpr std::uint32_t kMaxItems = 4096;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, kMaxItems), nullptr));
    if (!reply || reply->type != type || reply->format != 32) {
        return std::nullopt;
    }
    const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const std::span<const std::uint32_t> values(items, static_cast<std::size_t>(reply->value_len));
    return std::vector<std::uint32_t>(values.begin(), values.end());
}

// Whether a window manager runs now and offers the feature. A manager that has gone may leave its
// properties on the root window, so its check window must still exist and name itself.
bool windowManagerOffers(xcb_connection_t* connection, xcb_window_t root, std::string_view feature) {
    const xcb_atom_t check = atomNamed(connection, "_NET_SUPPORTING_WM_CHECK");
    const xcb_atom_t supported = atomNamed(connection, "_NET_SUPPORTED");
    const xcb_atom_t wanted = atomNamed(connection, feature);
    if (check == XCB_ATOM_NONE || supported == XCB_ATOM_NONE || wanted == XCB_ATOM_NONE) {
        return false;
    }
    const auto manager = property32(connection, root, check, XCB_ATOM_WINDOW);
    if (!manager || manager->empty()) {
        return false;
    }
    const auto self = property32(connection, manager->front(), check, XCB_ATOM_WINDOW);
    if (!self || self->empty() || self->front() != manager->front()) {
        return false;
    }
    const auto features = property32(connection, root, supported, XCB_ATOM_ATOM);
    return features && std::ranges::find(*features, wanted) != features->end();
}

// Qt scales a top-level window's geometry about the origin of its screen by the device pixel ratio; at a
// ratio of 1 logical and X server pixels are the same. toNative: ratio; toLogical: 1 / ratio.
QPoint scaledAboutScreenOrigin(const QWidget& window, QPoint point, bool toNative) {
    const QScreen* screen = window.screen();
    const double ratio = window.windowHandle()->devicePixelRatio();
    if (screen == nullptr || ratio <= 0) {
        return point;
    }
    const double factor = toNative ? ratio : 1 / ratio;
    const QPoint origin = screen->geometry().topLeft();
    const QPoint offset = point - origin;
    return origin + QPoint(static_cast<int>(std::lround(offset.x() * factor)),
                           static_cast<int>(std::lround(offset.y() * factor)));
}

} // namespace

std::optional<QPoint> clientOriginOnX11(const QWidget& window) {
    xcb_connection_t* connection = connectionOf(window);
    if (connection == nullptr) {
        return std::nullopt;
    }
    const xcb_window_t self = xcbWindowOf(window);
    const std::optional<xcb_window_t> root = rootOf(connection, self);
    if (!root) {
        return std::nullopt;
    }
    // The window's own corner in the root window's coordinates, wherever a window manager framed it.
    const Reply<xcb_translate_coordinates_reply_t> corner(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, self, *root, 0, 0), nullptr));
    if (!corner) {
        return std::nullopt;
    }
    return scaledAboutScreenOrigin(window, QPoint(corner->dst_x, corner->dst_y), false);
}

bool askWindowManagerToMove(const QWidget& window, QPoint outerTopLeft) {
    xcb_connection_t* connection = connectionOf(window);
    if (connection == nullptr) {
        return false;
    }
    const xcb_window_t self = xcbWindowOf(window);
    const std::optional<xcb_window_t> root = rootOf(connection, self);
    if (!root || !windowManagerOffers(connection, *root, "_NET_MOVERESIZE_WINDOW")) {
        return false;
    }
    const QPoint native = scaledAboutScreenOrigin(window, outerTopLeft, true);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = self;
    message.type = atomNamed(connection, "_NET_MOVERESIZE_WINDOW");
    message.data.data32[0] = kNorthWestGravity | kMoveResizeX | kMoveResizeY | kSourceApplication;
    // Root coordinates may be negative: the message carries them as 32-bit two's complement.
    message.data.data32[1] = static_cast<std::uint32_t>(native.x());
    message.data.data32[2] = static_cast<std::uint32_t>(native.y());
    xcb_send_event(connection, 0, *root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    return true;
}

} // namespace tolvane::qt
