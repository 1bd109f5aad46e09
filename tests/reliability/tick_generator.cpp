#include "tick_generator.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <utility>

namespace tolvane::reliability {

std::uint64_t SeededEntropy::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t ByteEntropy::next() {
    std::uint64_t value = 0;
    for (int i = 0; i < 8 && !bytes_.empty(); ++i) {
        value |= std::uint64_t{bytes_.front()} << (8 * i);
        bytes_ = bytes_.subspan(1);
    }
    return value;
}

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

class Choices {
  public:
    explicit Choices(Entropy& entropy) : entropy_(entropy) {}

    std::uint64_t bits() { return entropy_.next(); }
    // 0 .. n-1; the slight bias of the modulo does not matter here.
    std::uint64_t below(std::uint64_t n) { return bits() % n; }
    bool oneIn(std::uint64_t n) { return below(n) == 0; }
    template <typename T, std::size_t N> T pick(const std::array<T, N>& values) { return values[below(N)]; }

  private:
    Entropy& entropy_;
};

// A coordinate offset that may run past either end of the 32-bit range wraps around, as a window
// system's arithmetic would.
std::int32_t wrapped(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

std::int32_t coordinate(Choices& c) {
    static constexpr std::array<std::int32_t, 14> special{kMin, kMin + 1, -5, -4,   -1,   0,        1,
                                                          3,    4,        5,  1920, 1919, kMax - 1, kMax};
    switch (c.below(4)) {
    case 0:
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(c.bits()));
    case 1:
        return c.pick(special);
    default:
        return static_cast<std::int32_t>(c.below(8001)) - 4000;
    }
}

// The rectangle's top and left meet the 4-pixel thresholds often, the rest of the time anything.
std::int32_t nearThreshold(Choices& c) {
    return c.oneIn(2) ? static_cast<std::int32_t>(c.below(5)) + 2 : coordinate(c); // 2 .. 6
}

RECT rectangle(Choices& c) {
    RECT rect;
    rect.left = nearThreshold(c);
    rect.top = nearThreshold(c);
    if (c.oneIn(4)) {
        rect.right = coordinate(c); // possibly before left: an empty or turned-over rectangle
        rect.bottom = coordinate(c);
    } else {
        rect.right = wrapped(std::int64_t{rect.left} + static_cast<std::int64_t>(c.below(3000)));
        rect.bottom = wrapped(std::int64_t{rect.top} + static_cast<std::int64_t>(c.below(3000)));
    }
    return rect;
}

// One pixel either side of an edge, or on it.
std::int32_t besideEdge(Choices& c, std::int32_t edge) {
    return wrapped(std::int64_t{edge} + static_cast<std::int64_t>(c.below(3)) - 1);
}

std::int32_t pointerAxis(Choices& c, std::int32_t low, std::int32_t high) {
    switch (c.below(4)) {
    case 0:
        return besideEdge(c, low);
    case 1:
        return besideEdge(c, high);
    case 2: {
        const std::int64_t span = std::int64_t{high} - low;
        return span > 0 ? wrapped(low + static_cast<std::int64_t>(c.below(static_cast<std::uint64_t>(span))))
                        : coordinate(c);
    }
    default:
        return coordinate(c);
    }
}

Twips subnormal(Choices& c) {
    const auto magnitude = std::bit_cast<float>(static_cast<std::uint32_t>(1 + c.below(0x7FFFFF)));
    return c.oneIn(2) ? magnitude : -magnitude;
}

Twips twips(Choices& c) {
    static constexpr std::array<float, 26> special{0.0F,
                                                   -0.0F,
                                                   1.0F,
                                                   -1.0F,
                                                   FLT_MAX,
                                                   -FLT_MAX,
                                                   kInfinity,
                                                   -kInfinity,
                                                   kNaN,
                                                   FLT_MIN,
                                                   -FLT_MIN,
                                                   FLT_TRUE_MIN,
                                                   -FLT_TRUE_MIN,
                                                   4.0F,
                                                   -4.0F,
                                                   10.0F,
                                                   -10.0F,
                                                   40.0F,
                                                   -40.0F,
                                                   0x1p24F,
                                                   0x1p25F,
                                                   1e30F,
                                                   -1e30F,
                                                   0x1.fffffcp127F,
                                                   -0x1.fffffcp127F,
                                                   7200.0F};
    switch (c.below(8)) {
    case 0:
        return c.pick(special);
    case 1:
        return std::bit_cast<float>(static_cast<std::uint32_t>(c.bits())); // anything, NaN payloads too
    case 2:
        return subnormal(c);
    case 3:
        return static_cast<float>(static_cast<std::int64_t>(c.below(400001)) - 200000) / 4.0F;
    default:
        return static_cast<float>(static_cast<std::int64_t>(c.below(120001)) - 60000);
    }
}

Twips screenWidth(Choices& c) {
    static constexpr std::array<float, 16> special{
        28800.0F, 19200.0F, 38400.0F, 0.0F,      4.0F,       40.0F, 1.0F,    FLT_TRUE_MIN,
        1e38F,    FLT_MAX,  -FLT_MAX, kInfinity, -kInfinity, kNaN,  0x1p24F, 0x1p25F};
    return c.oneIn(2) ? c.pick(special) : twips(c);
}

// Moves a float by a few units in the last place, either way.
Twips nudged(Choices& c, Twips value) {
    const int steps = static_cast<int>(c.below(5)) - 2;
    for (int i = 0; i < steps; ++i) {
        value = std::nextafter(value, kInfinity);
    }
    for (int i = 0; i > steps; --i) {
        value = std::nextafter(value, -kInfinity);
    }
    return value;
}

// A Left that puts the window's right edge on or beside the hide threshold (screen width − 4) or the
// reveal threshold (screen width), where a slip in rounding or in the comparison would show.
Twips leftAtRightEdge(Choices& c, Twips width, Twips screen) {
    const double target = c.oneIn(2) ? double{screen} - 4 : double{screen};
    return nudged(c, static_cast<float>(target - double{width}));
}

std::int16_t windowState(Choices& c) {
    switch (c.below(4)) {
    case 0:
        return vbMinimized;
    case 1:
        return c.oneIn(2) ? vbNormal : vbMaximized;
    default:
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(c.bits()));
    }
}

