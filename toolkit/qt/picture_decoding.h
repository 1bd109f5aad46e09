// The program's embedded pictures, decoded by Qt's image readers (JPEG, BMP, ICO).
#pragma once

#include "toolkit/description.h"

#include <QPixmap>

namespace tolvane::qt {

// A null pixmap for Picture::None, or if the stored bytes will not decode.
QPixmap decodePicture(Picture picture);

} // namespace tolvane::qt
