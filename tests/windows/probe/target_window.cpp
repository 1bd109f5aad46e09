#include "tests/windows/probe/target_window.h"

#include "toolkit/win32/scoped.h"

namespace tolvane::probe {

HWND findTargetWindow() {
    return FindWindowW(nullptr, kWindowTitle);
}

int screenDotsPerInch() {
    const win32::WindowDc screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

} // namespace tolvane::probe
