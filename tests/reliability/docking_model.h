// A deliberately plain second reading of the docking step, written from its decision table alone: it
// shares nothing with the program's code but the types of the toolkit interface, so that a slip in
// either shows up as a disagreement between the two. On a desktop of one monitor it is the table as it
// stands; on several, the same table on the monitor the window stands on, at that monitor's outer edges.
#pragma once

#include "tick_situation.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane::reliability {

// One operation a tick makes, in the order it makes it.
struct ModelStep {
    enum class Kind {
        GetCursorPos,
        GetWindowRect,
        EnumDisplayMonitors,
        ReadHWnd,
        ReadWindowState,
        ReadTop,
        ReadLeft,
        ReadWidth,
        ReadHeight,
        ReadScreenWidth,
        ReadTwipsPerPixelX,
        ReadTwipsPerPixelY,
        WriteTop,
        WriteLeft,
        Show,
    };
    Kind kind;
    Twips written = 0;   // WriteTop, WriteLeft
    bool failed = false; // the toolkit reported a failure for it
};

// Which row of the decision table the tick ended in; an error ends it before any row is reached.
enum class ModelRow {
    Minimized,
    HideTop,
    HideLeft,
    HideRight,
    OutsideNoEdge,
    RevealTop,
    RevealLeft,
    RevealRight,
    InsideNoEdge,
    Error,
};
inline constexpr int kModelRowCount = 10;
const char* nameOf(ModelRow row);

struct ModelError {
    Status status;
    std::string object; // "Frmbzz" or "Screen"
};

struct ModelOutcome {
    std::vector<ModelStep> steps;
    ModelRow row = ModelRow::Error;
    std::optional<ModelError> error;
    // Whether the rows were those of a desktop of several monitors.
    bool onSeveralMonitors = false;
    // The window's properties and visibility after the tick, the window starting out hidden.
    Twips top = 0;
    Twips left = 0;
    bool shown = false;
};

ModelOutcome modelTick(const TickSituation& situation);

} // namespace tolvane::reliability
