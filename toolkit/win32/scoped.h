// Scope guards for what the layer borrows from the system for the length of one call: a paint
// session, a window's device context, an object selected into a device context, the COM apartment.
#pragma once

#include "toolkit/win32/windows_api.h"

#include <objbase.h>

namespace tolvane::win32 {

// BeginPaint ... EndPaint around one WM_PAINT.
class PaintSession {
  public:
    explicit PaintSession(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintSession() { EndPaint(window_, &paint_); }
    PaintSession(const PaintSession&) = delete;
    PaintSession& operator=(const PaintSession&) = delete;

    HDC dc() const { return dc_; }
    const ::RECT& area() const { return paint_.rcPaint; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// GetDC ... ReleaseDC; a null window gives the screen's device context.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// SelectObject, and the previous object selected back on the way out, so that no object of ours is
// still selected into a device context when it is deleted.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The thread's COM apartment, which the image decoders need.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    HRESULT result() const { return result_; }

  private:
    HRESULT result_;
};

// A window class registered for the life of the layer.
class WindowClass {
  public:
    explicit WindowClass(const WNDCLASSEXW& description)
        : instance_(description.hInstance), name_(description.lpszClassName),
          atom_(RegisterClassExW(&description)) {}
    ~WindowClass() {
        if (atom_ != 0) {
            UnregisterClassW(name_, instance_);
        }
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    explicit operator bool() const { return atom_ != 0; }

  private:
    HINSTANCE instance_;
    const wchar_t* name_;
    ATOM atom_;
};

} // namespace tolvane::win32
