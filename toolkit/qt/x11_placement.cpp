#include "toolkit/qt/x11_placement.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
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

// From the EWMH's _NET_MOVERESIZE_WINDOW: which fields the message sets, the gravity that makes x and y
// the frame's outer corner, and who asks (an application, not a pager acting for the user).
constexpr std::uint32_t kNorthWestGravity = 1;
constexpr std::uint32_t kMoveResizeX = 1U << 8;
constexpr std::uint32_t kMoveResizeY = 1U << 9;
constexpr std::uint32_t kSourceApplication = 1U << 12;

// How far a manager may move a window asked to lie just beyond an edge (a revealed window, 10 twips)
// and still count as having put it there.
constexpr int kEdgeTolerance = 1;
// Off-screen moves a manager fails to carry out on this many ticks in a row before the layer stops asking.
constexpr int kRefusalsToGiveUp = 2;

xcb_atom_t atomNamed(xcb_connection_t* connection, std::string_view name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
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
    const xcb_atom_t wanted = atomNamed(connection, feature);
    const auto manager = property32(connection, root, check, XCB_ATOM_WINDOW);
    if (!manager || manager->empty()) {
        return false;
    }
    const auto self = property32(connection, manager->front(), check, XCB_ATOM_WINDOW);
    if (!self || self->empty() || self->front() != manager->front()) {
        return false;
    }
    const auto features =
        property32(connection, root, atomNamed(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    return features && std::ranges::find(*features, wanted) != features->end();
}

// Qt scales a top-level window's geometry about the origin of its screen by the device pixel ratio; at a
// ratio of 1 logical and X server pixels are the same.
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

QRect toLogical(const QWidget& window, const QRect& native) {
    const double factor = 1 / ratioOf(window);
    const QPoint origin = screenOriginOf(window);
    const QPoint offset = native.topLeft() - origin;
    return {origin + QPoint(scaled(offset.x(), factor), scaled(offset.y(), factor)),
            QSize(scaled(native.width(), factor), scaled(native.height(), factor))};
}

QRect toNative(const QWidget& window, const QRect& logical) {
    const double factor = ratioOf(window);
    const QPoint origin = screenOriginOf(window);
    const QPoint offset = logical.topLeft() - origin;
    return {origin + QPoint(scaled(offset.x(), factor), scaled(offset.y(), factor)),
            QSize(scaled(logical.width(), factor), scaled(logical.height(), factor))};
}

bool near(QPoint a, QPoint b) {
    return std::abs(a.x() - b.x()) <= kEdgeTolerance && std::abs(a.y() - b.y()) <= kEdgeTolerance;
}

// The window's 32-bit-item client messages and configure values take root coordinates, which may be
// negative, as two's complement.
std::uint32_t asCard32(int value) {
    return static_cast<std::uint32_t>(value);
}

} // namespace

std::unique_ptr<X11Placement> X11Placement::forWindow(QWidget& window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11Placement>(window, x11->connection());
}

X11Placement::X11Placement(QWidget& window, xcb_connection_t* connection)
    : window_(window), connection_(connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    root_ = xcb_setup_roots_iterator(setup).data->root;
    // All the names are asked for before the first answer is read: one round trip at start-up, not five.
    const std::array<std::pair<std::string_view, std::uint32_t*>, 5> atoms{{
        {"_NET_FRAME_EXTENTS", &frameExtentsAtom_},
        {"_NET_WM_STATE", &stateAtom_},
        {"_NET_MOVERESIZE_WINDOW", &moveResizeAtom_},
        {"_NET_WM_STATE_FOCUSED", &focusedAtom_},
        {"_NET_WM_STATE_HIDDEN", &hiddenAtom_},
    }};
    std::array<xcb_intern_atom_cookie_t, atoms.size()> cookies{};
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const std::string_view name = atoms[i].first;
        cookies[i] = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data());
    }
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookies[i], nullptr));
        *atoms[i].second = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11Placement::~X11Placement() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

