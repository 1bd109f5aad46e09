// The window's and the screen's properties as the toolkit reports them, in its units, for the core's
// tests. Their defaults are the window the tests start from unless one says otherwise: a normal window
// of 480 by 536 pixels (at 15 twips to a pixel) at the primary screen's top-left corner, with the
// handle the fake hands out, on a screen 1920 pixels wide.
#pragma once

#include "toolkit/toolkit.h"

#include <cstdint>

namespace tolvane::testing {

struct WindowProperties {
    WindowHandle handle = 0x4660;
    std::int16_t windowState = vbNormal;
    Twips top = 0;
    Twips left = 0;
    Twips width = 7200;
    Twips height = 8040;
    Twips screenWidth = 28800;
};

inline constexpr WindowProperties kDefaultWindow;

} // namespace tolvane::testing
