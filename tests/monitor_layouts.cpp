#include "tests/monitor_layouts.h"

#include <algorithm>

namespace tolvane::testing {

namespace {

constexpr RECT kLeft{0, 0, 1280, 1024};
constexpr RECT kRight{1280, 0, 2560, 1024};
constexpr RECT kAbove{0, 0, 1280, 1024};
constexpr RECT kBelow{0, 1024, 1280, 2048};
// A wide primary beside a small monitor less tall than the window: at the primary's right edge, the
// window's rows meet the small monitor only near the top.
constexpr RECT kLarge{0, 0, 1280, 1024};
constexpr RECT kSmall{1280, 0, 2304, 480};

} // namespace

std::span<const MonitorLayout> monitorLayouts() {
    using enum Anchor;
    using enum Outcome;
    static const std::vector<MonitorLayout> layouts{
        {"side by side, the primary on the left",
         2560,
         1024,
         {kLeft, kRight},
         0,
         {{"on the second monitor", 1, Middle, Stays},
          {"across the two", 0, AcrossRight, Stays},
          {"against the primary's right edge, shared", 0, RightEdge, Stays},
          {"against the second's left edge, shared", 1, LeftEdge, Stays},
          {"against the second's right edge", 1, RightEdge, HidesRight},
          {"against the second's top edge", 1, TopEdge, HidesTop},
          {"against the primary's left edge", 0, LeftEdge, HidesLeft},
          {"against the primary's top edge", 0, TopEdge, HidesTop}}},
        {"side by side, the primary on the right",
         2560,
         1024,
         {kLeft, kRight},
         1,
         {{"on the left monitor", 0, Middle, Stays},
          {"across the two", 0, AcrossRight, Stays},
          {"against the left monitor's right edge, shared", 0, RightEdge, Stays},
          {"against the primary's left edge, shared", 1, LeftEdge, Stays},
          {"against the left monitor's left edge", 0, LeftEdge, HidesLeft},
          {"against the left monitor's top edge", 0, TopEdge, HidesTop},
          {"against the primary's right edge", 1, RightEdge, HidesRight}}},
        {"stacked, the primary below",
         1280,
         2048,
         {kAbove, kBelow},
         1,
         {{"against the primary's top edge, shared", 1, TopEdge, Stays},
          {"on the upper monitor", 0, Middle, Stays},
          {"against the upper monitor's top edge", 0, TopEdge, HidesTop},
          {"against the primary's left edge", 1, LeftEdge, HidesLeft},
          {"against the upper monitor's right edge", 0, RightEdge, HidesRight}}},
        {"of different sizes, a small one right of the primary",
         2304,
         1024,
         {kLarge, kSmall},
         0,
         {{"against the primary's right edge beside the small one, shared", 0, RightEdge, Stays},
          {"against the primary's right edge below the small one", 0, RightLow, HidesRight},
          {"against the small one's right edge", 1, RightEdge, HidesRight},
          {"against the small one's top edge", 1, TopEdge, HidesTop}}},
    };
    return layouts;
}

POINT placeWindow(const MonitorLayout& layout, const Placement& place, int width, int height) {
    const RECT& m = layout.monitors.at(place.monitor);
    const int middleX = (m.left + m.right - width) / 2;
    // At mid-height; on a monitor less tall than the window, a little below its top edge, so as not to be
    // against it.
    constexpr int kClearOfTheTop = 8;
    const int middleY = std::max(m.top + kClearOfTheTop, (m.top + m.bottom - height) / 2);
    switch (place.anchor) {
    case Anchor::Middle:
        return {middleX, middleY};
    case Anchor::AcrossRight:
        return {m.right - width / 2, middleY};
    case Anchor::TopEdge:
        return {middleX, m.top};
    case Anchor::LeftEdge:
        return {m.left, middleY};
    case Anchor::RightEdge:
        return {m.right - width, middleY};
    case Anchor::RightLow:
        return {m.right - width, m.bottom - height};
    }
    return {};
}

POINT pointerOnStrip(const MonitorLayout& layout, const Placement& place, const RECT& hidden) {
    const RECT& m = layout.monitors.at(place.monitor);
    const int middleX = (std::max(hidden.left, m.left) + std::min(hidden.right, m.right)) / 2;
    const int middleY = (std::max(hidden.top, m.top) + std::min(hidden.bottom, m.bottom)) / 2;
    switch (place.outcome) {
    case Outcome::HidesTop:
        return {middleX, m.top};
    case Outcome::HidesLeft:
        return {m.left, middleY};
    case Outcome::HidesRight:
        return {m.right - 1, middleY};
    case Outcome::Stays:
        break;
    }
    return {(hidden.left + hidden.right) / 2, (hidden.top + hidden.bottom) / 2};
}

} // namespace tolvane::testing
