// Picture boxes: child windows of the main window, above its labels and lines, each showing one photo
// at its own top-left corner at the photo's own size, clipped to the box, over the button-face colour.
#pragma once

#include "toolkit/win32/picture_decoder.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/windows_api.h"

namespace tolvane::win32 {

// The window class of the picture boxes, registered while it lives.
class PictureBoxClass {
  public:
    explicit PictureBoxClass(HINSTANCE instance);

    explicit operator bool() const { return static_cast<bool>(registration_); }

    // A box at a rectangle of the parent's client area. The photo is borrowed, may be null, and must
    // outlive the box. The parent destroys the box with itself.
    HWND create(HWND parent, const ::RECT& rect, const DecodedBitmap* photo) const;

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void onPaint(HWND window);

    HINSTANCE instance_;
    WindowClass registration_;
};

} // namespace tolvane::win32
