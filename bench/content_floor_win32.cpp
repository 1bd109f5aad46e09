// The content floor for the Windows program's start-up and memory: the minimal window plus what any
// program showing this content must pay for, and nothing else. It decodes the same background JPEG
// (through the Windows Imaging Component, as the program does), draws it, and draws a column of
// light-blue cells with captions in the same two Chinese faces, so that the same first-paint detector
// sees it. The fonts are the layer's own logical fonts (logicalFont: the same names, sizes, weight and
// character set), so that the system's font mapping, and Wine's replacements, pick the same faces.
#include "resources/pictures.h"
#include "toolkit/pixel_scale.h"
#include "toolkit/win32/font_cache.h"
#include "toolkit/win32/picture_decoder.h"
#include "toolkit/win32/scoped.h"

#include <optional>
#include <string>

namespace {

std::optional<tolvane::win32::DecodedBitmap> background;

HFONT face(const tolvane::Font& font) {
    const LOGFONTW logical =
        tolvane::win32::logicalFont(font, tolvane::PixelScale(tolvane::kDefaultDotsPerInch));
    return CreateFontIndirectW(&logical);
}

void paintContent(HDC dc) {
    if (background) {
        const tolvane::win32::UniqueMemoryDc pictureDc(CreateCompatibleDC(dc));
        const tolvane::win32::Selection picture(pictureDc.get(), background->bitmap.get());
        BitBlt(dc, 0, 0, background->size.cx, background->size.cy, pictureDc.get(), 0, 0, SRCCOPY);
    }
    SetBkMode(dc, TRANSPARENT);
    const tolvane::win32::UniqueFont song(face({.face = "宋体", .points = 12}));
    const tolvane::win32::UniqueFont li(face({.face = "隶书", .points = 15.75F}));
    {
        const tolvane::win32::Selection font(dc, song.get());
        SetDCBrushColor(dc, RGB(0xC0, 0xC0, 0xFF));
        for (int row = 0; row < 13; ++row) {
            RECT cell{16, 48 + 32 * row, 16 + 49, 48 + 32 * row + 25};
            FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            const std::wstring caption = std::to_wstring(row + 1) + L"月";
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &cell,
                      DT_CENTER | DT_TOP | DT_SINGLELINE);
        }
    }
    const tolvane::win32::Selection font(dc, li.get());
    RECT bottom{16, 464, 457, 497};
    DrawTextW(dc, L"快速查询表", -1, &bottom, DT_CENTER | DT_TOP | DT_SINGLELINE);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const tolvane::win32::PaintSession paint(window);
        paintContent(paint.dc());
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const tolvane::win32::ComApartment apartment;
    background = tolvane::win32::decodeBitmap(tolvane::pictureBytes(tolvane::Picture::Background));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"contentfloor";
    RegisterClassExW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, 472, 502};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND window = CreateWindowExW(0, L"contentfloor", L"content floor", style, 0, 0, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    background.reset();
    return static_cast<int>(message.wParam);
}
