// Which installed font fontconfig would draw Simplified Chinese text in, in a face's place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::qt {

// The family names (in every language the font gives) of the installed font that fontconfig matches
// best to the face for Simplified Chinese text, provided that font covers Simplified Chinese; empty
// when none does.
std::vector<std::string> simplifiedChineseFamiliesFor(std::string_view face);

} // namespace tolvane::qt
