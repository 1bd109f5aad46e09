#include "toolkit/qt/placement_rules.h"

#include <QRegion>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tolvane::qt {

struct PlacementRules::Transition {
    Hold from;
    Event on;
    Hold to;
    Action action;
};

// Every change of where the window is held, in one table. An event a state has no row for changes
// nothing.
const PlacementRules::Transition* PlacementRules::transition(Hold from, Event on) {
    using enum Hold;
    using enum Event;
    using enum Action;
    // clang-format off
    static constexpr Transition kTable[] = {
        {Settled,             MoveOn,         Asked,               Ask},
        {Settled,             MoveOff,        Asked,               Ask},
        {Settled,             MoveOffRefused, Withdrawing,         Withdraw},
        {Asked,               MoveOn,         Asked,               Ask},
        {Asked,               MoveOff,        Asked,               Ask},
        {Asked,               MoveOffRefused, Withdrawing,         Withdraw},
        {Asked,               Answered,       Settled,             None},
        {HandedBack,          MoveOn,         Asked,               Ask},
        {HandedBack,          MoveOff,        Asked,               Ask},
        {HandedBack,          MoveOffRefused, Withdrawing,         Withdraw},
        {HandedBack,          Mapped,         Settled,             None},
        {Withdrawing,         MoveOn,         WithdrawingToReturn, Remember},
        {Withdrawing,         MoveOff,        Withdrawing,         Remember},
        {Withdrawing,         Released,       Unmanaged,           ShowUnmanaged},
        {Withdrawing,         MonitorsHoldIt, WithdrawingToReturn, None},
        {WithdrawingToReturn, MoveOn,         WithdrawingToReturn, Remember},
        {WithdrawingToReturn, MoveOff,        Withdrawing,         Remember},
        {WithdrawingToReturn, Released,       HandedBack,          HandBack},
        {Unmanaged,           MoveOn,         HandedBack,          HandBack},
        {Unmanaged,           MoveOff,        Unmanaged,           PlaceUnmanaged},
        {Unmanaged,           MonitorsHoldIt, HandedBack,          HandBack},
    };
    // clang-format on
    const auto* row =
        std::ranges::find_if(kTable, [&](const Transition& t) { return t.from == from && t.on == on; });
    return row == std::end(kTable) ? nullptr : row;
}

PlacementRules::PlacementRules(std::vector<QRect> monitors, int tolerance)
    : monitors_(std::move(monitors)), tolerance_(tolerance) {}

PlacementCommands PlacementRules::step(Event event, const std::optional<Move>& move) {
    const Transition* row = transition(hold_, event);
    PlacementCommands out;
    if (row == nullptr) {
        return out;
    }
    hold_ = row->to;
    perform(row->action, move, out);
    // A manager that does not frame windows has nothing to give back: withdrawn, the window is the
    // root's already.
    if (row->action == Action::Withdraw && !word_->framed) {
        PlacementCommands released = step(Event::Released);
        out.insert(out.end(), released.begin(), released.end());
    }
    return out;
}

void PlacementRules::perform(Action action, const std::optional<Move>& move, PlacementCommands& out) {
    const QRect target = move ? move->target : placed_;
    switch (action) {
    case Action::None:
        break;
    case Action::Ask:
        requested_ = target.topLeft();
        askedFrom_ = measuredOuter().topLeft();
        out.push_back({.kind = PlacementCommand::Kind::Ask,
                       .corner = target.topLeft(),
                       .frame = word_->framed ? word_->frame : QMargins(),
                       .moveX = move->x,
                       .moveY = move->y});
        break;
    case Action::Remember:
        placed_ = target;
        break;
    case Action::Withdraw:
        if (word_->framed) { // else the frame it had while the manager last held it
            keptFrame_ = word_->frame;
        }
        placed_ = target;
        requested_.reset();
        stale_ = true;
        out.push_back({.kind = PlacementCommand::Kind::Withdraw});
        break;
    case Action::ShowUnmanaged:
        placedClient_ = clientCornerWhileUnmanaged();
        out.push_back({.kind = PlacementCommand::Kind::ShowUnmanaged, .corner = placedClient_});
        break;
    case Action::PlaceUnmanaged:
        placed_ = target;
        placedClient_ = clientCornerWhileUnmanaged();
        out.push_back({.kind = PlacementCommand::Kind::PlaceUnmanaged, .corner = placedClient_});
        break;
    case Action::HandBack:
        placed_ = target;
        requested_ = target.topLeft();
        stale_ = true;
        out.push_back(
            {.kind = PlacementCommand::Kind::HandBack, .corner = target.topLeft(), .frame = keptFrame_});
        break;
    }
}

PlacementRules::Event PlacementRules::classify(const QRect& target) {
    const bool off = offMonitors(target);
    if (hold_ != Hold::Settled && hold_ != Hold::Asked && hold_ != Hold::HandedBack) {
        return off ? Event::MoveOff : Event::MoveOn;
    }
    if (offScreen_ == OffScreenMoves::Refused) {
        return off ? Event::MoveOffRefused : Event::MoveOn;
    }
    // The window is not where it was last asked to go (a move to where it is changes nothing). Only a
    // manager that holds the window in a frame can have refused: a window still the root's child is either
    // the server's alone (moved as asked) or not yet taken on by a manager that is busy.
    const bool missed = off && requested_ == target.topLeft() && word_->framed;
    if (!missed) {
        offScreen_ = OffScreenMoves::Unknown;
        return off ? Event::MoveOff : Event::MoveOn;
    }
    offScreen_ = offScreen_ == OffScreenMoves::Unknown ? OffScreenMoves::MissedOnce : OffScreenMoves::Refused;
    return offScreen_ == OffScreenMoves::Refused ? Event::MoveOffRefused : Event::MoveOff;
}

