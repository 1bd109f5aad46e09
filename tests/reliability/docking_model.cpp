// The docking step read straight off its decision table, one tick at a time, with no shortcuts.
#include "docking_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace tolvane::reliability {

namespace {

using Kind = ModelStep::Kind;

// Statuses of the arithmetic checks, as the program reports them.
constexpr Status kOverflow = -6;
constexpr Status kInvalid = -16;

// Every double of this magnitude or more rounds to an infinite float: it is the midpoint between the
// largest float and 2^128, and ties go to the even neighbour, which is 2^128.
constexpr double kFirstOverflowingMagnitude = 0x1.ffffffp127;

struct Rounded {
    bool ok = false;
    Status status = 0;
    Twips value = 0;
};

// One computation made in double and rounded once to single precision, with its checks.
Rounded toSingle(double exact) {
    if (std::isnan(exact)) {
        return {false, kInvalid, 0};
    }
    if (exact >= kFirstOverflowingMagnitude || exact <= -kFirstOverflowingMagnitude) {
        return {false, kOverflow, 0};
    }
    return {true, 0, static_cast<Twips>(exact)};
}

// The monitor a window stands on, read plainly: the most shared area, else the least gap (the distance
// along x plus the distance along y), ties to the primary and then to the first listed; and whether each
// of its top, left and right edges has no other monitor beyond it along the window's columns or rows.
struct StoodOn {
    RECT rect;
    bool primary = false;
    bool topOuter = true;
    bool leftOuter = true;
    bool rightOuter = true;
};

// Exact for every product and sum of two 32-bit differences.
__extension__ typedef __int128 Wide;

Wide overlapOf(std::int32_t a0, std::int32_t a1, std::int32_t b0, std::int32_t b1) {
    const Wide low = std::max<Wide>(a0, b0);
    const Wide high = std::min<Wide>(a1, b1);
    return high > low ? high - low : 0;
}

Wide apartOf(std::int32_t a0, std::int32_t a1, std::int32_t b0, std::int32_t b1) {
    return std::max({Wide{0}, Wide{b0} - a1, Wide{a0} - b1});
}

// Nothing when the desktop lists no monitor with an area.
std::optional<StoodOn> stoodOn(const DisplayMonitors& monitors, const RECT& w) {
    std::vector<DisplayMonitor> listed;
    for (std::uint32_t i = 0; i < monitors.count && i < DisplayMonitors::kCapacity; ++i) {
        const RECT& r = monitors.monitors[i].rect;
        if (r.left < r.right && r.top < r.bottom) {
            listed.push_back(monitors.monitors[i]);
        }
    }
    if (listed.empty()) {
        return std::nullopt;
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < listed.size(); ++i) {
        const auto score = [&w](const DisplayMonitor& m) {
            const Wide area = overlapOf(m.rect.left, m.rect.right, w.left, w.right) *
                              overlapOf(m.rect.top, m.rect.bottom, w.top, w.bottom);
            const Wide gap = area > 0 ? 0
                                      : apartOf(m.rect.left, m.rect.right, w.left, w.right) +
                                            apartOf(m.rect.top, m.rect.bottom, w.top, w.bottom);
            return std::pair{area, gap};
        };
        const auto [area, gap] = score(listed[i]);
        const auto [bestArea, bestGap] = score(listed[best]);
        if (area > bestArea || (area == bestArea && gap < bestGap) ||
            (area == bestArea && gap == bestGap && listed[i].primary && !listed[best].primary)) {
            best = i;
        }
    }
    StoodOn on{listed[best].rect, listed[best].primary};
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (i == best) {
            continue;
        }
        const RECT& o = listed[i].rect;
        const bool columns = overlapOf(o.left, o.right, w.left, w.right) > 0;
        const bool rows = overlapOf(o.top, o.bottom, w.top, w.bottom) > 0;
        if (columns && o.top < on.rect.top) {
            on.topOuter = false;
        }
        if (rows && o.left < on.rect.left) {
            on.leftOuter = false;
        }
        if (rows && o.right > on.rect.right) {
            on.rightOuter = false;
        }
    }
    return on;
}

bool aloneOnItsDesktop(const DisplayMonitors& monitors, const StoodOn& on) {
    int withArea = 0;
    for (std::uint32_t i = 0; i < monitors.count && i < DisplayMonitors::kCapacity; ++i) {
        const RECT& r = monitors.monitors[i].rect;
        withArea += r.left < r.right && r.top < r.bottom ? 1 : 0;
    }
    return withArea == 1 && on.primary;
}

