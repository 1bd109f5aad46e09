#include "toolkit/win32/frame_bounds.h"

#include "toolkit/win32/per_monitor_dpi.h"

namespace tolvane::win32 {

namespace {

// From dwmapi.h, which MinGW's headers and every Windows since Vista have; named here so that the
// layer needs no import of dwmapi.dll.
constexpr DWORD kExtendedFrameBounds = 9; // DWMWA_EXTENDED_FRAME_BOUNDS

// GetAwarenessFromDpiAwarenessContext's answers (DPI_AWARENESS).
constexpr int kUnaware = 0;
constexpr int kSystemAware = 1;

} // namespace

FrameBounds::FrameBounds() : dwmapi_(LoadLibraryW(L"dwmapi.dll")) {
    getAttribute_ = systemFunction<GetAttribute>(dwmapi_.get(), "DwmGetWindowAttribute");
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    context_ = systemFunction<GetContext>(user32, "GetThreadDpiAwarenessContext");
    awareness_ = systemFunction<GetAwareness>(user32, "GetAwarenessFromDpiAwarenessContext");
    windowDpi_ = systemFunction<GetWindowDpi>(user32, "GetDpiForWindow");
    systemDpi_ = systemFunction<GetSystemDpi>(user32, "GetDpiForSystem");
}

double FrameBounds::physicalPerPixel(HWND window) const {
    if (context_ == nullptr || awareness_ == nullptr || windowDpi_ == nullptr || systemDpi_ == nullptr) {
        return 1;
    }
    // The calling thread's awareness decides how GetWindowRect scales any window's rectangle.
    const int kind = awareness_(context_());
    const DpiAwareness awareness = kind == kUnaware       ? DpiAwareness::Unaware
                                   : kind == kSystemAware ? DpiAwareness::SystemAware
                                                          : DpiAwareness::PerMonitorAware;
    return physicalPixelsPerPixel(awareness, static_cast<int>(windowDpi_(window)),
                                  static_cast<int>(systemDpi_()));
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
