#include "app/form_handlers.h"

#include "toolkit/window.h"

namespace tolvane {

void Form_Load(Toolkit& toolkit) {
    Window window(toolkit);
    const WindowHandle handle = window.hWnd();
    // Topmost and visible at once, keeping the described place and size. A refusal leaves the window
    // loaded but not topmost, which is no reason to stop.
    static_cast<void>(window.declared().SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, kFormLoadFlags));
}

void Label17_Click(Toolkit& toolkit) {
    Window(toolkit).Unload();
}

} // namespace tolvane