class Tick {
  public:
    explicit Tick(const TickSituation& situation) : s_(situation) {
        out_.top = s_.top;
        out_.left = s_.left;
    }

    ModelOutcome run() {
        // 1. Both records start out zeroed.
        POINT pointer{0, 0};
        RECT rect{0, 0, 0, 0};

        // 2. The pointer; a failed call leaves the record as it was.
        out_.steps.push_back({Kind::GetCursorPos});
        if (s_.cursorResult != 0) {
            pointer = s_.pointer;
        }

        // 3. The handle, then the rectangle.
        if (!status(Kind::ReadHWnd, "Frmbzz")) {
            return out_;
        }
        out_.steps.push_back({Kind::GetWindowRect});
        if (s_.rectResult != 0) {
            rect = s_.rect;
        }

        // 4. A minimized window is left alone.
        if (!status(Kind::ReadWindowState, "Frmbzz")) {
            return out_;
        }
        if (s_.windowState == 1) {
            out_.row = ModelRow::Minimized;
            return out_;
        }

        // The desktop's monitors; a failed call leaves none.
        out_.steps.push_back({Kind::EnumDisplayMonitors});
        const DisplayMonitors none{};
        const std::optional<StoodOn> on = stoodOn(s_.monitorsResult != 0 ? s_.monitors : none, rect);

        // 5. Strictly between the rectangle's edges on both axes.
        const bool inside = rect.left < pointer.x && pointer.x < rect.right && rect.top < pointer.y &&
                            pointer.y < rect.bottom;
        if (!on || aloneOnItsDesktop(s_.monitors, *on)) {
            // One screen, the primary: the table as it stands.
            if (inside) {
                reveal();
            } else {
                hide(rect);
            }
        } else {
            out_.onSeveralMonitors = true;
            if (inside) {
                revealOn(*on);
            } else {
                hideOn(rect, *on);
            }
        }
        return out_;
    }

  private:
    // 6. The pointer is not over the window.
    void hide(const RECT& rect) {
        if (rect.top <= 4) {
            if (!status(Kind::ReadHeight, "Frmbzz")) {
                return;
            }
            const Rounded newTop = toSingle(40.0 - double(s_.height));
            if (!arithmetic(newTop) || !write(Kind::WriteTop, newTop.value)) {
                return;
            }
            out_.row = ModelRow::HideTop;
            return;
        }
        if (rect.left <= 4) {
            if (!status(Kind::ReadWidth, "Frmbzz")) {
                return;
            }
            const Rounded newLeft = toSingle(40.0 - double(s_.width));
            if (!arithmetic(newLeft) || !write(Kind::WriteLeft, newLeft.value)) {
                return;
            }
            out_.row = ModelRow::HideLeft;
            return;
        }
        if (!status(Kind::ReadWidth, "Frmbzz") || !status(Kind::ReadScreenWidth, "Screen") ||
            !status(Kind::ReadLeft, "Frmbzz")) {
            return;
        }
        const Rounded rightEdge = toSingle(double(s_.left) + double(s_.width));
        if (!arithmetic(rightEdge)) {
            return;
        }
        const Rounded threshold = toSingle(double(s_.screenWidth) - 4.0);
        if (!arithmetic(threshold)) {
            return;
        }
        if (rightEdge.value >= threshold.value) {
            if (!status(Kind::ReadScreenWidth, "Screen")) {
                return;
            }
            const Rounded newLeft = toSingle(double(s_.screenWidth) - 40.0);
            if (!arithmetic(newLeft) || !write(Kind::WriteLeft, newLeft.value)) {
                return;
            }
            out_.row = ModelRow::HideRight;
            return;
        }
        out_.row = ModelRow::OutsideNoEdge;
    }

