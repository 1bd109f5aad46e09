// The edge-docking step that runs on every tick of Timer1.
#pragma once

#include "toolkit/toolkit.h"

namespace tolvane {

inline constexpr int kTimer1IntervalMs = 200;

void Timer1_Timer(Toolkit& toolkit);

} // namespace tolvane
