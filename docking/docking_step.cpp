#include "docking/docking_step.h"

#include "toolkit/desktop.h"
#include "toolkit/single_precision.h"
#include "toolkit/window.h"

#include <cstdint>

namespace tolvane {

namespace {

// Pushed against the top or left edge: the outer rectangle at most this many pixels from it.
constexpr std::int64_t kEdgeThresholdPixels = 4;
// Pushed against the right edge: measured in twips, so under one pixel.
constexpr double kRightEdgeThresholdTwips = 4;
// What stays on the screen of a hidden window.
constexpr double kVisibleStripTwips = 40;
// How far beyond the edge a revealed window lies.
constexpr double kRevealOvershootTwips = 10;

bool pointerIsOver(const POINT& pointer, const RECT& rect) {
    return rect.left < pointer.x && pointer.x < rect.right && rect.top < pointer.y && pointer.y < rect.bottom;
}

// The edges of the monitor the window stands on, in twips, read when a rule needs them. The primary
// monitor's top and left edges are the origin and its right edge is the screen's width; another
// monitor's are its pixels at the screen's twips per pixel.
class MonitorEdges {
  public:
    MonitorEdges(Window& window, const MonitorOfWindow& monitor) : window_(window), monitor_(monitor) {}

    const MonitorOfWindow& monitor() const { return monitor_; }

    float top() {
        return monitor_.primary ? 0.0F
                                : scaled(monitor_.rect.top, window_.ScreenTwipsPerPixelY(), "Monitor.Top");
    }
    float left() {
        return monitor_.primary ? 0.0F
                                : scaled(monitor_.rect.left, window_.ScreenTwipsPerPixelX(), "Monitor.Left");
    }
    float right() {
        return monitor_.primary
                   ? window_.ScreenWidth()
                   : scaled(monitor_.rect.right, window_.ScreenTwipsPerPixelX(), "Monitor.Right");
    }

  private:
    static float scaled(std::int32_t pixels, float twipsPerPixel, std::string_view what) {
        return roundToSingle(double{twipsPerPixel} * pixels, what);
    }

    Window& window_;
    const MonitorOfWindow& monitor_;
};

// Slides the window behind the edge it is pushed against, leaving a strip of it on its monitor.
void hide(Window& window, const RECT& rect, MonitorEdges& edges) {
    const MonitorOfWindow& monitor = edges.monitor();
    if (monitor.topOuter && rect.top - std::int64_t{monitor.rect.top} <= kEdgeThresholdPixels) {
        const double edge = edges.top();
        window.setTop(roundToSingle(edge + kVisibleStripTwips - double{window.Height()}, "40 - Height"));
        return;
    }
    if (monitor.leftOuter && rect.left - std::int64_t{monitor.rect.left} <= kEdgeThresholdPixels) {
        const double edge = edges.left();
        window.setLeft(roundToSingle(edge + kVisibleStripTwips - double{window.Width()}, "40 - Width"));
        return;
    }
    if (!monitor.rightOuter) {
        return;
    }
    const float width = window.Width();
    const float edge = edges.right();
    const float left = window.Left();
    const float rightEdge = roundToSingle(double{left} + width, "Left + Width");
    if (rightEdge >= roundToSingle(double{edge} - kRightEdgeThresholdTwips, "Screen.Width - 4")) {
        window.setLeft(roundToSingle(double{edges.right()} - kVisibleStripTwips, "Screen.Width - 40"));
    }
}

// Brings a docked window back just beyond its edge, while the pointer is over it.
void reveal(Window& window, MonitorEdges& edges) {
    const MonitorOfWindow& monitor = edges.monitor();
    if (monitor.topOuter) {
        const float edge = edges.top();
        if (window.Top() < edge) {
            window.setTop(roundToSingle(double{edge} - kRevealOvershootTwips, "Top - 10"));
            window.Show();
            return;
        }
    }
    if (monitor.leftOuter) {
        const float edge = edges.left();
        if (window.Left() < edge) {
            window.setLeft(roundToSingle(double{edge} - kRevealOvershootTwips, "Left - 10"));
            window.Show();
            return;
        }
    }
    if (!monitor.rightOuter) {
        return;
    }
    const float width = window.Width();
    const float edge = edges.right();
    const float left = window.Left();
    if (roundToSingle(double{left} + width, "Left + Width") >= edge) {
        const double screen = edges.right();
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
    DisplayMonitors monitors{};
    // A failed call leaves its record zeroed: the pointer then counts as outside and the top test holds,
    // and a desktop that reports no monitor is the primary screen alone.
    static_cast<void>(window.declared().GetCursorPos(pointer));
    static_cast<void>(window.declared().GetWindowRect(window.hWnd(), rect));
    if (window.WindowState() == vbMinimized) {
        return;
    }
    static_cast<void>(window.declared().EnumDisplayMonitors(monitors));
    const MonitorOfWindow monitor = monitorOfWindow(monitors, rect);
    MonitorEdges edges(window, monitor);
    if (pointerIsOver(pointer, rect)) {
        reveal(window, edges);
    } else {
        hide(window, rect, edges);
    }
}

} // namespace tolvane
