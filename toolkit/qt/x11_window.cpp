#include "toolkit/qt/x11_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>
#include <utility>
#include <xcb/xcb.h>

namespace tolvane::qt {

namespace {

// xcb hands every reply over to be freed with free().
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// XInput 2's generic events for the pointer moving over a window and crossing into or out of it
// (XI_Motion, XI_Enter, XI_Leave). They hold the window reported on in their seventh 32-bit word and the
// pointer's root position, in 16.16 fixed point, in the tenth and eleventh: xcb puts the full sequence
// number in the ninth.
constexpr std::uint16_t kXiMotion = 6;
constexpr std::uint16_t kXiLeave = 8;
constexpr std::size_t kXiWindowWord = 6;
constexpr std::size_t kXiRootXWord = 9;
// XI_Leave's mode and detail are its 19th and 20th bytes; its button mask follows its 72-byte body (76 in
// xcb's copy), buttons_len 32-bit words of it, the length at byte 50.
constexpr std::size_t kXiModeByte = 18;
constexpr std::size_t kXiDetailByte = 19;
constexpr std::size_t kXiButtonsLengthByte = 50;
constexpr std::size_t kXiButtonsByte = 76;
// The pointer buttons 1 to 5 in a core event's state, and in XInput 2's mask, where bit n is button n.
constexpr std::uint16_t kCoreButtons =
    XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3 | XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5;
constexpr std::uint32_t kXiButtons = 0b111110;
constexpr std::uint8_t kNotifyInferior = 2;
constexpr std::uint8_t kNotifyNormal = 0;

std::uint32_t word32(const xcb_generic_event_t& event, std::size_t word) {
    std::uint32_t value = 0;
    std::memcpy(&value, reinterpret_cast<const char*>(&event) + word * sizeof value, sizeof value);
    return value;
}

std::uint8_t byteAt(const xcb_generic_event_t& event, std::size_t byte) {
    return reinterpret_cast<const std::uint8_t*>(&event)[byte];
}

// A generic event's full length: its first 32 bytes, xcb's sequence word, then length words more.
std::size_t bytesOf(const xcb_ge_generic_event_t& event) {
    return 36 + std::size_t{event.length} * 4;
}

PointerLeave xiLeave(const xcb_ge_generic_event_t& event) {
    const auto& generic = reinterpret_cast<const xcb_generic_event_t&>(event);
    std::uint16_t buttonsLength = 0;
    std::memcpy(&buttonsLength, reinterpret_cast<const char*>(&event) + kXiButtonsLengthByte,
                sizeof buttonsLength);
    std::uint32_t buttons = 0;
    if (buttonsLength > 0 && bytesOf(event) >= kXiButtonsByte + sizeof buttons) {
        std::memcpy(&buttons, reinterpret_cast<const char*>(&event) + kXiButtonsByte, sizeof buttons);
    }
    return {.detail = byteAt(generic, kXiDetailByte),
            .mode = byteAt(generic, kXiModeByte),
            .buttonHeld = (buttons & kXiButtons) != 0};
}

int fromFixed1616(std::uint32_t value) {
    return static_cast<std::int32_t>(value) >> 16;
}

// A request on another client's window (the manager's frame or check window), which may go at any moment:
// its error, if any, is dropped rather than reported by Qt.
void selectOnForeignWindow(xcb_connection_t* connection, xcb_window_t window, std::uint32_t mask) {
    xcb_discard_reply(
        connection,
        xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &mask).sequence);
}

double ratioOf(const QWidget& window) {
    const double ratio = window.windowHandle()->devicePixelRatio();
    return ratio > 0 ? ratio : 1;
}

QPoint screenOriginOf(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen != nullptr ? screen->geometry().topLeft() : QPoint();
}

int scaled(int value, double factor) {
    return static_cast<int>(std::lround(value * factor));
}

} // namespace

bool leavesTheWindow(const PointerLeave& leave) {
    return leave.detail != kNotifyInferior && leave.mode == kNotifyNormal && !leave.buttonHeld;
}

std::unique_ptr<X11Window> X11Window::forWindow(QWidget& window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11Window>(window, x11->connection());
}

