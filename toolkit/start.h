// Starting the toolkit: the one call the entry point makes. Each platform layer implements it.
#pragma once

#include "toolkit/description.h"

namespace tolvane {

// Builds the window from its description, runs its Load handler, shows it and delivers events until
// no window is left; returns the process's exit status.
int startToolkit(const WindowDescription& window, int argc, char** argv);

} // namespace tolvane
