// wine_monitors.exe: the desktop's monitors as EnumDisplayMonitors and GetMonitorInfoW give them, and
// nothing else; none of the program's code. The monitors test runs it when the program's reading of the
// monitors differs from those the test made, to tell a fault of Wine's from one of ours: Wine 10's Xinerama
// path lists every monitor at (0, 0).
#include <cstdio>
#include <windows.h>

namespace {

BOOL CALLBACK printMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info) != 0) {
        const RECT& r = info.rcMonitor;
        std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                    (info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? 1 : 0);
    }
    return TRUE;
}

} // namespace

int main() {
    SetProcessDPIAware();
    return EnumDisplayMonitors(nullptr, nullptr, printMonitor, 0) != 0 ? 0 : 1;
}
