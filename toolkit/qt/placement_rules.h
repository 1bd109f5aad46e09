// The rules that place the top-level window on an X11 desktop, under any window manager and past one that
// keeps windows on the screen, as a machine that does no I/O: what the program asked and what the X server
// reported go in, commands for the X server come out. x11_placement.cpp carries the commands out and feeds
// the server's events in; the machine cannot tell a real server from a test's table. Positions are the X
// server's pixels, root coordinates.
//
// Where the window is held (Hold):
//  - Settled: the manager's window (the server's alone where no manager runs), carried to where it was last
//    asked to go. Reads give the server's word; a corner the manager put within the tolerance of the one
//    asked for (a revealed window at row 0, not -1) reads as the one asked for.
//  - Asked: a move was asked of the manager, and the server has not reported the window anywhere else
//    since. Reads give the move asked, so that a write reads back at once.
//  - HandedBack: mapped again for the manager to take, which has not framed and mapped it yet.
//  - Withdrawing: unmapped and withdrawn (the ICCCM's withdrawal), until the manager lets go of it.
//  - WithdrawingToReturn: withdrawing, and moved onto the monitors meanwhile: handed back once let go.
//  - Unmanaged: override-redirect, mapped where it was put; the X server moves it at once.
// What the manager does with moves off the monitors (OffScreenMoves): Unknown; MissedOnce, the same one
// asked again of a manager that frames the window and has not put it there (it left the window, or put it
// elsewhere); Refused, missed twice: from then on, for good, a move off the monitors withdraws the window
// from the manager and shows it unmanaged instead.
// The kept word of the server is Current, or Stale once an event said the window changed (and after every
// move during a withdrawal, should the manager's ReparentNotify go by unseen): the window is then measured
// again before the next read or move.
//
// The monitors are rectangles. A place is off the monitors when some part of it lies on none, apart from
// what lies below the monitor that holds most of it (docking never hides a window at a bottom edge, and a
// window taller than the screen runs past it), with the tolerance at the top, left and right.
#pragma once

#include <QMargins>
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

namespace tolvane::qt {

// The X server's word on the window, as measured after an event said it changed.
struct ServerWord {
    QRect client;        // the client area
    bool framed = false; // a window manager holds it in a frame: its parent is not the root
    QMargins frame;      // the frame's extents, while framed
};

struct PlacementCommand {
    enum class Kind : std::uint8_t {
        Ask,            // move the outer corner through the manager, or by the server where none runs
        Withdraw,       // unmap and withdraw from the manager, keeping the window's _NET_WM_STATE
        ShowUnmanaged,  // override-redirect, without frame extents, the client at corner, raised and mapped
        PlaceUnmanaged, // the client to corner
        HandBack,       // unmapped, placed for the manager, no longer override-redirect, state back, mapped
    };
    Kind kind;
    QPoint corner = {};  // Ask, HandBack: the outer corner; ShowUnmanaged, PlaceUnmanaged: the client's
    QMargins frame = {}; // Ask: the frame the window has; HandBack: the frame it had while managed
    bool moveX = false;  // Ask: which coordinates were written
    bool moveY = false;
    friend bool operator==(const PlacementCommand&, const PlacementCommand&) = default;
};
using PlacementCommands = std::vector<PlacementCommand>;

class PlacementRules {
  public:
    enum class Hold : std::uint8_t {
        Settled,
        Asked,
        HandedBack,
        Withdrawing,
        WithdrawingToReturn,
        Unmanaged
    };
    enum class OffScreenMoves : std::uint8_t { Unknown, MissedOnce, Refused };

    // monitors: the desktop's monitors, the primary first. tolerance: how far (pixels) a manager may put
    // a window from where it was asked to be, or a window lie beyond the monitors' edges, and still count
    // as there (one logical pixel).
    PlacementRules(std::vector<QRect> monitors, int tolerance);

    // Inputs.
    // A write of the outer rectangle's left or top edge (whichever is given); the other stays. Needs a
    // current word (stale() false, hasWord() true).
    PlacementCommands move(std::optional<int> left, std::optional<int> top);
    // What a measure found; nothing when the window could not be measured (the word stays stale).
    PlacementCommands measured(std::optional<ServerWord> word);
    // ConfigureNotify, UnmapNotify or _NET_FRAME_EXTENTS changed on the window.
    void changed();
    PlacementCommands mapped();
    PlacementCommands reparented(bool toRoot);
    PlacementCommands monitorsChanged(std::vector<QRect> monitors);

    // Reads.
    bool stale() const { return stale_; }
    bool hasWord() const { return word_.has_value(); }
    // The outer rectangle (frame included) as the program reads it; nothing without a word of the server.
    std::optional<QRect> outer() const;
    Hold hold() const { return hold_; }
    OffScreenMoves offScreenMoves() const { return offScreen_; }

  private:
    enum class Event : std::uint8_t {
        MoveOn,
        MoveOff,
        MoveOffRefused,
        Answered,
        Mapped,
        Released,
        MonitorsHoldIt
    };
    enum class Action : std::uint8_t {
        None,
        Ask,
        Remember,
        Withdraw,
        ShowUnmanaged,
        PlaceUnmanaged,
        HandBack
    };
    struct Transition;
    struct Move {
        QRect target;
        bool x = false;
        bool y = false;
    };

    // The table's row for the event in this state, if any.
    static const Transition* transition(Hold from, Event on);
    PlacementCommands step(Event event, const std::optional<Move>& move = std::nullopt);
    void perform(Action action, const std::optional<Move>& move, PlacementCommands& out);
    // Which move event this is; keeps count of the moves the manager did not carry out.
    Event classify(const QRect& target);
    QRect measuredOuter() const;
    bool offMonitors(const QRect& outer) const;
    // The monitor that holds most of the rectangle; nothing without monitors.
    const QRect* holderOf(const QRect& outer) const;
    bool near(QPoint a, QPoint b) const;
    QPoint clientCornerWhileUnmanaged() const;

    std::vector<QRect> monitors_;
    int tolerance_;
    Hold hold_ = Hold::Settled;
    OffScreenMoves offScreen_ = OffScreenMoves::Unknown;
    bool stale_ = true;
    std::optional<ServerWord> word_;
    std::optional<QPoint> requested_; // the outer corner last asked of the manager
    QPoint askedFrom_;                // where the server had the outer corner when it was asked
    QRect placed_;                    // while not Settled or Asked: where the program put the window
    QPoint placedClient_;             // while unmanaged: where the client was put
    QMargins keptFrame_;              // the frame the window had before it was withdrawn
};

} // namespace tolvane::qt
