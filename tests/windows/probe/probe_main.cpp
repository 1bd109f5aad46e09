// tolvane_probe.exe: looks at the running tolvane.exe from another process, for the tests under Wine.
//
//   tolvane_probe window        waits for the window, then prints its place, size, frame and DPI
//                               awareness, and the desktop's monitors
//   tolvane_probe fonts         measures every text of the layout in the fonts the program makes
//   tolvane_probe leaks N       GDI and USER objects of the program before and after N clicks on the
//                               age labels and a few timer ticks; fails if they grew
//   tolvane_probe masks LABEL   the display labels' texts of an age label's row, drawn as the program
//                               draws them (caption_render.h)
//   tolvane_probe closebutton   the screen point of the window's close button in its title bar
//   tolvane_probe move X Y      moves the window's outer corner to X, Y (pixels) from outside, as a user
//                               dragging it would, keeping its size, z-order and the active window
//   tolvane_probe minimize      minimizes the window (ShowWindow SW_MINIMIZE)
//   tolvane_probe restore       restores a minimized window (ShowWindow SW_RESTORE)
//   tolvane_probe dpi FROM TO   tells the window it now stands on a monitor of TO DPI instead of FROM, as
//                               Windows does when it is dragged there (WM_DPICHANGED)
//   tolvane_probe services      checks the Win32 layer's window services on a window of its own
//                               (layer_services.h)
#include "app/frmbzz.h"
#include "reference/reference_table.h"
#include "tests/windows/probe/caption_render.h"
#include "tests/windows/probe/font_fit.h"
#include "tests/windows/probe/gui_resources.h"
#include "tests/windows/probe/layer_services.h"
#include "tests/windows/probe/target_window.h"
#include "toolkit/pixel_scale.h"
#include "toolkit/win32/desktop_monitors.h"
#include "toolkit/win32/per_monitor_dpi.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/window_content.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::probe {

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUnusable = 2;
constexpr DWORD kWindowWaitMs = 60000;
constexpr DWORD kPollMs = 100;
constexpr DWORD kTicksWaitMs = 2000; // about ten ticks of Timer1

HWND waitForTargetWindow() {
    for (DWORD waited = 0; waited < kWindowWaitMs; waited += kPollMs) {
        if (HWND window = findTargetWindow(); window != nullptr) {
            return window;
        }
        Sleep(kPollMs);
    }
    return nullptr;
}

// The target window's DPI awareness as the system reports it (0 unaware, 1 system, 2 per monitor), or -1
// where the system cannot say.
int dpiAwareness(HWND window) {
    using GetContext = HANDLE(WINAPI*)(HWND);
    using GetAwareness = int(WINAPI*)(HANDLE);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto context = win32::systemFunction<GetContext>(user32, "GetWindowDpiAwarenessContext");
    const auto awareness = win32::systemFunction<GetAwareness>(user32, "GetAwarenessFromDpiAwarenessContext");
    return context != nullptr && awareness != nullptr ? awareness(context(window)) : -1;
}

int printWindow() {
    HWND window = waitForTargetWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "no window titled \"0-10 Tolvane\"\n");
        return kExitUnusable;
    }
    ::RECT outer{};
    ::RECT client{};
    ::POINT origin{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    ClientToScreen(window, &origin);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const auto has = [](DWORD bits, DWORD flag) { return (bits & flag) == flag ? 1 : 0; };
    std::printf("pid=%lu\ndpi=%d\n", processId, screenDotsPerInch());
    std::printf("outer=%ld,%ld,%ld,%ld\n", outer.left, outer.top, outer.right, outer.bottom);
    std::printf("client_origin=%ld,%ld\nclient_size=%ld,%ld\n", origin.x, origin.y, client.right,
                client.bottom);
    std::printf(
        "caption=%d\nsysmenu=%d\nthickframe=%d\nminimizebox=%d\nmaximizebox=%d\ntopmost=%d\nvisible=%d\n",
        has(style, WS_CAPTION), has(style, WS_SYSMENU), has(style, WS_THICKFRAME), has(style, WS_MINIMIZEBOX),
        has(style, WS_MAXIMIZEBOX), has(exStyle, WS_EX_TOPMOST), IsWindowVisible(window) != 0 ? 1 : 0);
    std::printf("iconic=%d\nscreen_width=%d\n", IsIconic(window) != 0 ? 1 : 0, GetSystemMetrics(SM_CXSCREEN));
    std::printf("awareness=%d\n", dpiAwareness(window));
    DisplayMonitors monitors;
    static_cast<void>(win32::readDesktopMonitors(monitors));
    std::printf("monitors=");
    for (std::uint32_t i = 0; i < monitors.count && i < DisplayMonitors::kCapacity; ++i) {
        const DisplayMonitor& m = monitors.monitors[i];
        std::printf("%s%d,%d,%d,%d,%d", i == 0 ? "" : ";", m.rect.left, m.rect.top, m.rect.right,
                    m.rect.bottom, m.primary ? 1 : 0);
    }
    std::printf("\n");
    return 0;
}