Status failure(Choices& c) {
    static constexpr std::array<Status, 4> special{-1, kMin, -6, -16};
    return c.oneIn(2) ? c.pick(special) : -static_cast<Status>(1 + c.below(kMax));
}

// Twips per pixel: the scales of 96 to 192 DPI mostly, and the values that break arithmetic.
Twips twipsPerPixel(Choices& c) {
    static constexpr std::array<float, 12> special{
        15.0F, 12.0F, 10.0F, 7.5F, 1.0F, 0.0F, -15.0F, FLT_MAX, kInfinity, -kInfinity, kNaN, FLT_TRUE_MIN};
    return c.oneIn(4) ? twips(c) : c.pick(special);
}

RECT monitorAt(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    return {left, top, wrapped(std::int64_t{left} + width), wrapped(std::int64_t{top} + height)};
}

// A desktop of several monitors, the primary at the origin: side by side, stacked, of different sizes,
// with gaps or overlaps between them, listed in any order, now and then one with no area or more than
// the record holds.
DisplayMonitors desktop(Choices& c) {
    static constexpr std::array<std::int32_t, 6> widths{1280, 1920, 1024, 2560, 800, 3};
    static constexpr std::array<std::int32_t, 6> heights{1024, 1080, 768, 1440, 600, 2};
    DisplayMonitors d;
    const std::uint32_t count =
        c.oneIn(16) ? static_cast<std::uint32_t>(c.below(20)) : 2 + static_cast<std::uint32_t>(c.below(3));
    d.count = count;
    const std::size_t listed = std::min<std::size_t>(count, DisplayMonitors::kCapacity);
    RECT last = monitorAt(0, 0, c.pick(widths), c.pick(heights));
    for (std::size_t i = 0; i < listed; ++i) {
        RECT r = last;
        if (i > 0) {
            const std::int32_t width = c.pick(widths);
            const std::int32_t height = c.pick(heights);
            const std::int32_t slack = c.oneIn(4) ? static_cast<std::int32_t>(c.below(9)) - 4 : 0;
            const std::int32_t shift = c.oneIn(2) ? 0 : static_cast<std::int32_t>(c.below(601)) - 300;
            switch (c.below(5)) {
            case 0: // to the right of the last
                r = monitorAt(wrapped(std::int64_t{last.right} + slack), shift, width, height);
                break;
            case 1: // to its left
                r = monitorAt(wrapped(std::int64_t{last.left} - width - slack), shift, width, height);
                break;
            case 2: // above it
                r = monitorAt(shift, wrapped(std::int64_t{last.top} - height - slack), width, height);
                break;
            case 3: // below it
                r = monitorAt(shift, wrapped(std::int64_t{last.bottom} + slack), width, height);
                break;
            default: // anywhere
                r = {coordinate(c), coordinate(c), coordinate(c), coordinate(c)};
                break;
            }
        }
        d.monitors[i] = {r, i == 0};
        last = r;
    }
    // Listed in another order, and now and then the primary not flagged, or two flagged.
    for (std::size_t i = listed; i > 1; --i) {
        std::swap(d.monitors[i - 1], d.monitors[c.below(i)]);
    }
    if (listed > 0 && c.oneIn(16)) {
        d.monitors[c.below(listed)].primary = !d.monitors[c.below(listed)].primary;
    }
    return d;
}

