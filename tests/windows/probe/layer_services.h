// The window services the docking step relies on, checked on a window of the Win32 layer itself.
#pragma once

#include <cstdio>

namespace tolvane::probe {

// Builds the program's window in this process under another title (the running program keeps its
// own), runs the toolkit contract on it and compares what only user32 can tell; prints one line per
// check and returns how many failed.
int checkLayerServices(std::FILE* out);

} // namespace tolvane::probe