std::uint32_t X11Placement::windowId() const {
    // The platform window's id: the widget's own winId() keeps the first native window's.
    static_cast<void>(window_.winId());
    return static_cast<std::uint32_t>(window_.windowHandle()->winId());
}

void X11Placement::refresh() {
    const xcb_window_t self = windowId();
    if (self != lastWindow_) {
        lastWindow_ = self;
        dirty_ = true;
    }
    if (!dirty_ && client_) {
        return;
    }
    // The requests go out together; the replies come back in one round trip's time.
    const auto geometryCookie = xcb_get_geometry(connection_, self);
    const auto treeCookie = xcb_query_tree(connection_, self);
    const auto cornerCookie = xcb_translate_coordinates(connection_, self, root_, 0, 0);
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, geometryCookie, nullptr));
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, treeCookie, nullptr));
    const Reply<xcb_translate_coordinates_reply_t> corner(
        xcb_translate_coordinates_reply(connection_, cornerCookie, nullptr));
    if (!geometry || !tree || !corner) {
        client_.reset();
        return;
    }
    client_ = QRect(corner->dst_x, corner->dst_y, geometry->width, geometry->height);
    parent_ = tree->parent;
    frame_ = QMargins();
    // A frame only counts while a manager holds the window in one: _NET_FRAME_EXTENTS may outlive it.
    if (tree->parent != root_) {
        const auto values = property32(connection_, self, frameExtentsAtom_, XCB_ATOM_CARDINAL);
        if (values && values->size() == 4) {
            const auto& v = *values; // left, right, top, bottom
            frame_ = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                              static_cast<int>(v[3]));
        }
    }
    dirty_ = false;
}

QRect X11Placement::measuredOuter() {
    refresh();
    if (!client_) {
        return window_.frameGeometry();
    }
    return toLogical(window_, client_->marginsAdded(frame_));
}

QRect X11Placement::outerRect() {
    if (mode_ == Mode::Unmanaged && dirty_) {
        // Nothing but the program moves an unmanaged window, but should anyone, it is where they put it.
        refresh();
        if (client_ && client_->topLeft() != placedClient_.topLeft()) {
            const QPoint shift = client_->topLeft() - placedClient_.topLeft();
            placedClient_.moveTopLeft(client_->topLeft());
            placed_ = toLogical(window_, toNative(window_, placed_).translated(shift));
        }
    }
    if (mode_ != Mode::Managed || remapPending_) {
        return placed_;
    }
    const QRect measured = measuredOuter();
    if (requested_ && requested_->size() == measured.size() &&
        near(requested_->topLeft(), measured.topLeft())) {
        return *requested_;
    }
    return measured;
}

bool X11Placement::beyondScreens(const QRect& outer) const {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return false;
    }
    const QRect screens = primary->virtualGeometry();
    return outer.top() < screens.top() - kEdgeTolerance || outer.left() < screens.left() - kEdgeTolerance ||
           outer.right() > screens.right() + kEdgeTolerance;
}