// A window near an edge of one of the desktop's monitors, so that every threshold and every edge of
// several monitors is met; its properties follow its rectangle at the given scale most of the time.
void nearAMonitorsEdge(Choices& c, TickSituation& s) {
    const std::size_t listed = std::min<std::size_t>(s.monitors.count, DisplayMonitors::kCapacity);
    if (listed == 0) {
        return;
    }
    const RECT m = s.monitors.monitors[c.below(listed)].rect;
    const std::int32_t width = static_cast<std::int32_t>(c.below(3000));
    const std::int32_t height = static_cast<std::int32_t>(c.below(3000));
    const auto along = [&c](std::int32_t low, std::int32_t high) {
        return wrapped(std::int64_t{low} + static_cast<std::int64_t>(c.below(5)) - 2 +
                       (c.oneIn(2) ? 0 : (std::int64_t{high} - low) / 2));
    };
    switch (c.below(4)) {
    case 0: // at the top, or hidden above it
        s.rect.left = along(m.left, m.right);
        s.rect.top = wrapped(std::int64_t{m.top} + (c.oneIn(2) ? nearThreshold(c) : 3 - height));
        break;
    case 1: // at the left
        s.rect.top = along(m.top, m.bottom);
        s.rect.left = wrapped(std::int64_t{m.left} + (c.oneIn(2) ? nearThreshold(c) : 3 - width));
        break;
    case 2: // at the right
        s.rect.top = along(m.top, m.bottom);
        s.rect.left = wrapped(std::int64_t{m.right} - (c.oneIn(2) ? width : 3) +
                              static_cast<std::int64_t>(c.below(5)) - 2);
        break;
    default: // somewhere on it
        s.rect.left = along(m.left, m.right);
        s.rect.top = along(m.top, m.bottom);
        break;
    }
    s.rect.right = wrapped(std::int64_t{s.rect.left} + width);
    s.rect.bottom = wrapped(std::int64_t{s.rect.top} + height);
    if (!c.oneIn(4)) {
        const double scale = s.twipsPerPixel;
        s.left = nudged(c, static_cast<float>(scale * s.rect.left));
        s.top = nudged(c, static_cast<float>(scale * s.rect.top));
        s.width = static_cast<float>(scale * width);
        s.height = static_cast<float>(scale * height);
        if (c.oneIn(3)) {
            s.left = leftAtRightEdge(c, s.width, static_cast<float>(scale * m.right));
        }
    }
    s.pointer.x = pointerAxis(c, s.rect.left, s.rect.right);
    s.pointer.y = pointerAxis(c, s.rect.top, s.rect.bottom);
}

} // namespace

TickSituation generateTick(Entropy& entropy) {
    Choices c(entropy);
    TickSituation s;
    s.rect = c.oneIn(16) ? RECT{coordinate(c), coordinate(c), coordinate(c), coordinate(c)} : rectangle(c);
    s.pointer.x = pointerAxis(c, s.rect.left, s.rect.right);
    s.pointer.y = pointerAxis(c, s.rect.top, s.rect.bottom);
    s.cursorResult = c.oneIn(16) ? 0 : 1;
    s.rectResult = c.oneIn(16) ? 0 : 1;
    if (c.oneIn(8)) {
        s.handle = static_cast<WindowHandle>(c.bits());
    }
    s.windowState = windowState(c);
    s.top = twips(c);
    s.width = twips(c);
    s.height = twips(c);
    s.screenWidth = screenWidth(c);
    s.left = c.oneIn(3) ? leftAtRightEdge(c, s.width, s.screenWidth) : twips(c);
    if (c.oneIn(2)) {
        s.monitors = desktop(c);
        s.monitorsResult = c.oneIn(16) ? 0 : 1;
        s.twipsPerPixel = twipsPerPixel(c);
        if (!c.oneIn(4)) {
            nearAMonitorsEdge(c, s);
        }
    }
    if (c.oneIn(4)) {
        s.failingOperation = 1 + static_cast<int>(c.below(12));
        s.failingStatus = failure(c);
    }
    return s;
}

} // namespace tolvane::reliability
