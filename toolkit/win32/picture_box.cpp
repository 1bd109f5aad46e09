#include "toolkit/win32/picture_box.h"

namespace tolvane::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TolvanePictureBox";

WNDCLASSEXW pictureBoxClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof(description);
    description.lpfnWndProc = procedure;
    description.hInstance = instance;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The system erases the box in the button-face colour before the photo is drawn.
    description.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    description.lpszClassName = kClassName;
    return description;
}

} // namespace

PictureBoxClass::PictureBoxClass(HINSTANCE instance)
    : instance_(instance), registration_(pictureBoxClass(instance, &windowProcedure)) {}

HWND PictureBoxClass::create(HWND parent, const ::RECT& rect, const DecodedBitmap* photo) const {
    return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance_,
                           const_cast<DecodedBitmap*>(photo));
}

LRESULT CALLBACK PictureBoxClass::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        break;
    }
    case WM_PAINT:
        onPaint(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void PictureBoxClass::onPaint(HWND window) {
    const PaintSession paint(window);
    const auto* photo = reinterpret_cast<const DecodedBitmap*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (photo == nullptr) {
        return;
    }
    UniqueMemoryDc photoDc(CreateCompatibleDC(paint.dc()));
    if (!photoDc) {
        return;
    }
    const Selection selected(photoDc.get(), photo->bitmap.get());
    // Unscaled at the top left; the box's own clipping cuts off what does not fit.
    BitBlt(paint.dc(), 0, 0, photo->size.cx, photo->size.cy, photoDc.get(), 0, 0, SRCCOPY);
}

} // namespace tolvane::win32
