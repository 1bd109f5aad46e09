// Asking DWM where a window's visible frame is (visible_frame.h says why).
//  - DwmGetWindowAttribute(DWMWA_EXTENDED_FRAME_BOUNDS), loaded from dwmapi.dll at run time
//  - the window's DPI against the DPI of the process's coordinates, where the system can say
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
    double physicalPerPixel(HWND window) const;

    UniqueModule dwmapi_;
    GetAttribute getAttribute_ = nullptr;
};

} // namespace tolvane::win32
