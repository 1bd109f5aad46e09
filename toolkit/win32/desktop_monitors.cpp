#include "toolkit/win32/desktop_monitors.h"

#include <algorithm>
#include <span>

namespace tolvane::win32 {

namespace {

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC /*dc*/, LPRECT /*clip*/, LPARAM record) {
    auto& list = *reinterpret_cast<DisplayMonitors*>(record);
    ::MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info) != 0) {
        const ::RECT& r = info.rcMonitor;
        list.monitors[list.count++] = {{r.left, r.top, r.right, r.bottom},
                                       (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
    }
    return list.count < DisplayMonitors::kCapacity ? TRUE : FALSE;
}

} // namespace

bool monitorChangesGoUnannounced() {
    // Wine's ntdll says which Wine it is; Windows' has no such export.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool readDesktopMonitors(DisplayMonitors& monitors) {
    DisplayMonitors found;
    // A desktop of more monitors than the record holds stops the listing early, which reports failure.
    static_cast<void>(::EnumDisplayMonitors(nullptr, nullptr, &addMonitor, reinterpret_cast<LPARAM>(&found)));
    if (found.count == 0) {
        return false;
    }
    monitors = found;
    return true;
}

std::optional<int> primaryWidth(const DisplayMonitors& monitors) {
    const auto listed =
        std::span(monitors.monitors).first(std::min<std::size_t>(monitors.count, DisplayMonitors::kCapacity));
    const auto primary = std::ranges::find_if(listed, [](const DisplayMonitor& m) { return m.primary; });
    if (primary == listed.end()) {
        return std::nullopt;
    }
    return primary->rect.right - primary->rect.left;
}

} // namespace tolvane::win32
