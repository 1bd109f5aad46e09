// The display labels' texts for one row of the reference table, drawn off screen the way the program
// draws them, as masks of the pixels that come out exactly in the text colour. A screenshot of the
// running program must show the same masks in the same labels.
#pragma once

#include <cstdio>
#include <string_view>

namespace tolvane::probe {

// Prints, for Label9, Label50, Label60, Label70 and Label80 in turn, "mask NAME WIDTH HEIGHT" and then
// HEIGHT lines of WIDTH characters, '#' for a pixel in the text colour and '.' for any other. Returns
// false when the age label has no row.
bool printRowMasks(std::string_view ageLabel, std::FILE* out);

} // namespace tolvane::probe
