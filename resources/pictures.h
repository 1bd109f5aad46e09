// The pictures the program carries, embedded at build time: the program opens no file to show them.
#pragma once

#include "toolkit/description.h"

#include <span>

namespace tolvane {

// The stored bytes of a picture exactly as committed in resources/ (JPEG, ICO or BMP); empty for None.
std::span<const unsigned char> pictureBytes(Picture picture);

} // namespace tolvane
