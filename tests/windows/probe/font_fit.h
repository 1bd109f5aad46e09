// Whether every text the window can show fits one line of its label, measured with the fonts the
// program makes (the same logical fonts, on this system's font set and scale).
#pragma once

#include <cstdio>

namespace tolvane::probe {

// Prints each font the system chose and every text that is too wide or too tall for its label;
// returns how many do not fit.
int reportFontFit(std::FILE* out);

} // namespace tolvane::probe
