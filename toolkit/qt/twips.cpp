#include "toolkit/qt/twips.h"

#include <cmath>
#include <limits>

namespace tolvane::qt {

std::optional<int> toPixels(Twips twips) {
    const double pixels = std::nearbyint(double{twips} / kTwipsPerPixel);
    if (!std::isfinite(pixels) || pixels < std::numeric_limits<int>::min() ||
        pixels > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(pixels);
}

Twips toTwips(int pixels) {
    return static_cast<Twips>(pixels * kTwipsPerPixel);
}

int describedPixels(Twips twips) {
    return toPixels(twips).value_or(0);
}

QRect controlRect(const ControlDescription& control) {
    return {describedPixels(control.left), describedPixels(control.top), describedPixels(control.width),
            describedPixels(control.height)};
}

QLine controlLine(const ControlDescription& control) {
    return {describedPixels(control.x1()), describedPixels(control.y1()), describedPixels(control.x2()),
            describedPixels(control.y2())};
}

int fontPixelSize(float points) {
    return static_cast<int>(std::lround(double{points} * kTwipsPerPoint / kTwipsPerPixel));
}

} // namespace tolvane::qt
