// Everything one tick of the docking step can meet: the pointer, the window's rectangle and properties,
// the screen, what the window system's functions return, and which operation of the toolkit fails.
#pragma once

#include "tests/default_window.h"
#include "toolkit/toolkit.h"

#include <cstdint>
#include <string>

namespace tolvane::reliability {

struct TickSituation {
    POINT pointer;
    RECT rect;
    std::int32_t cursorResult = 1; // 0: GetCursorPos fails and fills nothing
    std::int32_t rectResult = 1;   // 0: GetWindowRect fails and fills nothing
    // The window's properties: the tests' default window unless the situation says otherwise.
    WindowHandle handle = testing::kDefaultWindow.handle;
    std::int16_t windowState = testing::kDefaultWindow.windowState;
    Twips top = testing::kDefaultWindow.top;
    Twips left = testing::kDefaultWindow.left;
    Twips width = testing::kDefaultWindow.width;
    Twips height = testing::kDefaultWindow.height;
    Twips screenWidth = testing::kDefaultWindow.screenWidth;
    // The desktop's monitors as EnumDisplayMonitors reports them; none listed: the fake's own, the primary
    // screen alone.
    DisplayMonitors monitors{};
    std::int32_t monitorsResult = 1; // 0: EnumDisplayMonitors fails and fills nothing
    Twips twipsPerPixel = 15;
    int failingOperation = 0; // the k-th status-reporting operation of the tick fails; 0: none does
    Status failingStatus = -1;
};

// Every field, floats in hexadecimal so that the situation can be typed back in exactly.
std::string describe(const TickSituation& situation);

} // namespace tolvane::reliability
