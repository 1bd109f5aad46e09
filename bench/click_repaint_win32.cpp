// click_repaint_win32 N: the Windows program's real window, in this process, clicked N times in turn on
// "2.5岁" and "1月" through its window procedure (WM_LBUTTONDOWN, WM_LBUTTONUP); for each click the time
// from the press to the end of the last of its repaints, which the layer draws at once (UpdateWindow) as
// each label changes, with GDI's batch flushed. Between clicks the messages are pumped, so that the
// window system shows the frame and the timer ticks; that part is not timed. Prints the median, the
// 90th percentile and the largest, in milliseconds.
#include "app/frmbzz.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/win32_toolkit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

LPARAM centreOf(std::string_view name) {
    const tolvane::ControlDescription& control = *tolvane::findControl(tolvane::Frmbzz, name);
    return MAKELPARAM(static_cast<int>(control.left + control.width / 2) / 15,
                      static_cast<int>(control.top + control.height / 2) / 15);
}

void pumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int clicks = argc > 1 ? std::atoi(argv[1]) : 1000;
    const tolvane::win32::ComApartment apartment;
    tolvane::win32::Win32Toolkit window(tolvane::Frmbzz, GetModuleHandleW(nullptr));
    tolvane::WindowHandle handle = 0;
    if (!window.create() || window.hWnd(handle) < 0) {
        std::fprintf(stderr, "click_repaint_win32: no window\n");
        return 1;
    }
    HWND hwnd = reinterpret_cast<HWND>(handle);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    pumpMessages();

    const LPARAM targets[] = {centreOf("Label19"), centreOf("Label2")};
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(clicks));
    for (int i = 0; i < clicks; ++i) {
        LARGE_INTEGER start{};
        LARGE_INTEGER end{};
        QueryPerformanceCounter(&start);
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, targets[i % 2]);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, targets[i % 2]);
        GdiFlush();
        QueryPerformanceCounter(&end);
        samples.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                          static_cast<double>(frequency.QuadPart));
        pumpMessages();
    }
    std::ranges::sort(samples);
    const auto at = [&](double q) {
        return samples[static_cast<std::size_t>(q * double(samples.size() - 1))];
    };
    std::printf("clicks=%d median_ms=%.3f p90_ms=%.3f max_ms=%.3f\n", clicks, at(0.5), at(0.9),
                samples.back());
    DestroyWindow(hwnd);
    pumpMessages();
    return 0;
}