X11Window::X11Window(QWidget& window, xcb_connection_t* connection)
    : window_(window), connection_(connection), id_(static_cast<std::uint32_t>(window.winId())) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    // Everything is asked for before the first answer is read: one round trip at start-up.
    const std::array<std::pair<std::string_view, std::uint32_t*>, 9> names{{
        {"_NET_FRAME_EXTENTS", &atoms_.frameExtents},
        {"_NET_WM_STATE", &atoms_.wmState},
        {"_NET_MOVERESIZE_WINDOW", &atoms_.moveResize},
        {"_NET_WM_STATE_FOCUSED", &atoms_.focused},
        {"_NET_WM_STATE_HIDDEN", &atoms_.hidden},
        {"_NET_WM_STATE_ABOVE", &atoms_.above},
        {"_NET_WM_STATE_STAYS_ON_TOP", &atoms_.staysOnTop},
        {"_NET_SUPPORTED", &atoms_.supported},
        {"_NET_SUPPORTING_WM_CHECK", &atoms_.supportingWmCheck},
    }};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string_view name = names[i].first;
        cookies[i] = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data());
    }
    constexpr std::string_view kXInput = "XInputExtension";
    const auto xinputCookie =
        xcb_query_extension(connection_, static_cast<std::uint16_t>(kXInput.size()), kXInput.data());
    constexpr std::string_view kXWayland = "XWAYLAND";
    const auto xwaylandCookie =
        xcb_query_extension(connection_, static_cast<std::uint16_t>(kXWayland.size()), kXWayland.data());
    const auto rootCookie = xcb_get_window_attributes(connection_, root_);
    const auto treeCookie = xcb_query_tree(connection_, id_);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookies[i], nullptr));
        *names[i].second = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    const Reply<xcb_query_extension_reply_t> xinput(
        xcb_query_extension_reply(connection_, xinputCookie, nullptr));
    xinputOpcode_ = xinput && xinput->present != 0 ? xinput->major_opcode : 0;
    const Reply<xcb_query_extension_reply_t> xwayland(
        xcb_query_extension_reply(connection_, xwaylandCookie, nullptr));
    // XWayland names itself by an extension of that name from 23.1 on; before, by its RandR outputs' names.
    onXWayland_ = (xwayland && xwayland->present != 0) ||
                  std::ranges::any_of(QGuiApplication::screens(), [](const QScreen* screen) {
                      return screen->name().startsWith("XWAYLAND");
                  });
    // Qt listens for the root's property changes already (its work area, its settings); should it not, the
    // mask is widened, never narrowed, as it is Qt's too.
    const Reply<xcb_get_window_attributes_reply_t> rootAttributes(
        xcb_get_window_attributes_reply(connection_, rootCookie, nullptr));
    if (rootAttributes && (rootAttributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE) == 0) {
        const std::uint32_t mask = rootAttributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    }
    // A window not yet shown is the root's child; one shown already may be framed.
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, treeCookie, nullptr));
    parent_ = root_;
    if (tree && tree->parent != root_) {
        findFrame();
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11Window::~X11Window() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void X11Window::listen(X11WindowListener& listener) {
    listeners_.push_back(&listener);
}

void X11Window::stopListening(X11WindowListener& listener) {
    std::erase(listeners_, &listener);
}

void X11Window::findFrame() {
    // The frame is the window's outermost ancestor below the root; the manager may nest windows inside it.
    frame_ = 0;
    parent_ = root_;
    xcb_window_t window = id_;
    while (true) {
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
        if (!tree || tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) {
            break;
        }
        if (window == id_) {
            parent_ = tree->parent;
        }
        window = tree->parent;
        frame_ = window;
    }
    frameSize_ = QSize();
    if (frame_ != 0) {
        // The pointer watch hears of the pointer on the frame, which holds the title bar (unless the
        // compositor draws that itself), and of the frame's size. This mask is the program's own on the
        // manager's window, and takes nothing from the manager's.
        selectOnForeignWindow(connection_, frame_,
                              XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW |
                                  XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, frame_), nullptr));
        if (geometry) {
            frameSize_ = QSize(geometry->width, geometry->height);
        }
    }
}

std::optional<ServerWord> X11Window::measure() {
    // The requests go out together; the replies come back in one round trip's time.
    const auto geometryCookie = xcb_get_geometry(connection_, id_);
    const auto treeCookie = xcb_query_tree(connection_, id_);
    const auto cornerCookie = xcb_translate_coordinates(connection_, id_, root_, 0, 0);
    const auto extentsCookie =
        xcb_get_property(connection_, 0, id_, atoms_.frameExtents, XCB_ATOM_CARDINAL, 0, 4);
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, geometryCookie, nullptr));
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, treeCookie, nullptr));
    const Reply<xcb_translate_coordinates_reply_t> corner(
        xcb_translate_coordinates_reply(connection_, cornerCookie, nullptr));
    const Reply<xcb_get_property_reply_t> extents(
        xcb_get_property_reply(connection_, extentsCookie, nullptr));
    if (!geometry || !tree || !corner) {
        return std::nullopt;
    }
    if (tree->parent != parent_) {
        findFrame(); // a ReparentNotify not seen yet
    }
    ServerWord word{.client = QRect(corner->dst_x, corner->dst_y, geometry->width, geometry->height),
                    .framed = tree->parent != root_,
                    .frame = QMargins()};
    if (word.framed && extents && extents->type == XCB_ATOM_CARDINAL && extents->format == 32 &&
        extents->value_len == 4) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(extents.get()));
        // left, right, top, bottom
        word.frame = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                              static_cast<int>(v[3]));
    }
    return word;
}

