// The Win32 layer's window services: the toolkit contract (tests/contract) on windows of the layer in
// this process, then what only user32 can tell: a move keeps the size, the topmost band and the active
// window, and WindowState follows a minimized window.
#include "tests/windows/probe/layer_services.h"

#include "app/frmbzz.h"
#include "tests/contract/toolkit_contract.h"
#include "tests/frmbzz_copy.h"
#include "tests/windows/probe/target_window.h"
#include "toolkit/runtime_error.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/win32_toolkit.h"
#include "toolkit/win32/window_content.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

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

constexpr std::string_view kCaption = "tolvane probe: layer services";

class Win32Subject : public contract::Subject {
  public:
    Toolkit& fresh() override {
        layer_.reset();
        layer_ = std::make_unique<win32::Win32Toolkit>(description_.window, GetModuleHandleW(nullptr));
        WindowHandle handle = 0;
        if (layer_->create() && layer_->hWnd(handle) == kStatusOk) {
            window_ = reinterpret_cast<HWND>(handle);
            ShowWindow(window_, SW_SHOWNOACTIVATE);
            UpdateWindow(window_); // all of it drawn before a case looks at it
        }
        return *layer_;
    }
    bool topmost() override {
        return (static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)) & WS_EX_TOPMOST) != 0;
    }
    // The window's own surface, as the system has it once the waiting messages are handled.
    std::vector<Colour> drawing(std::string_view label) override {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
            DispatchMessageW(&message);
        }
        const ::RECT rect =
            win32::controlRect(*findControl(description_.window, label), PixelScale(screenDotsPerInch()));
        const win32::WindowDc dc(window_);
        std::vector<Colour> shown;
        for (LONG y = rect.top; y < rect.bottom; ++y) {
            for (LONG x = rect.left; x < rect.right; ++x) {
                const COLORREF pixel = GetPixel(dc.get(), x, y); // &H00BBGGRR
                if (pixel == CLR_INVALID) {
                    return {};
                }
                shown.push_back(pixel);
            }
        }
        return shown;
    }
    void hide() override { ShowWindow(window_, SW_HIDE); }
    bool settlesVisible(bool visible) override { return (IsWindowVisible(window_) != 0) == visible; }
    bool putPointer(POINT place) override { return SetCursorPos(place.x, place.y) != 0; }

  private:
    testing::QuietFrmbzz description_{kCaption};
    std::unique_ptr<win32::Win32Toolkit> layer_;
    HWND window_ = nullptr;
};

bool sameSize(const ::RECT& a, const ::RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
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
}

} // namespace

int checkLayerServices(std::FILE* out) {
    Checks checks(out);
    const win32::ComApartment apartment;
    {
        Win32Subject subject;
        const std::vector<std::string_view> names = contract::caseNames();
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::string failures;
            for (const std::string& failure : contract::runCase(subject, i)) {
                failures += "\n    " + failure;
            }
            checks.expect(failures.empty(), "contract: " + std::string(names[i]) + failures);
        }
    }
    WindowDescription description = Frmbzz;
    description.caption = kCaption;
    win32::Win32Toolkit layer(description, GetModuleHandleW(nullptr));
    WindowHandle handle = 0;
    if (!layer.create() || layer.hWnd(handle) != kStatusOk) {
        checks.expect(false, "the window of the layer is built");
        return checks.failures();
    }
    const auto window = reinterpret_cast<HWND>(handle);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    checkWrites(checks, layer, window);
    checkState(checks, layer, window);
    // The window goes with the layer; the layer's timers never ran, as no message was dispatched.
    return checks.failures();
}

} // namespace tolvane::probe
