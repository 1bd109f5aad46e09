#include "toolkit/qt/x11_placement.h"

#include <QWidget>
#include <xcb/xcb.h>

namespace tolvane::qt {

namespace {

// From the EWMH's _NET_MOVERESIZE_WINDOW: which fields the message sets, the gravity that makes x and y
// the frame's outer corner, and who asks (an application, not a pager acting for the user).
constexpr std::uint32_t kNorthWestGravity = 1;
constexpr std::uint32_t kMoveResizeX = 1U << 8;
constexpr std::uint32_t kMoveResizeY = 1U << 9;
constexpr std::uint32_t kSourceApplication = 1U << 12;
// Root-window messages reach the manager through these.
constexpr std::uint32_t kToManager =
    XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

// The window's 32-bit-item client messages and configure values take root coordinates, which may be
// negative, as two's complement.
std::uint32_t asCard32(int value) {
    return static_cast<std::uint32_t>(value);
}

} // namespace

X11Placement::X11Placement(X11Window& window)
    : window_(window), rules_(X11Window::monitors(), window.onePixel()) {
    window_.listen(*this);
}

void X11Placement::monitorsChanged() {
    carryOut(rules_.monitorsChanged(X11Window::monitors()));
}

X11Placement::~X11Placement() {
    window_.stopListening(*this);
}

void X11Placement::measureIfStale() {
    if (rules_.stale()) {
        carryOut(rules_.measured(window_.measure()));
    }
}

QRect X11Placement::outerRect() {
    measureIfStale();
    const std::optional<QRect> outer = rules_.outer();
    return outer ? window_.toLogical(*outer) : window_.widget().frameGeometry();
}

void X11Placement::move(std::optional<int> left, std::optional<int> top) {
    measureIfStale();
    if (!rules_.hasWord()) {
        // The server has no word on the window: Qt's is taken.
        const QRect outer = outerRect();
        window_.widget().move(left.value_or(outer.left()), top.value_or(outer.top()));
        return;
    }
    carryOut(rules_.move(left ? std::optional(window_.toNativeX(*left)) : std::nullopt,
                         top ? std::optional(window_.toNativeY(*top)) : std::nullopt));
}

void X11Placement::windowChanged(WindowChange change) {
    switch (change) {
    case WindowChange::Configured:
    case WindowChange::Unmapped:
    case WindowChange::FrameExtents:
        rules_.changed();
        break;
    case WindowChange::Mapped:
        carryOut(rules_.mapped());
        break;
    case WindowChange::Reparented:
    case WindowChange::ReparentedToRoot:
        carryOut(rules_.reparented(change == WindowChange::ReparentedToRoot));
        break;
    }
}

void X11Placement::carryOut(const PlacementCommands& commands) {
    for (const PlacementCommand& command : commands) {
        switch (command.kind) {
        case PlacementCommand::Kind::Ask:
            ask(command);
            break;
        case PlacementCommand::Kind::Withdraw:
            withdraw();
            break;
        case PlacementCommand::Kind::ShowUnmanaged:
            showUnmanaged(command.corner);
            break;
        case PlacementCommand::Kind::PlaceUnmanaged:
            configureClient(command.corner);
            break;
        case PlacementCommand::Kind::HandBack:
            handBack(command);
            break;
        }
    }
    if (!commands.empty()) {
        xcb_flush(window_.connection());
    }
}

void X11Placement::configureClient(QPoint client, bool raise) {
    const std::uint32_t values[] = {asCard32(client.x()), asCard32(client.y()), XCB_STACK_MODE_ABOVE};
    xcb_configure_window(
        window_.connection(), window_.id(),
        XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | (raise ? XCB_CONFIG_WINDOW_STACK_MODE : 0), values);
}

void X11Placement::ask(const PlacementCommand& command) {
    // Through the window manager where there is one: it places the frame's corner, and kwin honours such a
    // request even partly off the screen, where it would pull back a plain one. Both coordinates are sent,
    // the one not written where the window is now: Mutter as a Wayland compositor moves the other one
    // too when given only one (8 pixels up for x alone; tests/linux/e2e/mutter_wayland_moveresize.py).
    if (window_.managerOffersMoveResize()) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window_.id();
        message.type = window_.atoms().moveResize;
        message.data.data32[0] = kNorthWestGravity | kSourceApplication | kMoveResizeX | kMoveResizeY;
        message.data.data32[1] = asCard32(command.corner.x());
        message.data.data32[2] = asCard32(command.corner.y());
        xcb_send_event(window_.connection(), 0, window_.root(), kToManager,
                       reinterpret_cast<const char*>(&message));
        return;
    }
    // Without a manager the client window is the outer rectangle and the X server moves it at once.
    std::uint16_t mask = 0;
    std::vector<std::uint32_t> values;
    if (command.moveX) {
        mask |= XCB_CONFIG_WINDOW_X;
        values.push_back(asCard32(command.corner.x() + command.frame.left()));
    }
    if (command.moveY) {
        mask |= XCB_CONFIG_WINDOW_Y;
        values.push_back(asCard32(command.corner.y() + command.frame.top()));
    }
    xcb_configure_window(window_.connection(), window_.id(), mask, values.data());
}