void X11Placement::move(std::optional<int> left, std::optional<int> top) {
    if (mode_ == Mode::Withdrawing) {
        // Should the manager's ReparentNotify have gone by unseen, or the manager with it: the window is
        // free once it is the root's child again.
        dirty_ = true;
        refresh();
        if (parent_ == root_) {
            finishWithdrawal();
        }
    }
    const QRect current = outerRect();
    QRect target = current;
    target.moveTo(left.value_or(current.left()), top.value_or(current.top()));
    if (target.topLeft() == current.topLeft()) {
        return;
    }
    const bool offScreen = beyondScreens(target);
    if (mode_ != Mode::Managed) {
        if (!offScreen) {
            handBack(target);
            return;
        }
        placed_ = target;
        if (mode_ == Mode::Unmanaged) {
            const QRect client = clientPlaceWhileUnmanaged();
            placedClient_ = client;
            const std::uint32_t values[] = {asCard32(client.x()), asCard32(client.y())};
            xcb_configure_window(connection_, windowId(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
            xcb_flush(connection_);
        }
        return;
    }
    if (offScreen && (refusesOffScreen_ || refusedAgain(target))) {
        withdraw(target);
        return;
    }
    askManager(target, left.has_value(), top.has_value());
}

bool X11Placement::refusedAgain(const QRect& target) {
    // Only a manager that has framed the window can have refused: a window still the root's child is
    // either unmanaged (the X server moves it as asked) or not yet taken on by a manager that is busy.
    if (requested_ != target || parent_ == root_) {
        refusals_ = 0;
        return false;
    }
    refusesOffScreen_ = ++refusals_ >= kRefusalsToGiveUp;
    return refusesOffScreen_;
}

void X11Placement::askManager(const QRect& target, bool moveX, bool moveY) {
    requested_ = target;
    remapPending_ = false;
    const xcb_window_t self = windowId();
    const QRect native = toNative(window_, target);
    // Through the window manager where there is one: it places the frame's corner, and kwin honours
    // such a request even partly off the screen, where it would pull back a plain one. Only the written
    // coordinate is sent, so that the other stays wherever the manager or the user has put it since.
    if (windowManagerOffers(connection_, root_, "_NET_MOVERESIZE_WINDOW")) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = self;
        message.type = moveResizeAtom_;
        message.data.data32[0] =
            kNorthWestGravity | kSourceApplication | (moveX ? kMoveResizeX : 0) | (moveY ? kMoveResizeY : 0);
        message.data.data32[1] = asCard32(native.x());
        message.data.data32[2] = asCard32(native.y());
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else {
        // Without a manager the client window is the outer rectangle and the X server moves it at once.
        std::uint16_t mask = 0;
        std::vector<std::uint32_t> values;
        if (moveX) {
            mask |= XCB_CONFIG_WINDOW_X;
            values.push_back(asCard32(native.x() + frame_.left()));
        }
        if (moveY) {
            mask |= XCB_CONFIG_WINDOW_Y;
            values.push_back(asCard32(native.y() + frame_.top()));
        }
        xcb_configure_window(connection_, self, mask, values.data());
    }
    xcb_flush(connection_);
}

void X11Placement::withdraw(const QRect& target) {
    refresh();
    const xcb_window_t self = windowId();
    keptFrame_ = frame_;
    // The states the window asked for; focus and minimizing are the manager's to say.
    keptState_ =
        property32(connection_, self, stateAtom_, XCB_ATOM_ATOM).value_or(std::vector<std::uint32_t>{});
    std::erase_if(keptState_,
                  [this](std::uint32_t atom) { return atom == focusedAtom_ || atom == hiddenAtom_; });
    placed_ = target;
    requested_.reset();
    refusals_ = 0;
    handBackWhenWithdrawn_ = false;
    mode_ = Mode::Withdrawing;
    // ICCCM's withdrawal: unmapped, and a synthetic UnmapNotify to the root for a manager that would not
    // otherwise notice. The manager then takes its frame away and gives the window back to the root.
    xcb_unmap_window(connection_, self);
    xcb_unmap_notify_event_t unmap{};
    unmap.response_type = XCB_UNMAP_NOTIFY;
    unmap.event = root_;
    unmap.window = self;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&unmap));
    xcb_flush(connection_);
    if (parent_ == root_) {
        // No frame to take away (a manager that does not reparent): the window is the root's already.
        showUnmanaged();
    }
}

QRect X11Placement::clientPlaceWhileUnmanaged() const {
    // In native pixels. The frame is gone while the manager does not hold the window, so the client is
    // placed to show its own pixels where the frame's edge would have been on the screen.
    const QRect outer = toNative(window_, placed_);
    const QSize size = client_ ? client_->size() : toNative(window_, QRect(QPoint(), window_.size())).size();
    QRect client(outer.topLeft() + QPoint(keptFrame_.left(), keptFrame_.top()), size);
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return client;
    }
    const QRect screens = toNative(window_, primary->virtualGeometry());
    if (outer.top() < screens.top()) {
        client.moveBottom(outer.bottom());
    } else if (outer.left() < screens.left()) {
        client.moveRight(outer.right());
    } else if (outer.right() > screens.right()) {
        client.moveLeft(outer.left());
    }
    return client;
}

