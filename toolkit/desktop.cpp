#include "toolkit/desktop.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace tolvane {

namespace {

bool usable(const RECT& r) {
    return r.left < r.right && r.top < r.bottom;
}

bool isPrimary(const DisplayMonitor& monitor) {
    return monitor.primary;
}

std::span<const DisplayMonitor> listed(const DisplayMonitors& monitors) {
    return std::span(monitors.monitors)
        .first(std::min<std::size_t>(monitors.count, DisplayMonitors::kCapacity));
}

// Lengths in 64 bits: the difference of two 32-bit coordinates needs 33.
std::int64_t overlap(std::int32_t low1, std::int32_t high1, std::int32_t low2, std::int32_t high2) {
    return std::max<std::int64_t>(0, std::int64_t{std::min(high1, high2)} - std::max(low1, low2));
}

std::uint64_t sharedArea(const RECT& a, const RECT& b) {
    return static_cast<std::uint64_t>(overlap(a.left, a.right, b.left, b.right)) *
           static_cast<std::uint64_t>(overlap(a.top, a.bottom, b.top, b.bottom));
}

// How far apart two rectangles lie, along x plus along y: 0 when they meet or touch. Exact in 64 bits.
std::uint64_t gap(const RECT& a, const RECT& b) {
    const auto apart = [](std::int32_t low1, std::int32_t high1, std::int32_t low2, std::int32_t high2) {
        return static_cast<std::uint64_t>(
            std::max<std::int64_t>({0, std::int64_t{low2} - high1, std::int64_t{low1} - high2}));
    };
    return apart(a.left, a.right, b.left, b.right) + apart(a.top, a.bottom, b.top, b.bottom);
}

// The monitor that holds most of the window, else the nearest; ties to the primary, then the first.
const DisplayMonitor* chosenFor(std::span<const DisplayMonitor> monitors, const RECT& window) {
    const DisplayMonitor* best = nullptr;
    std::uint64_t bestArea = 0;
    std::uint64_t bestGap = 0;
    for (const DisplayMonitor& monitor : monitors) {
        if (!usable(monitor.rect)) {
            continue;
        }
        const std::uint64_t area = sharedArea(monitor.rect, window);
        const std::uint64_t distance = area > 0 ? 0 : gap(monitor.rect, window);
        const bool better =
            best == nullptr || area > bestArea ||
            (area == bestArea &&
             (distance < bestGap || (distance == bestGap && isPrimary(monitor) && !isPrimary(*best))));
        if (better) {
            best = &monitor;
            bestArea = area;
            bestGap = distance;
        }
    }
    return best;
}

} // namespace

MonitorOfWindow monitorOfWindow(const DisplayMonitors& monitors, const RECT& window) {
    const std::span<const DisplayMonitor> all = listed(monitors);
    const DisplayMonitor* chosen = chosenFor(all, window);
    if (chosen == nullptr) {
        return {};
    }
    const RECT& m = chosen->rect;
    MonitorOfWindow result{.rect = m, .primary = isPrimary(*chosen)};
    for (const DisplayMonitor& other : all) {
        const RECT& o = other.rect;
        if (&other == chosen || !usable(o)) {
            continue;
        }
        const bool sameColumns = overlap(o.left, o.right, window.left, window.right) > 0;
        const bool sameRows = overlap(o.top, o.bottom, window.top, window.bottom) > 0;
        result.topOuter = result.topOuter && !(sameColumns && o.top < m.top);
        result.leftOuter = result.leftOuter && !(sameRows && o.left < m.left);
        result.rightOuter = result.rightOuter && !(sameRows && o.right > m.right);
    }
    return result;
}

std::optional<POINT> placeOnDesktop(const DisplayMonitors& monitors, const RECT& window) {
    const std::span<const DisplayMonitor> all = listed(monitors);
    const bool shown = std::ranges::any_of(all, [&window](const DisplayMonitor& monitor) {
        return usable(monitor.rect) && sharedArea(monitor.rect, window) > 0;
    });
    const DisplayMonitor* nearest = shown || !usable(window) ? nullptr : chosenFor(all, window);
    if (nearest == nullptr) {
        return std::nullopt;
    }
    const RECT& m = nearest->rect;
    // Held to the monitor's left and top edges first, so that a window larger than it shows its corner.
    const auto within = [](std::int32_t at, std::int64_t size, std::int32_t low, std::int32_t high) {
        return static_cast<std::int32_t>(
            std::max<std::int64_t>(low, std::min<std::int64_t>(at, high - size)));
    };
    return POINT{within(window.left, std::int64_t{window.right} - window.left, m.left, m.right),
                 within(window.top, std::int64_t{window.bottom} - window.top, m.top, m.bottom)};
}

} // namespace tolvane