// Tells the window that it now stands on a monitor of another DPI, as Windows does when the user drags
// it there: WM_DPICHANGED with the outer rectangle Windows would suggest, the client area scaled by to /
// from inside the frame the system draws for the window (Wine draws one frame whatever the window's
// DPI). Wine hands the message's pointer to the other process unchanged, so the rectangle is written
// into the program's own memory.
int changeDpi(int from, int to) {
    HWND window = waitForTargetWindow();
    if (window == nullptr || from <= 0 || to <= 0) {
        return kExitUnusable;
    }
    ::RECT outer{};
    ::RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const LONG frameWidth = (outer.right - outer.left) - client.right;
    const LONG frameHeight = (outer.bottom - outer.top) - client.bottom;
    const ::RECT suggested{outer.left, outer.top, outer.left + MulDiv(client.right, to, from) + frameWidth,
                           outer.top + MulDiv(client.bottom, to, from) + frameHeight};
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const win32::UniqueKernelHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId));
    void* remote = process ? VirtualAllocEx(process.get(), nullptr, sizeof suggested,
                                            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                           : nullptr;
    if (remote == nullptr ||
        WriteProcessMemory(process.get(), remote, &suggested, sizeof suggested, nullptr) == 0) {
        std::fprintf(stderr, "cannot write into process %lu\n", processId);
        return kExitUnusable;
    }
    DWORD_PTR result = 0;
    const LRESULT sent =
        SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, kWindowWaitMs, &result);
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    std::printf("suggested=%ld,%ld,%ld,%ld\n", suggested.left, suggested.top, suggested.right,
                suggested.bottom);
    return sent != 0 ? 0 : kExitFailed;
}

// What a user does to the window with the mouse or its system menu, done from outside.
int moveWindow(int left, int top) {
    HWND window = waitForTargetWindow();
    if (window == nullptr) {
        return kExitUnusable;
    }
    return SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0
               ? 0
               : kExitFailed;
}

int showWindow(int how) {
    HWND window = waitForTargetWindow();
    if (window == nullptr) {
        return kExitUnusable;
    }
    ShowWindow(window, how);
    return 0;
}

