// The desktop's monitors as the window sees them: which monitor a window stands on, at which of that
// monitor's edges it may dock, and where a window that no monitor shows any more goes. Plain rules on
// the window system's rectangles (pixels, screen coordinates), shared by the docking step and the layers.
#pragma once

#include "toolkit/toolkit.h"

#include <optional>

namespace tolvane {

// The monitor a window stands on, and which of its edges are outer edges of the desktop along the
// window's extent: no monitor lies beyond the top edge within the window's columns, nor beyond the left
// or the right edge within its rows. A window docks only at an outer edge; an edge shared with another
// monitor leaves it in view.
struct MonitorOfWindow {
    RECT rect;
    bool primary = true;
    bool topOuter = true;
    bool leftOuter = true;
    bool rightOuter = true;
};

// The monitor that holds most of the window; for a window on none, the nearest one (the least distance
// along x plus along y). Ties go to the primary monitor, then to the first listed. A desktop that reports no monitor has the primary alone,
// its top-left corner at the origin and every edge outer, as has a desktop of one monitor.
MonitorOfWindow monitorOfWindow(const DisplayMonitors& monitors, const RECT& window);

// Where a window that no monitor shows goes (its new top-left corner): wholly onto the nearest monitor,
// as near to where it was as that monitor allows, or at that monitor's top-left corner when it is larger.
// Nothing for a window that some monitor shows, or when the desktop reports no monitor.
std::optional<POINT> placeOnDesktop(const DisplayMonitors& monitors, const RECT& window);

} // namespace tolvane
