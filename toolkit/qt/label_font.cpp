#include "toolkit/qt/label_font.h"

#include "toolkit/qt/chinese_font.h"
#include "toolkit/qt/twips.h"

#include <QFontDatabase>
#include <array>
#include <span>
#include <string>

namespace tolvane::qt {

namespace {

struct FaceFallbacks {
    std::string_view face;
    std::array<const char*, 4> families;
};

// The described faces are GB2312 fonts of Windows. Where they are missing, fontconfig answers "宋体"
// with DejaVu Sans, whose bold digits are so wide that "105.3-114.5" at 18 pt no longer fits its
// value label, and Qt then borrows only the Han characters from a CJK font. So each face is mapped
// here to fonts of its own style that hold Latin digits and Han characters alike at half and full
// width: first the face's own English name, then the fonts that the set-up installs. For 宋体 that is
// Noto Serif CJK SC, a Song face with a bold weight of its own, before AR PL UMing, a Ming/Song face
// without one: Qt and FreeType embolden UMing by a margin that does not grow with the size, so its
// captions, bold at 100 %, looked nearly regular at 200 %. UKai is a Kai face, the nearest to the
// clerical 隶书 that Debian ships (it has no bold weight either).
constexpr std::array kFallbacks{
    FaceFallbacks{"宋体", {"SimSun", "Noto Serif CJK SC", "AR PL UMing CN", "AR PL UMing TW"}},
    FaceFallbacks{"隶书", {"LiSu", "AR PL UKai CN", "AR PL UKai TW", "AR PL UKai HK"}},
};

std::span<const char* const> fallbacksFor(std::string_view face) {
    for (const FaceFallbacks& entry : kFallbacks) {
        if (entry.face == face) {
            return entry.families;
        }
    }
    return {};
}

} // namespace

QStringList labelFontFamilies(std::string_view face) {
    const QString described = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    if (installed.contains(described, Qt::CaseInsensitive)) {
        families << described;
    }
    for (const char* family : fallbacksFor(face)) {
        if (installed.contains(QLatin1String(family), Qt::CaseInsensitive)) {
            families << QString::fromLatin1(family);
        }
    }
    if (families.isEmpty()) {
        // Neither the face nor a font of its style is here. Left to itself, Qt would draw the digits in
        // the font fontconfig answers for the face's name (a Latin one, too wide) and borrow only the
        // Han characters elsewhere; so the label asks for the font fontconfig picks for Chinese text
        // in the face's place, which draws both.
        for (const std::string& family : simplifiedChineseFamiliesFor(face)) {
            const QString name = QString::fromStdString(family);
            if (installed.contains(name, Qt::CaseInsensitive)) {
                families << name;
                break;
            }
        }
    }
    if (!families.contains(described)) {
        families << described;
    }
    return families;
}

QFont labelFont(const Font& font) {
    QFont qfont;
    qfont.setFamilies(labelFontFamilies(font.face));
    qfont.setPixelSize(fontPixelSize(font.points));
    qfont.setWeight(static_cast<QFont::Weight>(font.weight));
    // Character set 134 (GB2312) has no counterpart in Qt: the families above cover it.
    return qfont;
}

} // namespace tolvane::qt
