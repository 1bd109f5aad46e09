// The window's own handlers: making it topmost when it loads, and the exit label.
#pragma once

#include "toolkit/toolkit.h"

namespace tolvane {

inline constexpr std::uint32_t kFormLoadFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW; // 0x43

void Form_Load(Toolkit& toolkit);
void Label17_Click(Toolkit& toolkit);

} // namespace tolvane
