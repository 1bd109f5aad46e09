// The GDI fonts of the labels, one per distinct face, size, weight and character set, made once when
// the window is built and kept until it is gone, so that painting creates no font.
#pragma once

#include "toolkit/description.h"
#include "toolkit/pixel_scale.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/windows_api.h"

#include <string>
#include <vector>

namespace tolvane::win32 {

// The logical font for a described font at the given scale: the size in points becomes a character
// height in pixels (a negative lfHeight), so the glyphs, not the cells, have the described size.
LOGFONTW logicalFont(const Font& font, const PixelScale& scale);

class FontCache {
  public:
    explicit FontCache(const PixelScale& scale) : scale_(scale) {}

    // The font, made on first request; the system's GUI font if the system refuses to make it.
    HFONT fontFor(const Font& font);

  private:
    struct Entry {
        std::wstring face;
        float points;
        int weight;
        int charset;
        UniqueFont font;
    };

    PixelScale scale_;
    std::vector<Entry> entries_;
};

} // namespace tolvane::win32