PlacementCommands PlacementRules::move(std::optional<int> left, std::optional<int> top) {
    const bool withdrawing = hold_ == Hold::Withdrawing || hold_ == Hold::WithdrawingToReturn;
    const std::optional<QRect> current = outer();
    stale_ = stale_ || withdrawing;
    if (!current) {
        return {};
    }
    QRect target = *current;
    target.moveTo(left.value_or(current->left()), top.value_or(current->top()));
    // Asked, the same move again is the manager not having carried it out yet: asked again, or refused.
    if (target.topLeft() == current->topLeft() && hold_ != Hold::Asked) {
        return {};
    }
    return step(classify(target), Move{target, left.has_value(), top.has_value()});
}

PlacementCommands PlacementRules::measured(std::optional<ServerWord> word) {
    if (!word) {
        word_.reset();
        return {};
    }
    word_ = *word;
    stale_ = false;
    switch (hold_) {
    case Hold::Asked: {
        // Where it was asked, or moved elsewhere since (by the manager, short of the place asked, or by the
        // user): the server's word stands again.
        const QPoint corner = measuredOuter().topLeft();
        return near(*requested_, corner) || corner != askedFrom_ ? step(Event::Answered)
                                                                 : PlacementCommands{};
    }
    case Hold::Withdrawing:
    case Hold::WithdrawingToReturn:
        return word_->framed ? PlacementCommands{} : step(Event::Released);
    case Hold::Unmanaged:
        // Nothing but the program moves an unmanaged window; should anyone, it is where they put it.
        if (const QPoint shift = word_->client.topLeft() - placedClient_; !shift.isNull()) {
            placed_.translate(shift);
            placedClient_ += shift;
        }
        return {};
    case Hold::Settled:
    case Hold::HandedBack:
        return {};
    }
    return {};
}

void PlacementRules::changed() {
    stale_ = true;
}

PlacementCommands PlacementRules::mapped() {
    stale_ = true;
    return step(Event::Mapped);
}

PlacementCommands PlacementRules::reparented(bool toRoot) {
    stale_ = true;
    return toRoot ? step(Event::Released) : PlacementCommands{};
}

PlacementCommands PlacementRules::monitorsChanged(std::vector<QRect> monitors) {
    monitors_ = std::move(monitors);
    const bool placedByProgram = hold_ == Hold::Withdrawing || hold_ == Hold::Unmanaged;
    return placedByProgram && !offMonitors(placed_) ? step(Event::MonitorsHoldIt) : PlacementCommands{};
}

std::optional<QRect> PlacementRules::outer() const {
    if (hold_ != Hold::Settled && hold_ != Hold::Asked) {
        return placed_;
    }
    if (!word_) {
        return std::nullopt;
    }
    QRect outer = measuredOuter();
    if (requested_ && (hold_ == Hold::Asked || near(*requested_, outer.topLeft()))) {
        outer.moveTopLeft(*requested_);
    }
    return outer;
}

QRect PlacementRules::measuredOuter() const {
    // A frame only counts while a manager holds the window in one: _NET_FRAME_EXTENTS may outlive it.
    return word_->framed ? word_->client.marginsAdded(word_->frame) : word_->client;
}

bool PlacementRules::offMonitors(const QRect& outer) const {
    const QRect* holder = holderOf(outer);
    if (holder == nullptr) {
        return false;
    }
    // What lies below the monitor that holds the window does not count: docking never hides at a bottom
    // edge, and a window taller than its monitor must stay managed. What lies beyond its top, left or right
    // edge counts unless another monitor shows it.
    QRegion beyond(
        outer.adjusted(tolerance_, tolerance_, -tolerance_, 0)
            .intersected(QRect(QPoint(outer.left(), outer.top()), QPoint(outer.right(), holder->bottom()))));
    for (const QRect& monitor : monitors_) {
        beyond -= QRegion(monitor);
    }
    return !beyond.isEmpty();
}

const QRect* PlacementRules::holderOf(const QRect& outer) const {
    // The monitor that holds most of the rectangle, the first listed (the primary) for one on none.
    const QRect* holder = monitors_.empty() ? nullptr : &monitors_.front();
    long long most = 0;
    for (const QRect& monitor : monitors_) {
        const QRect shared = monitor.intersected(outer);
        const long long area =
            shared.isEmpty() ? 0 : static_cast<long long>(shared.width()) * shared.height();
        if (area > most) {
            most = area;
            holder = &monitor;
        }
    }
    return holder;
}

bool PlacementRules::near(QPoint a, QPoint b) const {
    return std::abs(a.x() - b.x()) <= tolerance_ && std::abs(a.y() - b.y()) <= tolerance_;
}

QPoint PlacementRules::clientCornerWhileUnmanaged() const {
    // The frame is gone while the manager does not hold the window, so the client is placed to show its own
    // pixels on the side left on the monitor that holds most of the window, where the frame's edge would be.
    const QRect& outer = placed_;
    const QSize size = word_ ? word_->client.size() : outer.marginsRemoved(keptFrame_).size();
    QRect client(outer.topLeft() + QPoint(keptFrame_.left(), keptFrame_.top()), size);
    const QRect* holder = holderOf(outer);
    if (holder == nullptr) {
        return client.topLeft();
    }
    if (outer.top() < holder->top()) {
        client.moveBottom(outer.bottom());
    } else if (outer.left() < holder->left()) {
        client.moveRight(outer.right());
    } else if (outer.right() > holder->right()) {
        client.moveLeft(outer.left());
    }
    return client.topLeft();
}

} // namespace tolvane::qt