void X11Placement::withdraw() {
    const X11Window::Atoms& atoms = window_.atoms();
    keptState_ =
        window_.property32(window_.id(), atoms.wmState, XCB_ATOM_ATOM).value_or(std::vector<std::uint32_t>{});
    std::erase_if(keptState_,
                  [&](std::uint32_t atom) { return atom == atoms.focused || atom == atoms.hidden; });
    // The ICCCM's withdrawal: unmapped, and a synthetic UnmapNotify to the root for a manager that would not
    // otherwise notice. The manager then takes its frame away and gives the window back to the root.
    xcb_unmap_window(window_.connection(), window_.id());
    xcb_unmap_notify_event_t unmap{};
    unmap.response_type = XCB_UNMAP_NOTIFY;
    unmap.event = window_.root();
    unmap.window = window_.id();
    xcb_send_event(window_.connection(), 0, window_.root(), kToManager,
                   reinterpret_cast<const char*>(&unmap));
}

void X11Placement::showUnmanaged(QPoint client) {
    const std::uint32_t overrideRedirect = 1;
    xcb_change_window_attributes(window_.connection(), window_.id(), XCB_CW_OVERRIDE_REDIRECT,
                                 &overrideRedirect);
    // No frame now: a manager that let go of the window may have left its extents behind.
    xcb_delete_property(window_.connection(), window_.id(), window_.atoms().frameExtents);
    // Above every other window, as the manager kept it while it held it.
    configureClient(client, true);
    xcb_map_window(window_.connection(), window_.id());
}

void X11Placement::handBack(const PlacementCommand& command) {
    xcb_connection_t* connection = window_.connection();
    xcb_unmap_window(connection, window_.id());
    // ICCCM's window gravity says what a new window's position means to the manager: with static gravity it
    // is the client's own, with the default north-west the frame's outer corner. The client is placed while
    // still override-redirect, so that the X server moves it at once rather than asking the manager, which
    // then frames it where it stands.
    constexpr std::uint32_t kGravityFlag = 1U << 9;
    constexpr std::size_t kGravityItem = 17;
    constexpr std::uint32_t kStaticGravity = 10;
    const auto hints = window_.property32(window_.id(), XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS);
    const bool isStatic = hints && hints->size() > kGravityItem && ((*hints)[0] & kGravityFlag) != 0 &&
                          (*hints)[kGravityItem] == kStaticGravity;
    configureClient(isStatic ? command.corner + QPoint(command.frame.left(), command.frame.top())
                             : command.corner);
    const std::uint32_t managed = 0;
    xcb_change_window_attributes(connection, window_.id(), XCB_CW_OVERRIDE_REDIRECT, &managed);
    // The manager forgot the window's state when it let go of it: above others, among the rest.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window_.id(), window_.atoms().wmState,
                        XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(keptState_.size()), keptState_.data());
    xcb_map_window(connection, window_.id());
}

} // namespace tolvane::qt
