// The desktops of several monitors that docking is tried on, and what the window does at each place on
// them: one table for the docking step's unit tests against the fake and for the end-to-end tests of
// both programs (tolvane_layout prints it as JSON).
//
// Rectangles are the X server's root pixels, as `xrandr --setmonitor` makes the monitors on a screen of
// the layout's size; the program sees them from the primary monitor's top-left corner. A place is given
// against a monitor and the window's own size, so that it holds for any frame a window manager draws.
#pragma once

#include "toolkit/toolkit.h"

#include <span>
#include <string_view>
#include <vector>

namespace tolvane::testing {

enum class Anchor {
    Middle,      // in the middle of the monitor
    AcrossRight, // straddling the monitor's right edge, half on either side, at mid-height
    TopEdge,     // against the top edge, in the middle of it
    LeftEdge,    // against the left edge, at mid-height
    RightEdge,   // against the right edge, at mid-height
    RightLow,    // against the right edge, at the bottom of the monitor
};

enum class Outcome { Stays, HidesTop, HidesLeft, HidesRight };

struct Placement {
    std::string_view what;
    std::size_t monitor;
    Anchor anchor;
    Outcome outcome; // hiding happens at the edge of that same monitor
};

struct MonitorLayout {
    std::string_view name;
    int screenWidth; // the root window
    int screenHeight;
    std::vector<RECT> monitors;
    std::size_t primary;
    std::vector<Placement> placements;
};

std::span<const MonitorLayout> monitorLayouts();

// The window's outer top-left corner for a place, in root pixels, for a window of this size.
POINT placeWindow(const MonitorLayout& layout, const Placement& place, int width, int height);

// Where the pointer goes to touch the strip a hidden window leaves (root pixels), given the hidden window's
// rectangle.
POINT pointerOnStrip(const MonitorLayout& layout, const Placement& place, const RECT& hidden);

} // namespace tolvane::testing