    // 7. The pointer is over the window.
    void reveal() {
        if (!status(Kind::ReadTop, "Frmbzz")) {
            return;
        }
        if (s_.top < 0.0F) {
            if (write(Kind::WriteTop, -10.0F) && show()) {
                out_.row = ModelRow::RevealTop;
            }
            return;
        }
        if (!status(Kind::ReadLeft, "Frmbzz")) {
            return;
        }
        if (s_.left < 0.0F) {
            if (write(Kind::WriteLeft, -10.0F) && show()) {
                out_.row = ModelRow::RevealLeft;
            }
            return;
        }
        if (!status(Kind::ReadWidth, "Frmbzz") || !status(Kind::ReadScreenWidth, "Screen") ||
            !status(Kind::ReadLeft, "Frmbzz")) {
            return;
        }
        const Rounded rightEdge = toSingle(double(s_.left) + double(s_.width));
        if (!arithmetic(rightEdge)) {
            return;
        }
        if (rightEdge.value >= s_.screenWidth) {
            // Screen width minus Width, plus 10: the two are read again, in the order they are written.
            if (!status(Kind::ReadScreenWidth, "Screen") || !status(Kind::ReadWidth, "Frmbzz")) {
                return;
            }
            const Rounded newLeft = toSingle((double(s_.screenWidth) - double(s_.width)) + 10.0);
            if (arithmetic(newLeft) && write(Kind::WriteLeft, newLeft.value) && show()) {
                out_.row = ModelRow::RevealRight;
            }
            return;
        }
        out_.row = ModelRow::InsideNoEdge;
    }

    // The edges of a monitor in twips: the primary's top and left are the origin and its right edge is the
    // screen's width; another's are its pixels times the twips per pixel.
    std::optional<double> edge(const StoodOn& on, char which) {
        if (on.primary) {
            if (which != 'r') {
                return 0.0;
            }
            if (!status(Kind::ReadScreenWidth, "Screen")) {
                return std::nullopt;
            }
            return double{s_.screenWidth};
        }
        if (!status(which == 't' ? Kind::ReadTwipsPerPixelY : Kind::ReadTwipsPerPixelX, "Screen")) {
            return std::nullopt;
        }
        const std::int32_t pixels = which == 't' ? on.rect.top : which == 'l' ? on.rect.left : on.rect.right;
        const Rounded twips = toSingle(double{s_.twipsPerPixel} * pixels);
        if (!arithmetic(twips)) {
            return std::nullopt;
        }
        return double{twips.value};
    }

    // 6, on several monitors: the same rows, each at an outer edge of the window's monitor only.
    void hideOn(const RECT& rect, const StoodOn& on) {
        if (on.topOuter && std::int64_t{rect.top} - on.rect.top <= 4) {
            const std::optional<double> top = edge(on, 't');
            if (!top || !status(Kind::ReadHeight, "Frmbzz")) {
                return;
            }
            const Rounded newTop = toSingle(*top + 40.0 - double(s_.height));
            if (arithmetic(newTop) && write(Kind::WriteTop, newTop.value)) {
                out_.row = ModelRow::HideTop;
            }
            return;
        }
        if (on.leftOuter && std::int64_t{rect.left} - on.rect.left <= 4) {
            const std::optional<double> left = edge(on, 'l');
            if (!left || !status(Kind::ReadWidth, "Frmbzz")) {
                return;
            }
            const Rounded newLeft = toSingle(*left + 40.0 - double(s_.width));
            if (arithmetic(newLeft) && write(Kind::WriteLeft, newLeft.value)) {
                out_.row = ModelRow::HideLeft;
            }
            return;
        }
        if (!on.rightOuter) {
            out_.row = ModelRow::OutsideNoEdge;
            return;
        }
        if (!status(Kind::ReadWidth, "Frmbzz")) {
            return;
        }
        const std::optional<double> right = edge(on, 'r');
        if (!right || !status(Kind::ReadLeft, "Frmbzz")) {
            return;
        }
        const Rounded rightEdge = toSingle(double(s_.left) + double(s_.width));
        if (!arithmetic(rightEdge)) {
            return;
        }
        const Rounded threshold = toSingle(*right - 4.0);
        if (!arithmetic(threshold)) {
            return;
        }
        if (rightEdge.value < threshold.value) {
            out_.row = ModelRow::OutsideNoEdge;
            return;
        }
        const std::optional<double> again = edge(on, 'r');
        if (!again) {
            return;
        }
        const Rounded newLeft = toSingle(*again - 40.0);
        if (arithmetic(newLeft) && write(Kind::WriteLeft, newLeft.value)) {
            out_.row = ModelRow::HideRight;
        }
    }

