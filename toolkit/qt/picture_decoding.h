// The program's embedded pictures, decoded by Qt's image readers (JPEG, BMP, ICO).
#pragma once

#include "toolkit/description.h"

#include <QImage>
#include <QPixmap>

namespace tolvane::qt {

// A null image for Picture::None, or if the stored bytes will not decode. Safe on any thread, so that
// a large picture can be decoded while the GUI thread does other work.
QImage decodeImage(Picture picture);

// The same as a pixmap, for painting; GUI thread only.
QPixmap decodePicture(Picture picture);

} // namespace tolvane::qt
