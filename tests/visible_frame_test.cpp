// The Win32 layer's visible-frame arithmetic with injected DWM frame bounds.
#include "toolkit/win32/visible_frame.h"

#include <gtest/gtest.h>

namespace tolvane::win32 {
namespace {

struct Case {
    const char* name;
    PixelRect window;                // GetWindowRect, in the process's pixels
    std::optional<PixelRect> bounds; // DWM's, physical
    double physicalPerPixel;
    FrameInsets insets;
};

// Windows 10/11 borders of 7 px at 100 % (left, right, bottom; none at the top), scaled with the DPI.
const Case kCases[] = {
    {"NoAnswerKeepsTheWindowRectangle", {0, 0, 486, 539}, std::nullopt, 1.0, {}},
    {"BoundsEqualToTheWindow", {10, 20, 496, 559}, PixelRect{10, 20, 496, 559}, 1.0, {}},
    {"Borders96Dpi", {-7, 0, 493, 539}, PixelRect{0, 0, 486, 532}, 1.0, {7, 0, 7, 7}},
    {"Borders120DpiAware", {-9, 0, 617, 674}, PixelRect{0, 0, 608, 665}, 1.0, {9, 0, 9, 9}},
    // Per-monitor aware, on a monitor at 150 % beside one at 100 %: the process sees physical pixels.
    {"Borders144DpiPerMonitorAware",
     {1269, 0, 1998, 798},
     PixelRect{1280, 0, 1987, 787},
     1.0,
     {11, 0, 11, 11}},
    {"Borders144DpiUnaware", {-7, 0, 493, 539}, PixelRect{0, 0, 729, 798}, 1.5, {7, 0, 7, 7}},
    {"Borders192DpiUnaware", {-7, 0, 493, 539}, PixelRect{0, 0, 972, 1064}, 2.0, {7, 0, 7, 7}},
    {"DifferentWidths", {100, 100, 600, 700}, PixelRect{101, 100, 593, 697}, 1.0, {1, 0, 7, 3}},
    // Maximized: the window reaches 8 px past every edge of the work area; DWM's bounds are the work area.
    {"Maximized", {-8, -8, 1288, 1000}, PixelRect{0, 0, 1280, 992}, 1.0, {8, 8, 8, 8}},
    {"BoundsOutsideTheWindowAreNoAnswer", {0, 0, 486, 539}, PixelRect{-5, 0, 486, 539}, 1.0, {}},
    {"BoundsAsWideAsNothingAreNoAnswer", {0, 0, 10, 10}, PixelRect{5, 0, 5, 10}, 1.0, {}},
};

class VisibleFrameTest : public testing::TestWithParam<Case> {};

TEST_P(VisibleFrameTest, InsetsAndTheirRoundTrip) {
    const Case& c = GetParam();
    const FrameInsets insets = visibleFrameInsets(c.window, c.bounds, c.physicalPerPixel);
    EXPECT_EQ(insets, c.insets);
    // A visible position written is where the visible frame then reads back.
    const PixelRect visible = visibleRect(c.window, insets);
    const int left = windowLeftFor(visible.left + 3, insets);
    const int top = windowTopFor(visible.top - 40, insets);
    const PixelRect moved{left, top, left + (c.window.right - c.window.left),
                          top + (c.window.bottom - c.window.top)};
    EXPECT_EQ(visibleRect(moved, insets).left, visible.left + 3);
    EXPECT_EQ(visibleRect(moved, insets).top, visible.top - 40);
}

// The scale between DWM's physical pixels and the process's, for a window on a monitor at 144 DPI where the
// system's DPI (the primary's at sign-in) is 96, and one at 192 where it is 144.
TEST(DwmScaleTest, PhysicalPixelsPerPixelOfTheProcess) {
    struct Row {
        DpiAwareness awareness;
        int windowDpi;
        int systemDpi;
        double expected;
    };
    const Row rows[] = {
        {DpiAwareness::PerMonitorAware, 144, 96, 1.0}, {DpiAwareness::SystemAware, 144, 96, 1.5},
        {DpiAwareness::SystemAware, 96, 96, 1.0},      {DpiAwareness::Unaware, 144, 96, 1.5},
        {DpiAwareness::Unaware, 192, 144, 2.0},        {DpiAwareness::SystemAware, 0, 96, 1.0}};
    for (const Row& row : rows) {
        EXPECT_EQ(physicalPixelsPerPixel(row.awareness, row.windowDpi, row.systemDpi), row.expected)
            << static_cast<int>(row.awareness) << " at " << row.windowDpi << " on " << row.systemDpi;
    }
}

INSTANTIATE_TEST_SUITE_P(Dwm, VisibleFrameTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

} // namespace
} // namespace tolvane::win32
