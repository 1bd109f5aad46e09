// The desktop's monitors as the window system lists them (EnumDisplayMonitors, GetMonitorInfoW): asked
// only when the desktop may have changed, never on a docking tick. Under Wine each of these calls is a
// request to the wineserver.
#pragma once

#include "toolkit/toolkit.h"
#include "toolkit/win32/windows_api.h"

#include <optional>

namespace tolvane::win32 {

// Every monitor, up to the record's capacity; false, leaving the record alone, when the system lists none.
bool readDesktopMonitors(DisplayMonitors& monitors);

// Whether the system may change its monitors without telling the window (WM_DISPLAYCHANGE): Wine 8 does
// so on its RandR path; Windows announces every change.
bool monitorChangesGoUnannounced();

// The primary monitor's width in pixels, or nothing when none is listed as primary.
std::optional<int> primaryWidth(const DisplayMonitors& monitors);

} // namespace tolvane::win32