void X11Placement::finishWithdrawal() {
    if (handBackWhenWithdrawn_) {
        mode_ = Mode::Unmanaged;
        handBack(placed_);
    } else {
        showUnmanaged();
    }
}

void X11Placement::showUnmanaged() {
    mode_ = Mode::Unmanaged;
    const xcb_window_t self = windowId();
    const std::uint32_t overrideRedirect = 1;
    xcb_change_window_attributes(connection_, self, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    // No frame now: a manager that let go of the window may have left its extents behind.
    xcb_delete_property(connection_, self, frameExtentsAtom_);
    const QRect client = clientPlaceWhileUnmanaged();
    placedClient_ = client;
    // Above every other window, as the manager kept it while it held it.
    const std::uint32_t values[] = {asCard32(client.x()), asCard32(client.y()), XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_, self,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_STACK_MODE, values);
    xcb_map_window(connection_, self);
    xcb_flush(connection_);
}

QPoint X11Placement::clientPlaceForManager(const QRect& outer) {
    // ICCCM's window gravity says what a new window's position means to the manager: with static
    // gravity it is the client's own, with the default north-west the frame's outer corner.
    constexpr std::uint32_t kGravityFlag = 1U << 9;
    constexpr std::size_t kGravityItem = 17;
    constexpr std::uint32_t kStaticGravity = 10;
    const auto hints = property32(connection_, windowId(), XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS);
    const bool isStatic = hints && hints->size() > kGravityItem && ((*hints)[0] & kGravityFlag) != 0 &&
                          (*hints)[kGravityItem] == kStaticGravity;
    return isStatic ? outer.topLeft() + QPoint(keptFrame_.left(), keptFrame_.top()) : outer.topLeft();
}

void X11Placement::handBack(const QRect& target) {
    placed_ = target;
    if (mode_ == Mode::Withdrawing) {
        handBackWhenWithdrawn_ = true;
        return;
    }
    const xcb_window_t self = windowId();
    xcb_unmap_window(connection_, self);
    // Placed while still override-redirect, so that the X server moves it at once rather than asking the
    // manager, which then frames it where it stands.
    const QPoint client = clientPlaceForManager(toNative(window_, target));
    const std::uint32_t values[] = {asCard32(client.x()), asCard32(client.y())};
    xcb_configure_window(connection_, self, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    const std::uint32_t managed = 0;
    xcb_change_window_attributes(connection_, self, XCB_CW_OVERRIDE_REDIRECT, &managed);
    // The manager forgot the window's state when it let go of it: above others, among the rest.
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, self, stateAtom_, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(keptState_.size()), keptState_.data());
    xcb_map_window(connection_, self);
    xcb_flush(connection_);
    mode_ = Mode::Managed;
    requested_ = target;
    remapPending_ = true;
    dirty_ = true;
}

bool X11Placement::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const xcb_window_t self = lastWindow_;
    switch (event->response_type & 0x7F) {
    case XCB_CONFIGURE_NOTIFY:
        dirty_ = dirty_ || reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window == self;
        break;
    case XCB_UNMAP_NOTIFY:
        dirty_ = dirty_ || reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == self;
        break;
    case XCB_MAP_NOTIFY:
        if (reinterpret_cast<const xcb_map_notify_event_t*>(event)->window == self) {
            dirty_ = true;
            // Handed back: the manager has framed and mapped the window.
            if (mode_ == Mode::Managed) {
                remapPending_ = false;
            }
        }
        break;
    case XCB_REPARENT_NOTIFY: {
        const auto* reparent = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
        if (reparent->window == self) {
            dirty_ = true;
            if (mode_ == Mode::Withdrawing && reparent->parent == root_) {
                finishWithdrawal();
            }
        }
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        dirty_ = dirty_ || (property->window == self && property->atom == frameExtentsAtom_);
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace tolvane::qt
