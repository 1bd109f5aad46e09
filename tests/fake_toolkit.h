// An in-memory toolkit for the core's tests: it keeps the window's and labels' state, records every
// operation in order, and can be told to fail the k-th status-reporting operation. It keeps the same
// contract as the platform layers (tests/contract): positions in whole pixels at 15 twips, overflow for
// a position no pixel can hold, unknown labels, foreign handles, everything after Unload.
#pragma once

#include "app/frmbzz.h"
#include "tests/default_window.h"
#include "toolkit/runtime_error.h"
#include "toolkit/toolkit.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::testing {

class FakeToolkit : public Toolkit, public WindowProperties {
  public:
    struct LabelState {
        Colour backColour = 0;
        std::string caption;
    };

    explicit FakeToolkit(const WindowDescription& window = Frmbzz);

    // The k-th status-reporting operation from now on (1 = the next) fails with this status.
    void failOperation(int k, Status status);
    // Forgets a failure that failOperation asked for and that has not happened yet.
    void clearFailure() { failAt_.reset(); }

    // Window and screen state, in the toolkit's units: the inherited properties (handle, windowState,
    // top, left, width, height, screenWidth), and these.
    Twips twipsPerPixel = 15;
    bool visible = false;
    // What the core last wrote into Top and Left, exactly, before the window put it on a whole pixel;
    // nothing before the first write that succeeds.
    std::optional<Twips> topWritten;
    std::optional<Twips> leftWritten;
    bool topmost = false; // SetWindowPos with HWND_TOPMOST put it in the topmost band
    // After Unload every operation on the window fails with kStatusWindowUnloaded, and the declared
    // functions answer nothing for its handle.
    bool unloaded = false;

    // What the declared functions report, and their result. A failing call leaves its record alone.
    POINT cursor;
    RECT windowRect;
    std::int32_t declaredResult = 1;
    // Results of the two position functions on their own, where set; otherwise declaredResult.
    std::optional<std::int32_t> cursorResult;
    std::optional<std::int32_t> windowRectResult;
    // The desktop's monitors EnumDisplayMonitors reports, and its result; unset, the primary screen alone,
    // screenWidth wide and kScreenHeightPixels high at 15 twips per pixel.
    std::optional<DisplayMonitors> monitors;
    std::optional<std::int32_t> monitorsResult;
    static constexpr std::int32_t kScreenHeightPixels = 1080;
    // When set, GetWindowRect reports the rectangle that Top, Left, Width and Height give at 15 twips
    // per pixel, as a real window that follows its properties does; windowRect is then unused.
    bool rectFollowsProperties = false;

    std::map<std::string, LabelState, std::less<>> labels;
    std::vector<std::string> log;
    std::vector<RuntimeError> untrapped;

    // Only the status-reporting operations, as logged.
    int operationCount() const { return operations_; }

    // The outer rectangle in pixels that the window's properties give, nearest pixel, held in range.
    RECT rectOfProperties() const;

    Status hWnd(WindowHandle& value) override;
    Status WindowState(std::int16_t& value) override;
    Status Top(Twips& value) override;
    Status setTop(Twips value) override;
    Status Left(Twips& value) override;
    Status setLeft(Twips value) override;
    Status Width(Twips& value) override;
    Status Height(Twips& value) override;
    Status Show() override;
    Status Unload() override;
    Status ScreenWidth(Twips& value) override;
    Status ScreenTwipsPerPixelX(Twips& value) override;
    Status ScreenTwipsPerPixelY(Twips& value) override;
    Status setBackColor(std::string_view label, Colour colour) override;
    Status setCaption(std::string_view label, std::string_view text) override;
    std::int32_t GetCursorPos(POINT& point) override;
    std::int32_t GetWindowRect(WindowHandle window, RECT& rect) override;
    std::int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                              std::int32_t cx, std::int32_t cy, std::uint32_t flags) override;
    std::int32_t EnumDisplayMonitors(DisplayMonitors& value) override;
    void reportUntrappedError(const RuntimeError& error) override;

  private:
    // Logs the operation and tells whether it may take effect.
    Status attempt(const std::string& entry, bool onWindow = true);
    Status readScreen(const std::string& entry, Twips& value, Twips held);
    bool isWindow(WindowHandle window) const;

    int operations_ = 0;
    std::optional<int> failAt_;
    Status failStatus_ = 0;
};

// "&H0000FF00", the way colours are written in the logs.
std::string hexColour(Colour colour);
// Shortest text that reads back as the same float ("-8000", "-10", "28760").
std::string twipsText(Twips value);

} // namespace tolvane::testing
