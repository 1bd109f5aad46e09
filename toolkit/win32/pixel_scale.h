// Twips to the screen's pixels and back at the display's logical DPI: 1440 twips are one logical inch,
// so a pixel is 1440 / DPI twips (15 at 96 DPI, 12 at 120, 10 at 144).
#pragma once

#include "toolkit/description.h"

#include <optional>

namespace tolvane::win32 {

inline constexpr int kPointsPerInch = 72;

class PixelScale {
  public:
    explicit PixelScale(int dotsPerInch) : dotsPerInch_(dotsPerInch > 0 ? dotsPerInch : 96) {}

    int dotsPerInch() const { return dotsPerInch_; }

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

} // namespace tolvane::win32
