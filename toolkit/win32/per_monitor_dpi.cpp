#include "toolkit/win32/per_monitor_dpi.h"

#include "toolkit/win32/scoped.h"

namespace tolvane::win32 {

PerMonitorDpi::PerMonitorDpi() {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    forSystem_ = systemFunction<GetDpiForSystem>(user32, "GetDpiForSystem");
    forWindow_ = systemFunction<GetDpiForWindow>(user32, "GetDpiForWindow");
    adjust_ = systemFunction<AdjustWindowRectExForDpi>(user32, "AdjustWindowRectExForDpi");
}

int PerMonitorDpi::system() const {
    if (forSystem_ != nullptr) {
        return static_cast<int>(forSystem_());
    }
    const WindowDc screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

int PerMonitorDpi::ofWindow(HWND window) const {
    const UINT dpi = forWindow_ != nullptr ? forWindow_(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : system();
}

void PerMonitorDpi::adjustWindowRect(::RECT& rect, DWORD style, DWORD exStyle, int dotsPerInch) const {
    if (adjust_ == nullptr || adjust_(&rect, style, FALSE, exStyle, static_cast<UINT>(dotsPerInch)) == 0) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

} // namespace tolvane::win32
