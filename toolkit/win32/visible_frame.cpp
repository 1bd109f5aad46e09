#include "toolkit/win32/visible_frame.h"

#include <cmath>

namespace tolvane::win32 {

namespace {

constexpr double kUnawareDpi = 96;

int toPixels(double physical, double physicalPerPixel) {
    return static_cast<int>(std::lround(physical / physicalPerPixel));
}

} // namespace

double physicalPixelsPerPixel(DpiAwareness awareness, int windowDpi, int systemDpi) {
    if (windowDpi <= 0 || systemDpi <= 0) {
        return 1;
    }
    switch (awareness) {
    case DpiAwareness::Unaware:
        return windowDpi / kUnawareDpi;
    case DpiAwareness::SystemAware:
        return static_cast<double>(windowDpi) / systemDpi;
    case DpiAwareness::PerMonitorAware:
        break;
    }
    return 1;
}

FrameInsets visibleFrameInsets(const PixelRect& window, const std::optional<PixelRect>& frameBounds,
                               double physicalPerPixel) {
    if (!frameBounds || !(physicalPerPixel > 0)) {
        return {};
    }
    // DWM's bounds are physical; a DPI-unaware or system-aware process sees its window rectangle scaled,
    // so the insets are measured in physical pixels and scaled back.
    const PixelRect& bounds = *frameBounds;
    const FrameInsets insets{
        .left = toPixels(bounds.left - window.left * physicalPerPixel, physicalPerPixel),
        .top = toPixels(bounds.top - window.top * physicalPerPixel, physicalPerPixel),
        .right = toPixels(window.right * physicalPerPixel - bounds.right, physicalPerPixel),
        .bottom = toPixels(window.bottom * physicalPerPixel - bounds.bottom, physicalPerPixel),
    };
    const bool inside = insets.left >= 0 && insets.top >= 0 && insets.right >= 0 && insets.bottom >= 0 &&
                        insets.left + insets.right < window.right - window.left &&
                        insets.top + insets.bottom < window.bottom - window.top;
    return inside ? insets : FrameInsets{};
}

PixelRect visibleRect(const PixelRect& window, const FrameInsets& insets) {
    return {.left = window.left + insets.left,
            .top = window.top + insets.top,
            .right = window.right - insets.right,
            .bottom = window.bottom - insets.bottom};
}

} // namespace tolvane::win32
