#include "toolkit/pixel_scale.h"

#include <cmath>
#include <limits>

namespace tolvane {

std::optional<int> PixelScale::toPixels(Twips twips) const {
    const double pixels = std::nearbyint(static_cast<double>(twips) * dotsPerInch_ / kTwipsPerInch);
    if (!std::isfinite(pixels) || pixels < std::numeric_limits<int>::min() ||
        pixels > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(pixels);
}

Twips PixelScale::toTwips(long pixels) const {
    return static_cast<Twips>(static_cast<double>(pixels) * kTwipsPerInch / dotsPerInch_);
}

int PixelScale::fontHeight(float points) const {
    return static_cast<int>(std::lround(static_cast<double>(points) * dotsPerInch_ / kPointsPerInch));
}

} // namespace tolvane
