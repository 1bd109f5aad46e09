// The window's visible frame within its window rectangle: plain arithmetic, no Windows headers, so that
// it is tested on any platform.
//
// Windows 10 and 11 give a sizable window an invisible resize border (about 7 pixels at 100 % on the
// left, right and bottom) that GetWindowRect counts. The layer measures and places the window by what the
// user sees instead: the frame bounds DWM reports (DWMWA_EXTENDED_FRAME_BOUNDS), so that a docked
// window's strip is of its visible frame. Where DWM answers nothing (Wine, no composition) the insets
// are zero and the window rectangle is the visible one.
#pragma once

#include <optional>

namespace tolvane::win32 {

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0; // just outside, as in a RECT
    int bottom = 0;

    bool operator==(const PixelRect&) const = default;
};

// How far each edge of the visible frame lies inside the window rectangle, in the window rectangle's
// pixels.
struct FrameInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const FrameInsets&) const = default;
};

// How the system scales the window's pixels for the process that asks.
enum class DpiAwareness { Unaware, SystemAware, PerMonitorAware };

// Physical pixels per pixel of the process's window rectangle. DWM answers in physical pixels; a
// per-monitor aware process (this program, as its manifest declares) sees its windows' physical pixels
// on every monitor, a system-aware one sees them scaled from the window's DPI to the system's, an
// unaware one to 96 DPI.
double physicalPixelsPerPixel(DpiAwareness awareness, int windowDpi, int systemDpi);

// window: GetWindowRect's rectangle; frameBounds: DWM's, in physical pixels, or nothing when DWM gave
// none; physicalPerPixel: physical pixels per pixel of the window rectangle (the window's DPI over the
// DPI the process's coordinates are scaled to; 1 for a per-monitor DPI-aware process). Bounds that do
// not lie within the window rectangle are taken for no answer.
FrameInsets visibleFrameInsets(const PixelRect& window, const std::optional<PixelRect>& frameBounds,
                               double physicalPerPixel);

PixelRect visibleRect(const PixelRect& window, const FrameInsets& insets);

// The window rectangle's corner coordinate that puts the visible frame's left (top) edge at visible.
inline int windowLeftFor(int visibleLeft, const FrameInsets& insets) {
    return visibleLeft - insets.left;
}
inline int windowTopFor(int visibleTop, const FrameInsets& insets) {
    return visibleTop - insets.top;
}

} // namespace tolvane::win32
