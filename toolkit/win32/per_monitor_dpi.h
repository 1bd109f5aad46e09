// The window system's per-monitor DPI, for a program that takes each monitor's DPI as its own (its
// manifest declares it per-monitor aware). The functions come from user32 of Windows 10 1607 and later
// (Wine has them) and are looked up by name once, so that the program still starts on older Windows,
// which runs it at the system's DPI throughout.
#pragma once

#include "toolkit/win32/windows_api.h"

namespace tolvane::win32 {

// A function of a loaded module by name, or null.
template <typename Function> Function systemFunction(HMODULE module, const char* name) {
    // GetProcAddress hands every function back as one generic pointer type.
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

class PerMonitorDpi {
  public:
    PerMonitorDpi();

    // The DPI the system runs the process at when it knows no monitor's own: the primary monitor's at
    // sign-in.
    int system() const;
    // The DPI of the monitor the window stands on, as the system last told the window; the system's
    // where the system cannot say.
    int ofWindow(HWND window) const;
    // The window rectangle around a client rectangle, with the frame at that DPI where the system can
    // draw it so (at the system's DPI otherwise).
    void adjustWindowRect(::RECT& rect, DWORD style, DWORD exStyle, int dotsPerInch) const;

  private:
    using GetDpiForSystem = UINT(WINAPI*)();
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    using AdjustWindowRectExForDpi = BOOL(WINAPI*)(::RECT*, DWORD, BOOL, DWORD, UINT);

    GetDpiForSystem forSystem_ = nullptr;
    GetDpiForWindow forWindow_ = nullptr;
    AdjustWindowRectExForDpi adjust_ = nullptr;
};

} // namespace tolvane::win32
