#include "docking/docking_step.h"

#include "toolkit/single_precision.h"
#include "toolkit/window.h"

namespace tolvane {

namespace {

// Pushed against the top or left edge: the outer rectangle at most this many pixels from it.
constexpr std::int32_t kEdgeThresholdPixels = 4;
// Pushed against the right edge: measured in twips, so under one pixel.
constexpr double kRightEdgeThresholdTwips = 4;
// What stays on the screen of a hidden window.
constexpr double kVisibleStripTwips = 40;
// How far beyond the edge a revealed window lies.
constexpr float kRevealOvershootTwips = 10;

bool pointerIsOver(const POINT& pointer, const RECT& rect) {
    return rect.left < pointer.x && pointer.x < rect.right && rect.top < pointer.y && pointer.y < rect.bottom;
}

// Slides the window behind the edge it is pushed against, leaving a strip of it on the screen.
void hide(Window& window, const RECT& rect) {
    if (rect.top <= kEdgeThresholdPixels) {
        window.setTop(roundToSingle(kVisibleStripTwips - double{window.Height()}, "40 - Height"));
        return;
    }
    if (rect.left <= kEdgeThresholdPixels) {
        window.setLeft(roundToSingle(kVisibleStripTwips - double{window.Width()}, "40 - Width"));
        return;
    }
    const float width = window.Width();
    const float screenWidth = window.ScreenWidth();
    const float left = window.Left();
    const float rightEdge = roundToSingle(double{left} + width, "Left + Width");
    if (rightEdge >= roundToSingle(double{screenWidth} - kRightEdgeThresholdTwips, "Screen.Width - 4")) {
        window.setLeft(roundToSingle(double{window.ScreenWidth()} - kVisibleStripTwips, "Screen.Width - 40"));
    }
}

// Brings a docked window back just beyond its edge, while the pointer is over it.
void reveal(Window& window) {
    if (window.Top() < 0) {
        window.setTop(-kRevealOvershootTwips);
        window.Show();
        return;
    }
    if (window.Left() < 0) {
        window.setLeft(-kRevealOvershootTwips);
        window.Show();
        return;
    }
    const float width = window.Width();
    const float screenWidth = window.ScreenWidth();
    const float left = window.Left();
    if (roundToSingle(double{left} + width, "Left + Width") >= screenWidth) {
        const double screen = window.ScreenWidth();
        window.setLeft(roundToSingle(screen - double{window.Width()} + kRevealOvershootTwips,
                                     "Screen.Width - Width + 10"));
        window.Show();
    }
}

} // namespace

void Timer1_Timer(Toolkit& toolkit) {
    Window window(toolkit);
    POINT pointer{};
    RECT rect{};
    // A failed call leaves its record zeroed: the pointer then counts as outside and the top test holds.
    static_cast<void>(window.declared().GetCursorPos(pointer));
    static_cast<void>(window.declared().GetWindowRect(window.hWnd(), rect));
    if (window.WindowState() == vbMinimized) {
        return;
    }
    if (pointerIsOver(pointer, rect)) {
        reveal(window);
    } else {
        hide(window, rect);
    }
}

} // namespace tolvane
