#include "toolkit/win32/frame_bounds.h"

namespace tolvane::win32 {

namespace {

// From dwmapi.h, which MinGW's headers and every Windows since Vista have; named here so that the
// layer needs no import of dwmapi.dll.
constexpr DWORD kExtendedFrameBounds = 9; // DWMWA_EXTENDED_FRAME_BOUNDS

// From user32 since Windows 10 1607, looked up by name: GetWindowDpiAwarenessContext,
// GetAwarenessFromDpiAwarenessContext, GetDpiForWindow, GetDpiForSystem.
using GetContext = HANDLE(WINAPI*)(HWND);
using GetAwareness = int(WINAPI*)(HANDLE);
using GetWindowDpi = UINT(WINAPI*)(HWND);
using GetSystemDpi = UINT(WINAPI*)();
constexpr int kUnaware = 0;
constexpr int kSystemAware = 1;
constexpr double kDefaultDpi = 96;

template <typename Function> Function lookUp(HMODULE module, const char* name) {
    // GetProcAddress hands every function back as one generic pointer type.
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

} // namespace

FrameBounds::FrameBounds() : dwmapi_(LoadLibraryW(L"dwmapi.dll")) {
    getAttribute_ = lookUp<GetAttribute>(dwmapi_.get(), "DwmGetWindowAttribute");
}

double FrameBounds::physicalPerPixel(HWND window) const {
    // A per-monitor aware process sees physical pixels; others see them scaled to 96 DPI (unaware) or to
    // the system's DPI (system aware), while DWM always answers in physical pixels.
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto context = lookUp<GetContext>(user32, "GetWindowDpiAwarenessContext");
    const auto awareness = lookUp<GetAwareness>(user32, "GetAwarenessFromDpiAwarenessContext");
    const auto windowDpi = lookUp<GetWindowDpi>(user32, "GetDpiForWindow");
    const auto systemDpi = lookUp<GetSystemDpi>(user32, "GetDpiForSystem");
    if (context == nullptr || awareness == nullptr || windowDpi == nullptr || systemDpi == nullptr) {
        return 1;
    }
    const int kind = awareness(context(window));
    const double dpi = windowDpi(window);
    if (kind == kUnaware) {
        return dpi / kDefaultDpi;
    }
    if (kind == kSystemAware) {
        return dpi / systemDpi();
    }
    return 1;
}

FrameInsets FrameBounds::insetsOf(HWND window, const ::RECT& windowRect) const {
    const PixelRect rect{static_cast<int>(windowRect.left), static_cast<int>(windowRect.top),
                         static_cast<int>(windowRect.right), static_cast<int>(windowRect.bottom)};
    ::RECT bounds{};
    if (getAttribute_ == nullptr ||
        FAILED(getAttribute_(window, kExtendedFrameBounds, &bounds, sizeof bounds))) {
        return {};
    }
    return visibleFrameInsets(rect,
                              PixelRect{static_cast<int>(bounds.left), static_cast<int>(bounds.top),
                                        static_cast<int>(bounds.right), static_cast<int>(bounds.bottom)},
                              physicalPerPixel(window));
}

} // namespace tolvane::win32
