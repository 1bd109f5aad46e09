// The program's docking step against the plain model, on hand-picked ticks and on a long run of generated
// ones. The run's length and seed come from TOLVANE_DOCKING_TICKS and TOLVANE_DOCKING_SEED when set, so
// that a failure can be replayed and a much longer run made on demand.
#include "docking_model.h"
#include "tick_comparison.h"
#include "tick_generator.h"

#include <array>
#include <cfloat>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <string>

#ifndef TOLVANE_DOCKING_DEFAULT_TICKS
#define TOLVANE_DOCKING_DEFAULT_TICKS 1000000
#endif

namespace tolvane::reliability {
namespace {

constexpr std::uint64_t kDefaultSeed = 20250611;
constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

// The model on its own, against the worked example of a 1920-pixel screen and a 7200 by 8040 window,
// so that the model is known to read the table right before the program is held against it.
struct ModelCase {
    const char* what;
    TickSituation situation;
    ModelRow row;
    Twips top;
    Twips left;
    bool shown;
};

TEST(DockingModelTest, FollowsTheWorkedExample) {
    const ModelCase cases[] = {
        {"at the top, pointer elsewhere",
         {{1000, 900}, {200, 0, 680, 536}, 1, 1, 0x4660, 0, 0, 3000},
         ModelRow::HideTop,
         -8000,
         3000,
         false},
        {"pointer on the top strip",
         {{300, 1}, {200, -533, 680, 3}, 1, 1, 0x4660, 0, -8000, 3000},
         ModelRow::RevealTop,
         -10,
         3000,
         true},
        {"pointer gone again",
         {{300, 700}, {200, -1, 680, 535}, 1, 1, 0x4660, 0, -10, 3000},
         ModelRow::HideTop,
         -8000,
         3000,
         false},
        {"dragged against the right edge",
         {{1000, 900}, {1440, 200, 1920, 736}, 1, 1, 0x4660, 0, 3000, 21600},
         ModelRow::HideRight,
         3000,
         28760,
         false},
        {"pointer on the right strip",
         {{1918, 300}, {1917, 200, 2397, 736}, 1, 1, 0x4660, 0, 3000, 28760},
         ModelRow::RevealRight,
         3000,
         21610,
         true},
        {"minimized",
         {{300, 300}, {200, 200, 680, 736}, 1, 1, 0x4660, 1, -8000, 3000},
         ModelRow::Minimized,
         -8000,
         3000,
         false},
        {"hidden at the left",
         {{1000, 900}, {4, 200, 484, 736}, 1, 1, 0x4660, 0, 3000, 60},
         ModelRow::HideLeft,
         3000,
         -7160,
         false},
        {"revealed at the left",
         {{2, 300}, {-477, 200, 3, 736}, 1, 1, 0x4660, 0, 3000, -7160},
         ModelRow::RevealLeft,
         3000,
         -10,
         true},
        {"against no edge, outside",
         {{1000, 900}, {200, 200, 680, 736}, 1, 1, 0x4660, 0, 3000, 3000},
         ModelRow::OutsideNoEdge,
         3000,
         3000,
         false},
        {"against no edge, inside",
         {{300, 300}, {200, 200, 680, 736}, 1, 1, 0x4660, 0, 3000, 3000},
         ModelRow::InsideNoEdge,
         3000,
         3000,
         false},
        {"failed GetWindowRect: zeroed, so outside and at the top",
         {{300, 300}, {200, 200, 680, 736}, 1, 0, 0x4660, 0, 3000, 3000},
         ModelRow::HideTop,
         -8000,
         3000,
         false},
    };
    for (const ModelCase& each : cases) {
        SCOPED_TRACE(each.what);
        const ModelOutcome outcome = modelTick(each.situation);
        EXPECT_EQ(outcome.row, each.row) << nameOf(outcome.row);
        EXPECT_FALSE(outcome.error.has_value());
        EXPECT_EQ(outcome.top, each.top);
        EXPECT_EQ(outcome.left, each.left);
        EXPECT_EQ(outcome.shown, each.shown);
    }
}

// Situations picked by hand at the edges of the arithmetic and of the thresholds.
TEST(DockingDifferentialTest, AgreesOnHandPickedTicks) {
    const RECT middle{200, 200, 680, 736};
    const POINT inside{300, 300};
    const POINT away{1000, 900};
    auto at = [](POINT pointer, RECT rect, Twips top, Twips left, Twips width, Twips height, Twips screen) {
        TickSituation s;
        s.pointer = pointer;
        s.rect = rect;
        s.top = top;
        s.left = left;
        s.width = width;
        s.height = height;
        s.screenWidth = screen;
        return s;
    };
    const std::array situations{
        at(away, {200, 0, 680, 536}, 0, 3000, 7200, -FLT_MAX, 28800),   // 40 + FLT_MAX rounds to FLT_MAX
        at(away, {200, 0, 680, 536}, 0, 3000, 7200, -kInfinity, 28800), // 40 + infinity overflows
        at(away, {200, 0, 680, 536}, 0, 3000, 7200, kNaN, 28800),
        at(away, {0, 200, 480, 736}, 3000, 0, kNaN, 8040, 28800),
        at(away, middle, 3000, FLT_MAX, FLT_MAX, 8040, 28800),      // the right edge overflows
        at(away, middle, 3000, 21596, 7200, 8040, 28800),           // 4 twips short of the screen
        at(away, middle, 3000, 21595, 7200, 8040, 28800),           // 5 twips short
        at(away, middle, 3000, 0, 7200, 8040, -FLT_MAX),            // screen width − 4 is fine
        at(away, middle, 3000, -FLT_MAX, 0, 8040, -FLT_MAX),        // so is the comparison
        at(away, middle, 3000, 0, 7200, 8040, -kInfinity),          // screen width − 4 overflows
        at(away, middle, 3000, FLT_MAX, 0, 8040, kNaN),             // NaN screen width: invalid
        at(inside, middle, 3000, FLT_MAX, 0, 8040, kNaN),           // compared as it is: no error
        at(inside, middle, kNaN, kNaN, 7200, 8040, 28800),          // NaN is not below zero
        at(inside, middle, -0.0F, -0.0F, 7200, 8040, 28800),        // nor is −0
        at(inside, middle, -FLT_TRUE_MIN, 3000, 7200, 8040, 28800), // the least negative subnormal is
        at(inside, middle, 3000, 28760, 7200, 8040, 28800),         // revealed at the right
        at(inside, middle, 3000, 0, FLT_MAX, 8040, -FLT_MAX),       // and that overflows
        at(inside, middle, 3000, 0x1p25F, 5, 8040, 0x1p25F),        // rounded once, not twice
        at(inside, middle, 3000, 1e30F, 1e30F, 8040, kInfinity),    // a finite sum against infinity
    };
    TickComparison comparison;
    for (const TickSituation& situation : situations) {
        for (int failing = 0; failing <= 12; ++failing) {
            TickSituation s = situation;
            s.failingOperation = failing;
            s.failingStatus = -1000 - failing;
            ModelRow row;
            const std::string differences = comparison.compare(s, row);
            EXPECT_TRUE(differences.empty()) << differences;
        }
    }
}

// Every value a 16-bit WindowState can take, in each branch of the table: only 1 stops the tick.
TEST(DockingDifferentialTest, AgreesForEveryWindowState) {
    TickSituation hideTop;
    hideTop.pointer = {1000, 900};
    hideTop.rect = {200, 0, 680, 536};
    TickSituation hideRight = hideTop;
    hideRight.rect = {1440, 200, 1920, 736};
    hideRight.top = 3000;
    hideRight.left = 21600;
    TickSituation revealRight = hideRight;
    revealRight.pointer = {1918, 300};
    revealRight.rect = {1917, 200, 2397, 736};
    revealRight.left = 28760;
    TickSituation failingRead = revealRight;
    failingRead.failingOperation = 3; // reading Top, after the state
    failingRead.failingStatus = -7;

    TickComparison comparison;
    int minimized = 0;
    for (const TickSituation& situation : {hideTop, hideRight, revealRight, failingRead}) {
        for (int state = std::numeric_limits<std::int16_t>::min();
             state <= std::numeric_limits<std::int16_t>::max(); ++state) {
            TickSituation s = situation;
            s.windowState = static_cast<std::int16_t>(state);
            ModelRow row;
            const std::string differences = comparison.compare(s, row);
            ASSERT_TRUE(differences.empty()) << differences;
            minimized += row == ModelRow::Minimized ? 1 : 0;
        }
    }
    EXPECT_EQ(minimized, 4);
}

TEST(DockingDifferentialTest, AgreesOnGeneratedTicks) {
    const std::uint64_t ticks = fromEnvironment("TOLVANE_DOCKING_TICKS", TOLVANE_DOCKING_DEFAULT_TICKS);
    const std::uint64_t seed = fromEnvironment("TOLVANE_DOCKING_SEED", kDefaultSeed);
    std::cout << "Docking step against the model: " << ticks << " ticks, seed " << seed
              << " (TOLVANE_DOCKING_TICKS, TOLVANE_DOCKING_SEED)" << std::endl;
    RecordProperty("ticks", std::to_string(ticks));
    RecordProperty("seed", std::to_string(seed));

    SeededEntropy entropy(seed);
    TickComparison comparison;
    std::array<std::uint64_t, kModelRowCount> reached{};
    std::array<std::uint64_t, kModelRowCount> reachedOnSeveral{};
    std::uint64_t disagreements = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t tick = 0; tick < ticks; ++tick) {
        const TickSituation situation = generateTick(entropy);
        ModelRow row;
        const std::string differences = comparison.compare(situation, row);
        ++reached[static_cast<std::size_t>(row)];
        reachedOnSeveral[static_cast<std::size_t>(row)] += comparison.lastOnSeveralMonitors() ? 1 : 0;
        if (!differences.empty() && ++disagreements <= 5) {
            ADD_FAILURE() << "tick " << tick << " of seed " << seed << ": " << differences;
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    std::cout << "  " << disagreements << " disagreements in " << took.count()
              << " s; ticks ending in each row (of them on several monitors):";
    for (int row = 0; row < kModelRowCount; ++row) {
        std::cout << "\n    " << nameOf(static_cast<ModelRow>(row)) << ": "
                  << reached[static_cast<std::size_t>(row)] << " ("
                  << reachedOnSeveral[static_cast<std::size_t>(row)] << ")";
    }
    std::cout << std::endl;
    EXPECT_EQ(disagreements, 0U);
    // A generator that stopped reaching a row of the table would prove nothing about it.
    if (ticks >= 100000) {
        for (int row = 0; row < kModelRowCount; ++row) {
            EXPECT_GE(reached[static_cast<std::size_t>(row)], ticks / 1000)
                << nameOf(static_cast<ModelRow>(row));
            // A minimized window never asks for the monitors.
            EXPECT_GE(reachedOnSeveral[static_cast<std::size_t>(row)],
                      static_cast<ModelRow>(row) == ModelRow::Minimized ? 0 : ticks / 2000)
                << nameOf(static_cast<ModelRow>(row)) << " on several monitors";
        }
    }
}

} // namespace
} // namespace tolvane::reliability
