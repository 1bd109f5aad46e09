// The font a label is drawn in: the described face where the system has it, otherwise an installed
// CJK font of the same style, otherwise the CJK font fontconfig picks in the face's place.
#pragma once

#include "toolkit/description.h"

#include <QFont>
#include <QStringList>
#include <string_view>

namespace tolvane::qt {

// The families to ask for, in order of preference, of those installed; the described face comes last
// when it is not installed, so that Qt's own fallback still has it to go on.
QStringList labelFontFamilies(std::string_view face);

// Bold, sized on the layout's scale (see twips.h).
QFont labelFont(const Font& font);

} // namespace tolvane::qt
