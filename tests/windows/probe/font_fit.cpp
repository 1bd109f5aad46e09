#include "tests/windows/probe/font_fit.h"

#include "app/frmbzz.h"
#include "reference/reference_table.h"
#include "tests/windows/probe/target_window.h"
#include "toolkit/win32/font_cache.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/wide_text.h"
#include "toolkit/win32/window_content.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::probe {

namespace {

std::string toUtf8(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

// Every text a label can show: its caption, and for the display labels each text of their column.
std::vector<std::string_view> textsOf(const ControlDescription& label) {
    std::vector<std::string_view> texts{label.caption};
    for (const ReferenceRow& row : kReferenceTable) {
        if (label.name == "Label9") {
            texts.push_back(row.ageText);
        } else if (label.name == "Label50") {
            texts.push_back(row.boysWeight);
        } else if (label.name == "Label60") {
            texts.push_back(row.girlsWeight);
        } else if (label.name == "Label70") {
            texts.push_back(row.boysHeight);
        } else if (label.name == "Label80") {
            texts.push_back(row.girlsHeight);
        }
    }
    return texts;
}

} // namespace

int reportFontFit(std::FILE* out) {
    const PixelScale scale(screenDotsPerInch());
    win32::FontCache fonts(scale);
    const win32::WindowDc screen(nullptr);
    int misfits = 0;
    int measured = 0;
    for (const ControlDescription& label : Frmbzz.controls) {
        if (label.kind != ControlKind::Label) {
            continue;
        }
        const ::RECT rect = win32::controlRect(label, scale);
        const win32::Selection font(screen.get(), fonts.fontFor(label.font));
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(screen.get(), LF_FACESIZE, face);
        TEXTMETRICW metrics{};
        GetTextMetricsW(screen.get(), &metrics);
        std::fprintf(out, "font %s(%d) %.2fpt -> \"%s\" weight %ld charset %d height %ld\n",
                     std::string(label.name).c_str(), label.index, static_cast<double>(label.font.points),
                     toUtf8(face).c_str(), metrics.tmWeight, metrics.tmCharSet, metrics.tmHeight);
        for (const std::string_view text : textsOf(label)) {
            if (text.empty()) {
                continue;
            }
            const std::wstring wide = win32::toWide(text);
            SIZE extent{};
            GetTextExtentPoint32W(screen.get(), wide.c_str(), static_cast<int>(wide.size()), &extent);
            ++measured;
            const int width = rect.right - rect.left;
            const int height = rect.bottom - rect.top;
            if (extent.cx > width || extent.cy > height) {
                ++misfits;
                std::fprintf(out, "does not fit: %s \"%s\" needs %ldx%ld pixels, label has %dx%d\n",
                             std::string(label.name).c_str(), std::string(text).c_str(), extent.cx, extent.cy,
                             width, height);
            }
        }
    }
    std::fprintf(out, "measured %d texts, %d do not fit\n", measured, misfits);
    return misfits;
}

} // namespace tolvane::probe
