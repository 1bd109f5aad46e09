#include "tests/windows/probe/caption_render.h"

#include "app/frmbzz.h"
#include "reference/reference_table.h"
#include "tests/windows/probe/target_window.h"
#include "toolkit/win32/font_cache.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/wide_text.h"
#include "toolkit/win32/window_content.h"

#include <algorithm>
#include <string>
#include <utility>

namespace tolvane::probe {

namespace {

// A colour that no label's text has, for the pixels the text leaves alone.
constexpr COLORREF kPaper = RGB(0x12, 0x34, 0x56);

void printMask(std::string_view name, std::string_view text, win32::FontCache& fonts, const PixelScale& scale,
               std::FILE* out) {
    const ControlDescription& label = *findControl(Frmbzz, name);
    const ::RECT placed = win32::controlRect(label, scale);
    const int width = placed.right - placed.left;
    const int height = placed.bottom - placed.top;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::UniqueBitmap canvas(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    {
        const win32::Selection selected(dc.get(), canvas.get());
        const ::RECT rect{0, 0, width, height};
        SetDCBrushColor(dc.get(), kPaper);
        FillRect(dc.get(), &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        win32::drawCaption(dc.get(), rect, win32::toWide(text), fonts.fontFor(label.font),
                           win32::toColorRef(label.foreColour));
        GdiFlush();
    }
    // A 32-bit DIB holds each pixel as blue, green, red, unused.
    const COLORREF colour = win32::toColorRef(label.foreColour);
    const auto* pixels = static_cast<const unsigned char*>(bits);
    std::fprintf(out, "mask %s %d %d\n", std::string(name).c_str(), width, height);
    for (int y = 0; y < height; ++y) {
        std::string line(static_cast<std::size_t>(width), '.');
        for (int x = 0; x < width; ++x) {
            const unsigned char* pixel = pixels + 4 * (static_cast<std::size_t>(y) * width + x);
            if (RGB(pixel[2], pixel[1], pixel[0]) == colour) {
                line[static_cast<std::size_t>(x)] = '#';
            }
        }
        std::fprintf(out, "%s\n", line.c_str());
    }
}

} // namespace

bool printRowMasks(std::string_view ageLabel, std::FILE* out) {
    const auto row = std::ranges::find(kReferenceTable, ageLabel, &ReferenceRow::ageLabel);
    if (row == kReferenceTable.end()) {
        return false;
    }
    const PixelScale scale(screenDotsPerInch());
    win32::FontCache fonts(scale);
    const std::pair<std::string_view, std::string_view> shown[] = {{"Label9", row->ageText},
                                                                   {"Label50", row->boysWeight},
                                                                   {"Label60", row->girlsWeight},
                                                                   {"Label70", row->boysHeight},
                                                                   {"Label80", row->girlsHeight}};
    for (const auto& [name, text] : shown) {
        printMask(name, text, fonts, scale, out);
    }
    return true;
}

} // namespace tolvane::probe