std::optional<int> number(const char* text) {
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        return text[used] == '\0' ? std::optional<int>(value) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void click(HWND window, ::POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
}

void printCounts(const char* when, const GuiResources& counts) {
    std::printf("%s: gdi_objects=", when);
    counts.gdiObjects ? std::printf("%lu", *counts.gdiObjects) : std::printf("unknown");
    std::printf(" (%s) user_objects=", counts.gdiSource.c_str());
    counts.userObjects ? std::printf("%lu", *counts.userObjects) : std::printf("unavailable");
    std::printf(" windows=%lu\n", counts.windows);
}

bool sameCounts(const GuiResources& a, const GuiResources& b) {
    return a.gdiObjects == b.gdiObjects && a.userObjects == b.userObjects && a.windows == b.windows;
}

// Clicks go straight to the window (SendMessage), pressed and released at the centre of each age label
// in turn, so that every click has run its handler, and repainted its 30 labels, before the next.
int checkLeaks(int clicks) {
    HWND window = waitForTargetWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "no window titled \"0-10 Tolvane\"\n");
        return kExitUnusable;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const win32::UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) {
        std::fprintf(stderr, "cannot open process %lu\n", processId);
        return kExitUnusable;
    }
    const PixelScale scale(screenDotsPerInch());
    std::vector<::POINT> centres;
    for (const ReferenceRow& row : kReferenceTable) {
        const ::RECT rect = win32::controlRect(*findControl(Frmbzz, row.ageLabel), scale);
        centres.push_back({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    }

    // Once round first: whatever the first paint of each label sets up is there before counting.
    for (const ::POINT centre : centres) {
        click(window, centre);
    }
    const GuiResources before = countGuiResources(process.get(), processId);
    for (int i = 0; i < clicks; ++i) {
        click(window, centres[static_cast<std::size_t>(i) % centres.size()]);
    }
    const GuiResources afterClicks = countGuiResources(process.get(), processId);
    Sleep(kTicksWaitMs);
    const GuiResources afterTicks = countGuiResources(process.get(), processId);

    printCounts("before", before);
    printCounts("after clicks", afterClicks);
    printCounts("after ticks", afterTicks);
    if (!before.gdiObjects) {
        std::fprintf(stderr, "no way to count the program's GDI objects here\n");
        return kExitUnusable;
    }
    return sameCounts(before, afterClicks) && sameCounts(afterClicks, afterTicks) ? 0 : kExitFailed;
}

// Asks the window itself which point of its frame is the close button (WM_NCHITTEST), along the
// middle of its title bar from the right.
int printCloseButton() {
    HWND window = waitForTargetWindow();
    if (window == nullptr) {
        return kExitUnusable;
    }
    ::RECT outer{};
    ::POINT client{};
    GetWindowRect(window, &outer);
    ClientToScreen(window, &client);
    const LONG y = (outer.top + client.y) / 2;
    const auto hitAt = [window](LONG x, LONG atY) {
        DWORD_PTR hit = HTNOWHERE;
        SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, atY), SMTO_ABORTIFHUNG, kWindowWaitMs,
                            &hit);
        return hit;
    };
    LONG right = outer.right - 1;
    while (right > outer.left && hitAt(right, y) != HTCLOSE) {
        --right;
    }
    LONG left = right;
    while (left > outer.left && hitAt(left - 1, y) == HTCLOSE) {
        --left;
    }
    if (right > outer.left) {
        std::printf("close=%ld,%ld\n", (left + right) / 2, y);
        return 0;
    }
    std::fprintf(stderr, "no close button along the title bar\n");
    return kExitFailed;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: tolvane_probe window | fonts | leaks CLICKS | masks AGE_LABEL | closebutton | move X Y "
        "| minimize | restore | services | dpi FROM TO\n");
    return kExitUnusable;
}

} // namespace

} // namespace tolvane::probe

int main(int argc, char** argv) {
    using namespace tolvane::probe;
    // The same view of the screen as the program, which is DPI aware through its manifest.
    SetProcessDPIAware();
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "window") {
        return printWindow();
    }
    if (command == "fonts") {
        return reportFontFit(stdout) == 0 ? 0 : kExitFailed;
    }
    if (command == "masks" && argc > 2) {
        return printRowMasks(argv[2], stdout) ? 0 : usage();
    }
    if (command == "closebutton") {
        return printCloseButton();
    }
    if (command == "move" && argc > 3) {
        const auto left = number(argv[2]);
        const auto top = number(argv[3]);
        return left && top ? moveWindow(*left, *top) : usage();
    }
    if (command == "services") {
        return checkLayerServices(stdout) == 0 ? 0 : kExitFailed;
    }
    if (command == "dpi" && argc > 3) {
        const auto from = number(argv[2]);
        const auto to = number(argv[3]);
        return from && to ? changeDpi(*from, *to) : usage();
    }
    if (command == "minimize") {
        return showWindow(SW_MINIMIZE);
    }
    if (command == "restore") {
        return showWindow(SW_RESTORE);
    }
    if (command == "leaks" && argc > 2) {
        const int clicks = std::atoi(argv[2]);
        return clicks > 0 ? checkLeaks(clicks) : usage();
    }
    return usage();
}
