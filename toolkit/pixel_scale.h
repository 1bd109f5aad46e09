// Twips to a layer's pixels and back, at the layer's dots per inch: 1440 twips are one inch, so a pixel
// is 1440 / DPI twips (15 at 96 DPI, 12 at 120, 10 at 144). Every layer, and the tests' fake, rounds
// through this one rule; they differ only in their scale.
#pragma once

#include "toolkit/description.h"

#include <optional>

namespace tolvane {

inline constexpr int kPointsPerInch = 72;
// The scale of a screen at 100 %: 15 twips to a pixel.
inline constexpr int kDefaultDotsPerInch = 96;

class PixelScale {
  public:
    explicit constexpr PixelScale(int dotsPerInch)
        : dotsPerInch_(dotsPerInch > 0 ? dotsPerInch : kDefaultDotsPerInch) {}

    constexpr int dotsPerInch() const { return dotsPerInch_; }

    // The nearest whole pixel; nothing when the value is no finite number or lies beyond an int.
    std::optional<int> toPixels(Twips twips) const;
    // For the described layout, whose values are all in range.
    int layoutPixels(Twips twips) const { return toPixels(twips).value_or(0); }

    Twips toTwips(long pixels) const;

    // A font's cell height in pixels for a size in points.
    int fontHeight(float points) const;

  private:
    int dotsPerInch_;
};

} // namespace tolvane