std::optional<std::vector<std::uint32_t>> X11Window::property32(std::uint32_t window, std::uint32_t property,
                                                                std::uint32_t type) const {
    constexpr std::uint32_t kMaxItems = 4096;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, kMaxItems), nullptr));
    if (!reply || reply->type != type || reply->format != 32) {
        return std::nullopt;
    }
    const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const std::span<const std::uint32_t> values(items, static_cast<std::size_t>(reply->value_len));
    return std::vector<std::uint32_t>(values.begin(), values.end());
}

bool X11Window::managerOffersMoveResize() {
    if (!moveResizeOffered_) {
        moveResizeOffered_ = learnManager();
    }
    return *moveResizeOffered_;
}

bool X11Window::learnManager() {
    // A manager that has gone may leave its properties on the root window, so its check window must still
    // exist and name itself. The program hears of that window going (DestroyNotify) and learns again.
    const auto check = property32(root_, atoms_.supportingWmCheck, XCB_ATOM_WINDOW);
    managerCheck_ = check && !check->empty() ? check->front() : 0;
    if (managerCheck_ == 0) {
        return false;
    }
    selectOnForeignWindow(connection_, managerCheck_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    const auto self = property32(managerCheck_, atoms_.supportingWmCheck, XCB_ATOM_WINDOW);
    if (!self || self->empty() || self->front() != managerCheck_) {
        return false;
    }
    const auto features = property32(root_, atoms_.supported, XCB_ATOM_ATOM);
    return features && std::ranges::find(*features, atoms_.moveResize) != features->end();
}

void X11Window::keepAbove(bool mapped) {
    keptAbove_ = true;
    if (mapped) {
        askManagerAbove();
    } else {
        // Read by the manager when the window is mapped; Qt keeps what it finds there when it maps it.
        const std::array<std::uint32_t, 2> states{atoms_.above, atoms_.staysOnTop};
        xcb_change_property(connection_, XCB_PROP_MODE_APPEND, id_, atoms_.wmState, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(states.size()), states.data());
    }
    xcb_flush(connection_);
}

void X11Window::askManagerAbove() {
    // The manager owns a mapped window's state: asked of it, as the EWMH says (1: add).
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id_;
    message.type = atoms_.wmState;
    message.data.data32[0] = 1;
    message.data.data32[1] = atoms_.above;
    message.data.data32[2] = atoms_.staysOnTop;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

PointerReport X11Window::queryPointer() const {
    const Reply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
    if (!reply) {
        return {};
    }
    // The root's child under the pointer: none over the desktop's background, and none under XWayland once
    // the pointer is on a Wayland surface, whatever position the server still gives. A button held is a
    // drag, which a compositor may take the pointer away from the X server for.
    return {.position = toLogical(QPoint(reply->root_x, reply->root_y)),
            .offTheWindow = reply->child == XCB_WINDOW_NONE && (reply->mask & kCoreButtons) == 0};
}

QRect X11Window::toLogical(const QRect& native) const {
    const double factor = 1 / ratioOf(window_);
    const QPoint origin = screenOriginOf(window_);
    const QPoint offset = native.topLeft() - origin;
    return {origin + QPoint(scaled(offset.x(), factor), scaled(offset.y(), factor)),
            QSize(scaled(native.width(), factor), scaled(native.height(), factor))};
}

QPoint X11Window::toLogical(QPoint native) const {
    return toLogical(QRect(native, QSize())).topLeft();
}

int X11Window::toNativeX(int logical) const {
    const int origin = screenOriginOf(window_).x();
    return origin + scaled(logical - origin, ratioOf(window_));
}

int X11Window::toNativeY(int logical) const {
    const int origin = screenOriginOf(window_).y();
    return origin + scaled(logical - origin, ratioOf(window_));
}

int X11Window::onePixel() const {
    return std::max(1, scaled(1, ratioOf(window_)));
}

std::vector<QRect> X11Window::monitors() {
    // A screen's geometry keeps its native corner; Qt scales only its size.
    std::vector<QRect> monitors;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const double ratio = screen->devicePixelRatio();
        const QRect native(logical.topLeft(),
                           QSize(scaled(logical.width(), ratio), scaled(logical.height(), ratio)));
        monitors.insert(screen == primary ? monitors.begin() : monitors.end(), native);
    }
    return monitors;
}

void X11Window::tell(WindowChange change) {
    for (X11WindowListener* listener : listeners_) {
        listener->windowChanged(change);
    }
}

void X11Window::pointerAt(QPoint native, bool offTheWindow, bool moved, bool leftBehind) {
    const PointerReport report{.position = toLogical(native),
                               .offTheWindow = offTheWindow,
                               .moved = moved,
                               .leftBehind = leftBehind};
    for (X11WindowListener* listener : listeners_) {
        listener->pointerReported(report);
    }
}

bool X11Window::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto& event = *static_cast<const xcb_generic_event_t*>(message);
    switch (event.response_type & 0x7F) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (configure.window == id_) {
            clientSize_ = QSize(configure.width, configure.height);
            tell(WindowChange::Configured);
        } else if (frame_ != 0 && configure.window == frame_) {
            frameSize_ = QSize(configure.width, configure.height);
        }
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto& map = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (map.window == id_) {
            if (keptAbove_ && map.override_redirect == 0) {
                // A manager has taken the window on (again, after it was shown unmanaged while docked):
                // the state it forgot when it let the window go is asked for anew.
                askManagerAbove();
                xcb_flush(connection_);
            }
            tell(WindowChange::Mapped);
        }
        break;
    }
    case XCB_UNMAP_NOTIFY:
        if (reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window == id_) {
            tell(WindowChange::Unmapped);
        }
        break;
    case XCB_REPARENT_NOTIFY: {
        const auto& reparent = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (reparent.window == id_) {
            findFrame();
            tell(reparent.parent == root_ ? WindowChange::ReparentedToRoot : WindowChange::Reparented);
        }
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (property.window == id_ && property.atom == atoms_.frameExtents) {
            tell(WindowChange::FrameExtents);
        } else if (property.window == root_ &&
                   (property.atom == atoms_.supportingWmCheck || property.atom == atoms_.supported)) {
            moveResizeOffered_.reset();
        }
        break;
    }
    case XCB_DESTROY_NOTIFY:
        if (managerCheck_ != 0 &&
            reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == managerCheck_) {
            moveResizeOffered_.reset();
        }
        break;
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: {
        // Qt listens on the root window too, which hears only of crossings from and to its background.
        const auto& crossing = reinterpret_cast<const xcb_enter_notify_event_t&>(event);
        if (crossing.event == id_ || (frame_ != 0 && crossing.event == frame_)) {
            const bool outermost = crossing.event == (frame_ != 0 ? frame_ : id_);
            const bool left = (event.response_type & 0x7F) == XCB_LEAVE_NOTIFY && outermost &&
                              leavesTheWindow({.detail = crossing.detail,
                                               .mode = crossing.mode,
                                               .buttonHeld = (crossing.state & kCoreButtons) != 0});
            // The place is relative to the window as it was when the pointer left it: a place beyond it means
            // that the window moved, not the pointer (XWayland otherwise keeps the last place seen on it).
            const QRect outer(QPoint(), frame_ != 0 ? frameSize_ : clientSize_);
            pointerAt(QPoint(crossing.root_x, crossing.root_y), left, false,
                      left && !outer.isEmpty() && !outer.contains(crossing.event_x, crossing.event_y));
        }
        break;
    }
    case XCB_MOTION_NOTIFY: {
        const auto& motion = reinterpret_cast<const xcb_motion_notify_event_t&>(event);
        if (motion.event == id_ || (frame_ != 0 && motion.event == frame_)) {
            pointerAt(QPoint(motion.root_x, motion.root_y), false, true);
        }
        break;
    }
    case XCB_GE_GENERIC: {
        const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        if (xinputOpcode_ != 0 && generic.extension == xinputOpcode_ && generic.event_type >= kXiMotion &&
            generic.event_type <= kXiLeave && word32(event, kXiWindowWord) == id_) {
            // The frame's own crossings tell whether the pointer left a framed window.
            const bool left =
                generic.event_type == kXiLeave && frame_ == 0 && leavesTheWindow(xiLeave(generic));
            pointerAt(QPoint(fromFixed1616(word32(event, kXiRootXWord)),
                             fromFixed1616(word32(event, kXiRootXWord + 1))),
                      left, generic.event_type == kXiMotion);
        }
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace tolvane::qt
