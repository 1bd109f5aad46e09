// One tick of the docking step: which operations it makes, in which order, and what it writes.
#include "docking/docking_step.h"
#include "fake_toolkit.h"
#include "monitor_layouts.h"
#include "toolkit/desktop.h"

#include <cfloat>
#include <gtest/gtest.h>
#include <limits>

namespace tolvane::testing {
namespace {

using Log = std::vector<std::string>;

const std::string kPrologue[] = {"GetCursorPos", "Frmbzz.hWnd", "GetWindowRect(18016)", "Frmbzz.WindowState"};

// What every tick does first; a window that is not minimized then asks for the desktop's monitors.
Log withPrologue(const Log& rest, std::int16_t state = vbNormal) {
    Log log(std::begin(kPrologue), std::end(kPrologue));
    if (state != vbMinimized) {
        log.emplace_back("EnumDisplayMonitors");
    }
    log.insert(log.end(), rest.begin(), rest.end());
    return log;
}

struct Situation {
    POINT pointer;
    RECT rect;
    Twips top = 3000;
    Twips left = 3000;
    Twips width = 7200;
    Twips height = 8040;
    Twips screenWidth = 28800;
    std::int16_t state = vbNormal;
};

FakeToolkit toolkitFor(const Situation& situation) {
    FakeToolkit toolkit;
    toolkit.cursor = situation.pointer;
    toolkit.windowRect = situation.rect;
    toolkit.top = situation.top;
    toolkit.left = situation.left;
    toolkit.width = situation.width;
    toolkit.height = situation.height;
    toolkit.screenWidth = situation.screenWidth;
    toolkit.windowState = situation.state;
    return toolkit;
}

// A window at Top 3000, Left 3000 (200, 200 pixels), 480 by 536 pixels; a pointer well inside or away.
constexpr RECT kMiddle{200, 200, 680, 736};
constexpr POINT kInside{300, 300};
constexpr POINT kAway{1000, 900};

struct Row {
    const char* what;
    Situation situation;
    Log expected; // after the prologue
    bool shown;
};

TEST(DockingStepTest, DecisionTable) {
    const Row rows[] = {
        {"minimized: nothing", {kAway, {0, 0, 480, 536}, 0, 0, 7200, 8040, 28800, vbMinimized}, {}, false},
        {"minimized with the pointer over it",
         {kInside, kMiddle, -8000, 0, 7200, 8040, 28800, vbMinimized},
         {},
         false},
        {"outside, at the top", {kAway, {200, 4, 680, 540}}, {"Frmbzz.Height", "Frmbzz.Top=-8000"}, false},
        {"outside, at the left", {kAway, {4, 200, 484, 736}}, {"Frmbzz.Width", "Frmbzz.Left=-7160"}, false},
        {"outside, at the right",
         {kAway, kMiddle, 3000, 21600},
         {"Frmbzz.Width", "Screen.Width", "Frmbzz.Left", "Screen.Width", "Frmbzz.Left=28760"},
         false},
        {"outside, against no edge",
         {kAway, kMiddle},
         {"Frmbzz.Width", "Screen.Width", "Frmbzz.Left"},
         false},
        {"inside, above the top",
         {kInside, kMiddle, -8000},
         {"Frmbzz.Top", "Frmbzz.Top=-10", "Frmbzz.Show"},
         true},
        {"inside, beyond the left",
         {kInside, kMiddle, 3000, -7160},
         {"Frmbzz.Top", "Frmbzz.Left", "Frmbzz.Left=-10", "Frmbzz.Show"},
         true},
        {"inside, at the right",
         {kInside, kMiddle, 3000, 28760},
         {"Frmbzz.Top", "Frmbzz.Left", "Frmbzz.Width", "Screen.Width", "Frmbzz.Left", "Screen.Width",
          "Frmbzz.Width", "Frmbzz.Left=21610", "Frmbzz.Show"},
         true},
        {"inside, against no edge",
         {kInside, kMiddle},
         {"Frmbzz.Top", "Frmbzz.Left", "Frmbzz.Width", "Screen.Width", "Frmbzz.Left"},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeToolkit toolkit = toolkitFor(row.situation);
        dispatch(Timer1_Timer, toolkit);
        EXPECT_EQ(toolkit.log, withPrologue(row.expected, row.situation.state));
        EXPECT_EQ(toolkit.visible, row.shown);
        EXPECT_TRUE(toolkit.untrapped.empty());
    }
}

// A primary screen 1920 pixels wide at 15 twips per pixel; a window 7200 by 8040 twips.
TEST(DockingStepTest, WorkedExample) {
    FakeToolkit toolkit = toolkitFor({kAway, {200, 0, 680, 536}, 0, 3000});

    dispatch(Timer1_Timer, toolkit); // at the top, pointer elsewhere: tucked away
    EXPECT_EQ(toolkit.topWritten.value_or(toolkit.top), -8000);

    toolkit.log.clear();
    toolkit.cursor = {300, 1};
    toolkit.windowRect = {200, -533, 680, 3};
    dispatch(Timer1_Timer, toolkit); // pointer on the strip: back, 10 twips beyond the edge
    EXPECT_EQ(toolkit.topWritten.value_or(toolkit.top), -10);
    EXPECT_EQ(toolkit.log, withPrologue({"Frmbzz.Top", "Frmbzz.Top=-10", "Frmbzz.Show"}));

    toolkit.cursor = {300, 700};
    toolkit.windowRect = {200, -1, 680, 535};
    dispatch(Timer1_Timer, toolkit); // pointer gone: hidden again
    EXPECT_EQ(toolkit.topWritten.value_or(toolkit.top), -8000);

    toolkit.top = 3000;
    toolkit.left = 21600;
    toolkit.cursor = kAway;
    toolkit.windowRect = {1440, 200, 1920, 736};
    dispatch(Timer1_Timer, toolkit); // dragged against the right edge
    EXPECT_EQ(toolkit.leftWritten.value_or(toolkit.left), 28760);

    toolkit.cursor = {1918, 300};
    toolkit.windowRect = {1917, 200, 2397, 736};
    toolkit.visible = false;
    dispatch(Timer1_Timer, toolkit); // pointer on the right strip
    EXPECT_EQ(toolkit.leftWritten.value_or(toolkit.left), 21610);
    EXPECT_TRUE(toolkit.visible);
    EXPECT_TRUE(toolkit.untrapped.empty());
}

struct EdgeCase {
    const char* what;
    Situation situation;
    Twips top;
    Twips left;
    bool shown;
};

TEST(DockingStepTest, EdgeCases) {
    const EdgeCase cases[] = {
        {"maximized is treated like normal",
         {{3000, 3000}, {-4, -4, 1924, 1084}, 0, 0, 28800, 16200, 28800, vbMaximized},
         40 - 16200,
         0,
         false},
        {"top and left: hides upwards only", {kAway, {0, 0, 480, 536}, 0, 0}, -8000, 0, false},
        {"pointer on the first row counts as outside", {{300, 200}, kMiddle, -8000}, -8000, 3000, false},
        {"pointer on the first column counts as outside", {{200, 300}, kMiddle, -8000}, -8000, 3000, false},
        {"pointer at right counts as outside", {{680, 300}, kMiddle, -8000}, -8000, 3000, false},
        {"pointer at bottom counts as outside", {{300, 736}, kMiddle, -8000}, -8000, 3000, false},
        {"pointer at right-1, bottom-1 counts as inside", {{679, 735}, kMiddle, -8000}, -10, 3000, true},
        {"right threshold is 4 twips: 5 twips short stays",
         {kAway, kMiddle, 3000, 21595},
         3000,
         21595,
         false},
        {"right threshold is 4 twips: 4 twips short hides",
         {kAway, kMiddle, 3000, 21596},
         3000,
         28760,
         false},
        {"left threshold is 4 pixels", {kAway, {4, 200, 484, 736}, 3000, 60}, 3000, -7160, false},
        {"5 pixels from the left stays", {kAway, {5, 200, 485, 736}, 3000, 75}, 3000, 75, false},
        {"reveal at the right is stricter than hide", {kInside, kMiddle, 3000, 21598}, 3000, 21598, false},
        {"wider than the screen, revealed at the right",
         {kInside, kMiddle, 3000, 28760, 40000},
         3000,
         -11190,
         true},
        {"wider than the screen, next tick", {kInside, kMiddle, 3000, -11190, 40000}, 3000, -10, true},
        {"monitor above the primary one", {kAway, {200, -900, 680, -364}, -13500, 3000}, -8000, 3000, false},
        {"monitor left of the primary one",
         {kAway, {-1000, 200, -520, 736}, 3000, -15000},
         3000,
         -7160,
         false},
        {"monitor right of the primary one",
         {kAway, {2000, 200, 2480, 736}, 3000, 30000},
         3000,
         28760,
         false},
        {"dragged above the top, pointer over it", {kInside, kMiddle, -200}, -10, 3000, true},
        {"against no edge, pointer over it", {kInside, kMiddle}, 3000, 3000, false},
    };
    for (const EdgeCase& each : cases) {
        SCOPED_TRACE(each.what);
        FakeToolkit toolkit = toolkitFor(each.situation);
        dispatch(Timer1_Timer, toolkit);
        EXPECT_TRUE(toolkit.untrapped.empty());
        EXPECT_EQ(toolkit.topWritten.value_or(toolkit.top), each.top);
        EXPECT_EQ(toolkit.leftWritten.value_or(toolkit.left), each.left);
        EXPECT_EQ(toolkit.visible, each.shown);
    }
}

TEST(DockingStepTest, FailedDeclaredCallsLeaveZeroedRecords) {
    // The pointer would be over the window, but the calls fail: the zeroed rectangle counts as
    // pushed against the top with the pointer outside.
    FakeToolkit toolkit = toolkitFor({kInside, kMiddle, 3000, 3000});
    toolkit.declaredResult = 0;
    dispatch(Timer1_Timer, toolkit);
    EXPECT_EQ(toolkit.log, withPrologue({"Frmbzz.Height", "Frmbzz.Top=-8000"}));
}

TEST(DockingStepTest, FailureAtEachOperationEndsTheTickThere) {
    const Situation rightReveal{kInside, kMiddle, 3000, 28760};
    const Log full = [&] {
        FakeToolkit toolkit = toolkitFor(rightReveal);
        dispatch(Timer1_Timer, toolkit);
        return toolkit.log;
    }();
    ASSERT_EQ(full.size(), 14U); // the longest tick: three window-system calls and eleven operations

    int operations = 0;
    for (std::size_t failing = 0; failing < full.size(); ++failing) {
        if (full[failing].find('.') == std::string::npos) {
            continue; // a declared function: it reports nothing that could fail the tick
        }
        ++operations;
        SCOPED_TRACE(full[failing]);
        FakeToolkit toolkit = toolkitFor(rightReveal);
        toolkit.failOperation(operations, -42);
        dispatch(Timer1_Timer, toolkit);
        Log expected(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(failing) + 1);
        expected.back() += " failed";
        EXPECT_EQ(toolkit.log, expected);
        ASSERT_EQ(toolkit.untrapped.size(), 1U);
        EXPECT_EQ(toolkit.untrapped[0].status(), -42);
        EXPECT_EQ(toolkit.untrapped[0].object(), full[failing].substr(0, full[failing].find('.')));
        EXPECT_EQ(toolkit.visible, false);
        EXPECT_EQ(toolkit.leftWritten.value_or(toolkit.left), full[failing] == "Frmbzz.Show" ? 21610 : 28760);
    }
    EXPECT_EQ(operations, 11);
}

TEST(DockingStepTest, ArithmeticThatOverflowsOrIsInvalidRaisesInsteadOfAssigning) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        Situation situation;
        Status status;
    };
    const Case cases[] = {
        {"40 - Height of infinity", {kAway, {200, 0, 680, 536}, 0, 3000, 7200, kInfinity}, kStatusOverflow},
        {"40 - Height of NaN", {kAway, {200, 0, 680, 536}, 0, 3000, 7200, kNaN}, kStatusInvalidOperation},
        {"40 - Width of infinity", {kAway, {0, 200, 480, 736}, 3000, 0, kInfinity}, kStatusOverflow},
        {"Left + Width overflows", {kAway, kMiddle, 3000, FLT_MAX, FLT_MAX}, kStatusOverflow},
        {"Left + Width of infinities of both signs",
         {kAway, kMiddle, 3000, -kInfinity, kInfinity},
         kStatusInvalidOperation},
        {"screen width of NaN", {kAway, kMiddle, 3000, 3000, 7200, 8040, kNaN}, kStatusInvalidOperation},
        {"revealed right edge overflows", {kInside, kMiddle, 3000, FLT_MAX, FLT_MAX}, kStatusOverflow},
        {"reveal position overflows", {kInside, kMiddle, 3000, 0, FLT_MAX, 8040, -FLT_MAX}, kStatusOverflow},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        FakeToolkit toolkit = toolkitFor(each.situation);
        const Twips topBefore = toolkit.top;
        const Twips leftBefore = toolkit.left;
        dispatch(Timer1_Timer, toolkit);
        ASSERT_EQ(toolkit.untrapped.size(), 1U);
        EXPECT_EQ(toolkit.untrapped[0].status(), each.status);
        EXPECT_EQ(toolkit.untrapped[0].object(), "Frmbzz");
        EXPECT_EQ(toolkit.log.back().find('='), std::string::npos) << toolkit.log.back();
        EXPECT_EQ(toolkit.topWritten.value_or(toolkit.top), topBefore);
        EXPECT_EQ(toolkit.leftWritten.value_or(toolkit.left), leftBefore);
    }
}

TEST(DockingStepTest, AssignedValuesAreRoundedOnceFromHigherPrecision) {
    // (2^25 - 5) + 10 rounded once is 33554436; rounding after each step would give 33554440.
    FakeToolkit toolkit = toolkitFor({kInside, kMiddle, 3000, 33554432.0F, 5, 8040, 33554432.0F});
    dispatch(Timer1_Timer, toolkit);
    EXPECT_EQ(toolkit.leftWritten.value_or(toolkit.left), 33554436.0F);
}

// The window's rectangle in root pixels, from its properties at 15 twips per pixel.
RECT rootRect(const FakeToolkit& toolkit, POINT origin) {
    const RECT r = toolkit.rectOfProperties();
    return {r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
}

// Where a hidden window's strip lies: 1 to 4 pixels of it on its monitor at that edge, within the
// monitor's extent along the edge.
bool stripAt(const RECT& w, const RECT& m, Outcome edge) {
    const auto thin = [](std::int32_t depth) { return depth >= 1 && depth <= 4; };
    switch (edge) {
    case Outcome::HidesTop:
        return thin(w.bottom - m.top) && w.left >= m.left && w.right <= m.right;
    case Outcome::HidesLeft:
        return thin(w.right - m.left) && w.top >= m.top;
    case Outcome::HidesRight:
        return thin(m.right - w.left) && w.top >= m.top;
    case Outcome::Stays:
        break;
    }
    return false;
}

// Revealed 10 twips beyond the monitor's edge: on the pixel row or column just beyond it.
bool revealedAt(const RECT& w, const RECT& m, Outcome edge) {
    switch (edge) {
    case Outcome::HidesTop:
        return w.top == m.top - 1;
    case Outcome::HidesLeft:
        return w.left == m.left - 1;
    case Outcome::HidesRight:
        return w.right == m.right + 1;
    case Outcome::Stays:
        break;
    }
    return false;
}

// Each place of each layout: left alone, or hidden at that monitor's edge, back when the pointer touches
// the strip, hidden again when it leaves.
TEST(DockingStepTest, OnSeveralMonitors) {
    constexpr int kWidth = 480; // the fake's 7200 by 8040 twips
    constexpr int kHeight = 536;
    for (const MonitorLayout& layout : monitorLayouts()) {
        const RECT& primary = layout.monitors.at(layout.primary);
        const POINT origin{primary.left, primary.top};
        DisplayMonitors monitors;
        for (std::size_t i = 0; i < layout.monitors.size(); ++i) {
            const RECT& r = layout.monitors[i];
            monitors.monitors[monitors.count++] = {
                {r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y},
                i == layout.primary};
        }
        for (const Placement& place : layout.placements) {
            SCOPED_TRACE(std::string(layout.name) + ": " + std::string(place.what));
            FakeToolkit toolkit;
            toolkit.monitors = monitors;
            toolkit.rectFollowsProperties = true;
            toolkit.screenWidth = static_cast<Twips>(15 * (primary.right - primary.left));
            const POINT at = placeWindow(layout, place, kWidth, kHeight);
            toolkit.left = static_cast<Twips>(15 * (at.x - origin.x));
            toolkit.top = static_cast<Twips>(15 * (at.y - origin.y));
            const RECT placed = rootRect(toolkit, origin);
            const POINT away{placed.right + 3000, placed.bottom + 3000};
            const auto tick = [&](POINT pointer) {
                toolkit.cursor = {pointer.x - origin.x, pointer.y - origin.y};
                dispatch(Timer1_Timer, toolkit);
                return rootRect(toolkit, origin);
            };
            const RECT& m = layout.monitors.at(place.monitor);
            if (place.outcome == Outcome::Stays) {
                EXPECT_EQ(tick(away), placed);
                EXPECT_EQ(tick(away), placed);
                EXPECT_EQ(tick({(placed.left + placed.right) / 2, (placed.top + placed.bottom) / 2}), placed);
                EXPECT_FALSE(toolkit.visible);
            } else {
                const RECT hidden = tick(away);
                EXPECT_TRUE(stripAt(hidden, m, place.outcome));
                EXPECT_EQ(tick(away), hidden);
                const POINT onStrip = pointerOnStrip(layout, place, hidden);
                EXPECT_TRUE(revealedAt(tick(onStrip), m, place.outcome));
                EXPECT_TRUE(toolkit.visible);
                EXPECT_TRUE(revealedAt(tick(onStrip), m, place.outcome)) << "stays in view under the pointer";
                EXPECT_EQ(tick(away), hidden);
            }
            EXPECT_TRUE(toolkit.untrapped.empty());
        }
    }
}

// A window that no monitor shows any more comes back wholly onto the nearest one.
TEST(DesktopTest, PlacesAWindowLeftOnNoMonitor) {
    DisplayMonitors two;
    two.monitors[0] = {{0, 0, 1280, 1024}, true};
    two.monitors[1] = {{1280, 0, 2560, 1024}, false};
    two.count = 2;
    DisplayMonitors one = two;
    one.count = 1;
    const DisplayMonitors none;
    struct Case {
        const char* what;
        const DisplayMonitors& monitors;
        RECT window;
        std::optional<POINT> placed;
    };
    const Case cases[] = {
        {"on a monitor: left alone", two, {1500, 300, 1980, 836}, std::nullopt},
        {"hidden at an edge, a strip still on it: left alone", two, {2557, 300, 3037, 836}, std::nullopt},
        {"on the monitor unplugged", one, {1500, 300, 1980, 836}, POINT{800, 300}},
        {"hidden at its top", one, {1500, -533, 1980, 3}, POINT{800, 0}},
        {"hidden beyond the left", one, {-900, 1100, -420, 1636}, POINT{0, 488}},
        {"larger than the monitor: its corner", one, {1300, 100, 3000, 2000}, POINT{0, 0}},
        {"touching the monitor's edge without a pixel on it", one, {1280, 300, 1760, 836}, POINT{800, 300}},
        {"no monitor reported", none, {1500, 300, 1980, 836}, std::nullopt},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        const std::optional<POINT> placed = placeOnDesktop(each.monitors, each.window);
        EXPECT_EQ(placed.has_value(), each.placed.has_value());
        if (placed && each.placed) {
            EXPECT_EQ(*placed, *each.placed);
        }
    }
}

} // namespace
} // namespace tolvane::testing
