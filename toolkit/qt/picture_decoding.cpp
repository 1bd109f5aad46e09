#include "toolkit/qt/picture_decoding.h"

#include "resources/pictures.h"

namespace tolvane::qt {

QPixmap decodePicture(Picture picture) {
    const std::span<const unsigned char> bytes = pictureBytes(picture);
    QPixmap pixmap;
    if (!bytes.empty()) {
        // The format is told by the bytes themselves, so no file name or format hint is needed.
        pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()));
    }
    return pixmap;
}

} // namespace tolvane::qt