    // 7, on several monitors.
    void revealOn(const StoodOn& on) {
        if (on.topOuter) {
            const std::optional<double> top = edge(on, 't');
            if (!top || !status(Kind::ReadTop, "Frmbzz")) {
                return;
            }
            if (s_.top < static_cast<float>(*top)) {
                const Rounded newTop = toSingle(*top - 10.0);
                if (arithmetic(newTop) && write(Kind::WriteTop, newTop.value) && show()) {
                    out_.row = ModelRow::RevealTop;
                }
                return;
            }
        }
        if (on.leftOuter) {
            const std::optional<double> left = edge(on, 'l');
            if (!left || !status(Kind::ReadLeft, "Frmbzz")) {
                return;
            }
            if (s_.left < static_cast<float>(*left)) {
                const Rounded newLeft = toSingle(*left - 10.0);
                if (arithmetic(newLeft) && write(Kind::WriteLeft, newLeft.value) && show()) {
                    out_.row = ModelRow::RevealLeft;
                }
                return;
            }
        }
        if (!on.rightOuter) {
            out_.row = ModelRow::InsideNoEdge;
            return;
        }
        if (!status(Kind::ReadWidth, "Frmbzz")) {
            return;
        }
        const std::optional<double> right = edge(on, 'r');
        if (!right || !status(Kind::ReadLeft, "Frmbzz")) {
            return;
        }
        const Rounded rightEdge = toSingle(double(s_.left) + double(s_.width));
        if (!arithmetic(rightEdge)) {
            return;
        }
        if (!(rightEdge.value >= static_cast<float>(*right))) { // a NaN screen width reaches no edge
            out_.row = ModelRow::InsideNoEdge;
            return;
        }
        const std::optional<double> again = edge(on, 'r');
        if (!again || !status(Kind::ReadWidth, "Frmbzz")) {
            return;
        }
        const Rounded newLeft = toSingle((*again - double(s_.width)) + 10.0);
        if (arithmetic(newLeft) && write(Kind::WriteLeft, newLeft.value) && show()) {
            out_.row = ModelRow::RevealRight;
        }
    }

    // A status-reporting operation: true when it succeeded and the tick goes on.
    bool status(Kind kind, const char* object) {
        ++operations_;
        const bool fails = operations_ == s_.failingOperation;
        out_.steps.push_back({kind, 0, fails});
        if (fails) {
            out_.error = ModelError{s_.failingStatus, object};
        }
        return !fails;
    }

    bool write(Kind kind, Twips value) {
        ++operations_;
        const bool fails = operations_ == s_.failingOperation;
        out_.steps.push_back({kind, value, fails});
        if (fails) {
            out_.error = ModelError{s_.failingStatus, "Frmbzz"};
            return false;
        }
        // Every toolkit refuses a position that no pixel (15 twips at 96 DPI) can hold.
        const double pixels = std::nearbyint(double{value} / 15);
        if (!(pixels >= std::numeric_limits<int>::min() && pixels <= std::numeric_limits<int>::max())) {
            out_.error = ModelError{kOverflow, "Frmbzz"};
            return false;
        }
        if (kind == Kind::WriteTop) {
            out_.top = value;
        } else {
            out_.left = value;
        }
        return true;
    }

    bool show() {
        if (!status(Kind::Show, "Frmbzz")) {
            return false;
        }
        out_.shown = true;
        return true;
    }

    bool arithmetic(const Rounded& result) {
        if (!result.ok) {
            out_.error = ModelError{result.status, "Frmbzz"};
        }
        return result.ok;
    }

    const TickSituation& s_;
    ModelOutcome out_;
    int operations_ = 0;
};

} // namespace

const char* nameOf(ModelRow row) {
    switch (row) {
    case ModelRow::Minimized:
        return "minimized";
    case ModelRow::HideTop:
        return "outside, top";
    case ModelRow::HideLeft:
        return "outside, left";
    case ModelRow::HideRight:
        return "outside, right";
    case ModelRow::OutsideNoEdge:
        return "outside, no edge";
    case ModelRow::RevealTop:
        return "inside, top";
    case ModelRow::RevealLeft:
        return "inside, left";
    case ModelRow::RevealRight:
        return "inside, right";
    case ModelRow::InsideNoEdge:
        return "inside, no edge";
    case ModelRow::Error:
        return "run-time error";
    }
    return "?";
}

ModelOutcome modelTick(const TickSituation& situation) {
    return Tick(situation).run();
}

} // namespace tolvane::reliability
