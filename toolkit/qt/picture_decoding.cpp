#include "toolkit/qt/picture_decoding.h"

#include "resources/pictures.h"

#include <utility>

namespace tolvane::qt {

QImage decodeImage(Picture picture) {
    const std::span<const unsigned char> bytes = pictureBytes(picture);
    QImage image;
    if (!bytes.empty()) {
        // The format is told by the bytes themselves, so no file name or format hint is needed.
        image.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
    }
    return image;
}

QPixmap decodePicture(Picture picture) {
    return QPixmap::fromImage(decodeImage(picture));
}

} // namespace tolvane::qt
