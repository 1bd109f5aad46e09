// The docking step read straight off its decision table, one tick at a time, with no shortcuts.
#include "docking_model.h"

#include <cmath>
#include <limits>

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

        // 5. Strictly between the rectangle's edges on both axes.
        const bool inside = rect.left < pointer.x && pointer.x < rect.right && rect.top < pointer.y &&
                            pointer.y < rect.bottom;
        if (inside) {
            reveal();
        } else {
            hide(rect);
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
