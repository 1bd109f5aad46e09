// What counts as a click on a label, for every layer: the left button pressed and then released on the
// same label. A press elsewhere, a release on another label, or a press the window system took away
// (another window captured the pointer) is no click. Labels are told apart by their place in creation
// order.
#pragma once

#include <cstddef>
#include <optional>
#include <utility>

namespace tolvane {

class ClickTracking {
  public:
    using LabelIndex = std::optional<std::size_t>;

    // The left button went down over this label, or over none.
    void press(LabelIndex label) { pressed_ = label; }
    // The left button came up over this label, or over none: the label clicked, if any.
    LabelIndex release(LabelIndex label) {
        const LabelIndex pressed = std::exchange(pressed_, std::nullopt);
        return pressed && pressed == label ? pressed : std::nullopt;
    }
    void cancel() { pressed_.reset(); }
    bool pressing() const { return pressed_.has_value(); }

  private:
    LabelIndex pressed_;
};

} // namespace tolvane
