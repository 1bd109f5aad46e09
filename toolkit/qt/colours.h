// Colours as the description writes them (&H00BBGGRR or a system colour) turned into Qt's.
#pragma once

#include "toolkit/toolkit.h"

#include <QColor>

namespace tolvane::qt {

// System colours take the application palette's role of the same meaning.
QColor toQColor(Colour colour);

} // namespace tolvane::qt
