#include "toolkit/win32/font_cache.h"

#include "toolkit/win32/wide_text.h"

#include <algorithm>
#include <cwchar>

namespace tolvane::win32 {

LOGFONTW logicalFont(const Font& font, const PixelScale& scale) {
    LOGFONTW logical{};
    logical.lfHeight = -scale.fontHeight(font.points);
    logical.lfWeight = font.weight;
    logical.lfCharSet = static_cast<BYTE>(font.charset);
    logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logical.lfQuality = DEFAULT_QUALITY;
    logical.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = toWide(font.face);
    const std::size_t length = std::min(face.size(), std::size(logical.lfFaceName) - 1);
    std::wmemcpy(logical.lfFaceName, face.data(), length);
    return logical;
}

HFONT FontCache::fontFor(const Font& font) {
    const std::wstring face = toWide(font.face);
    const auto found = std::ranges::find_if(entries_, [&](const Entry& entry) {
        return entry.face == face && entry.points == font.points && entry.weight == font.weight &&
               entry.charset == font.charset;
    });
    if (found != entries_.end()) {
        return found->font.get();
    }
    const LOGFONTW logical = logicalFont(font, scale_);
    UniqueFont made(CreateFontIndirectW(&logical));
    if (!made) {
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    return entries_.emplace_back(Entry{face, font.points, font.weight, font.charset, std::move(made)})
        .font.get();
}

} // namespace tolvane::win32
