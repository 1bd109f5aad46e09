#include "toolkit/qt/chinese_font.h"

#include <fontconfig/fontconfig.h>
#include <memory>

namespace tolvane::qt {

namespace {

struct DestroyPattern {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, DestroyPattern>;

const FcChar8* fcText(const char* text) {
    return reinterpret_cast<const FcChar8*>(text);
}

constexpr const char* kSimplifiedChinese = "zh-cn";

} // namespace

std::vector<std::string> simplifiedChineseFamiliesFor(std::string_view face) {
    // Asked the way an application asks fontconfig for a font: the face and the language, completed by
    // the configuration's substitutions and defaults; the language outweighs the default families
    // that those add, so a font for Chinese wins over a Latin one when the face itself is missing.
    const Pattern pattern(FcPatternCreate());
    if (!pattern) {
        return {};
    }
    const std::string faceName(face);
    FcPatternAddString(pattern.get(), FC_FAMILY, fcText(faceName.c_str()));
    FcPatternAddString(pattern.get(), FC_LANG, fcText(kSimplifiedChinese));
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern) == FcFalse) {
        return {};
    }
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match || result != FcResultMatch) {
        return {};
    }
    FcLangSet* languages = nullptr;
    if (FcPatternGetLangSet(match.get(), FC_LANG, 0, &languages) != FcResultMatch ||
        FcLangSetHasLang(languages, fcText(kSimplifiedChinese)) != FcLangEqual) {
        return {};
    }
    std::vector<std::string> families;
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        families.emplace_back(reinterpret_cast<const char*>(family));
    }
    return families;
}

} // namespace tolvane::qt
