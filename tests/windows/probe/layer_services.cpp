// Checks of the Win32 layer's window services against user32's own view of the same window.
#include "tests/windows/probe/layer_services.h"

#include "app/frmbzz.h"
#include "toolkit/runtime_error.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/win32_toolkit.h"

#include <cmath>
#include <limits>
#include <string>

namespace tolvane::probe {

namespace {

constexpr Twips kTwipsPerPixel = 15; // the probe checks at 96 DPI only

class Checks {
  public:
    explicit Checks(std::FILE* out) : out_(out) {}

    void expect(bool passed, const std::string& what) {
        std::fprintf(out_, "%s %s\n", passed ? "ok" : "FAIL", what.c_str());
        failures_ += passed ? 0 : 1;
    }
    int failures() const { return failures_; }

  private:
    std::FILE* out_;
    int failures_ = 0;
};

std::string text(const ::RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

::RECT systemRect(HWND window) {
    ::RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

bool sameSize(const ::RECT& a, const ::RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

void checkReads(Checks& checks, win32::Win32Toolkit& layer, HWND window) {
    const ::RECT outer = systemRect(window);
    RECT rect{};
    checks.expect(layer.GetWindowRect(reinterpret_cast<WindowHandle>(window), rect) != 0 &&
                      rect == RECT{outer.left, outer.top, outer.right, outer.bottom},
                  "GetWindowRect is user32's outer rectangle " + text(outer));
    // Each service read first: an argument's order of evaluation is unspecified.
    struct Read {
        const char* what;
        Status (win32::Win32Toolkit::*read)(Twips&);
        LONG pixels;
    };
    const Read reads[] = {
        {"Top is the outer top", &win32::Win32Toolkit::Top, outer.top},
        {"Left is the outer left", &win32::Win32Toolkit::Left, outer.left},
        {"Width is the outer width, right just outside", &win32::Win32Toolkit::Width,
         outer.right - outer.left},
        {"Height is the outer height, bottom just outside", &win32::Win32Toolkit::Height,
         outer.bottom - outer.top},
        {"Screen.Width is the primary screen's width", &win32::Win32Toolkit::ScreenWidth,
         GetSystemMetrics(SM_CXSCREEN)},
    };
    for (const Read& read : reads) {
        Twips value = -1;
        const Status status = (layer.*read.read)(value);
        checks.expect(status == kStatusOk && value == static_cast<Twips>(read.pixels) * kTwipsPerPixel,
                      std::string(read.what) + " in twips: " + std::to_string(value) + " for " +
                          std::to_string(read.pixels) + " pixels");
    }
}

// Writing Top or Left moves the outer rectangle before the write returns, to the nearest pixel, and
// changes nothing else: size, the other coordinate, topmost, the active window.
void checkWrites(Checks& checks, win32::Win32Toolkit& layer, HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    const ::RECT before = systemRect(window);
    const HWND active = GetForegroundWindow();
    const Twips height = static_cast<Twips>(before.bottom - before.top) * kTwipsPerPixel;
    const Twips width = static_cast<Twips>(before.right - before.left) * kTwipsPerPixel;
    struct Write {
        bool top;
        Twips twips;
        LONG pixels;
    };
    // Hidden and revealed places; -10 twips is two thirds of a pixel beyond the edge.
    const Write writes[] = {{true, 40 - height, std::lround((40 - height) / kTwipsPerPixel)},
                            {true, -10, -1},
                            {false, 40 - width, std::lround((40 - width) / kTwipsPerPixel)},
                            {false, -10, -1},
                            {false, 28760, 1917},
                            {true, 300, 20}};
    for (const Write& write : writes) {
        const ::RECT was = systemRect(window);
        const Status status = write.top ? layer.setTop(write.twips) : layer.setLeft(write.twips);
        const ::RECT now = systemRect(window);
        const bool moved = write.top ? now.top == write.pixels && now.left == was.left
                                     : now.left == write.pixels && now.top == was.top;
        checks.expect(status == kStatusOk && moved && sameSize(now, before),
                      std::string(write.top ? "Top" : "Left") + " = " + std::to_string(write.twips) +
                          " moves the window at once to " + text(now));
    }
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    checks.expect((exStyle & WS_EX_TOPMOST) != 0, "the moved window stays topmost");
    checks.expect(GetForegroundWindow() == active, "moving the window leaves the active window alone");

    const ::RECT kept = systemRect(window);
    checks.expect(layer.setTop(std::numeric_limits<Twips>::max()) == kStatusOverflow &&
                      layer.setLeft(std::numeric_limits<Twips>::quiet_NaN()) == kStatusOverflow &&
                      layer.setLeft(std::numeric_limits<Twips>::infinity()) == kStatusOverflow,
                  "Top or Left beyond any pixel fails with an overflow");
    const ::RECT after = systemRect(window);
    checks.expect(kept.left == after.left && kept.top == after.top,
                  "a failed write leaves the window where it was");
}

void checkState(Checks& checks, win32::Win32Toolkit& layer, HWND window) {
    const auto expectState = [&](std::int16_t wanted, const char* when) {
        std::int16_t state = -1;
        const Status status = layer.WindowState(state);
        checks.expect(status == kStatusOk && state == wanted,
                      "WindowState " + std::to_string(state) + " when " + when);
    };
    expectState(vbNormal, "normal");
    ShowWindow(window, SW_MINIMIZE);
    expectState(vbMinimized, "minimized");
    ShowWindow(window, SW_RESTORE);
    expectState(vbNormal, "restored");
    const Status shown = layer.Show();
    checks.expect(shown == kStatusOk && IsWindowVisible(window) != 0, "Show leaves the window visible");
}

} // namespace

int checkLayerServices(std::FILE* out) {
    Checks checks(out);
    const win32::ComApartment apartment;
    WindowDescription description = Frmbzz;
    description.caption = "tolvane probe: layer services";
    win32::Win32Toolkit layer(description, GetModuleHandleW(nullptr));
    WindowHandle handle = 0;
    if (!layer.create() || layer.hWnd(handle) != kStatusOk) {
        checks.expect(false, "the window of the layer is built");
        return checks.failures();
    }
    const auto window = reinterpret_cast<HWND>(handle);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    checkReads(checks, layer, window);
    checkWrites(checks, layer, window);
    checkReads(checks, layer, window);
    checkState(checks, layer, window);
    // The window goes with the layer; the layer's timers never ran, as no message was dispatched.
    return checks.failures();
}

} // namespace tolvane::probe
