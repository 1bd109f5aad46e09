// The description of the program's only window, Frmbzz, and its 48 controls in creation order.
#pragma once

#include "toolkit/description.h"

namespace tolvane {

extern const WindowDescription Frmbzz;

// The credits line shown across the bottom of the window.
inline constexpr std::string_view kCredits = "数值仅供参考，请以医生意见为准";

} // namespace tolvane
