// Asking DWM where a window's visible frame is (visible_frame.h says why).
//  - DwmGetWindowAttribute(DWMWA_EXTENDED_FRAME_BOUNDS), loaded from dwmapi.dll at run time
//  - how the asking thread sees the window's pixels (its DPI awareness, the window's DPI, the system's),
//    where the system can say
// Where dwmapi.dll or the function is missing, or DWM answers nothing (Wine, no composition), the window
// rectangle is the visible one.
#pragma once

#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/visible_frame.h"
#include "toolkit/win32/windows_api.h"

namespace tolvane::win32 {

class FrameBounds {
  public:
    FrameBounds();

    // The visible frame's insets within the window rectangle; zeros where DWM gives nothing.
    FrameInsets insetsOf(HWND window, const ::RECT& windowRect) const;

  private:
    using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    using GetContext = HANDLE(WINAPI*)();
    using GetAwareness = int(WINAPI*)(HANDLE);
    using GetWindowDpi = UINT(WINAPI*)(HWND);
    using GetSystemDpi = UINT(WINAPI*)();

    double physicalPerPixel(HWND window) const;

    UniqueModule dwmapi_;
    GetAttribute getAttribute_ = nullptr;
    // From user32 since Windows 10 1607; where they are missing, the window's pixels are taken as physical.
    GetContext context_ = nullptr;
    GetAwareness awareness_ = nullptr;
    GetWindowDpi windowDpi_ = nullptr;
    GetSystemDpi systemDpi_ = nullptr;
};

} // namespace tolvane::win32
