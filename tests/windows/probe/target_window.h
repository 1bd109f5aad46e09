// The running program's window, as another process finds it: by its title.
#pragma once

#include "toolkit/win32/windows_api.h"

namespace tolvane::probe {

inline constexpr wchar_t kWindowTitle[] = L"0-10 Tolvane";

// The window of the running program, or null.
HWND findTargetWindow();

// The pixel scale this process sees; the probe is DPI aware like the program, so both see the same.
int screenDotsPerInch();

} // namespace tolvane::probe
