// Decoding the pictures the program carries, from their embedded bytes, with the system's own decoders:
// the Windows Imaging Component for the JPEG background and the BMP photos, and the icon loader of
// user32 for the icon. Needs the thread's COM apartment (scoped.h).
#pragma once

#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/windows_api.h"

#include <optional>
#include <span>

namespace tolvane::win32 {

struct DecodedBitmap {
    UniqueBitmap bitmap; // a 32-bit device-independent bitmap, drawn with BitBlt at its own size
    SIZE size{};
};

// Nothing when the bytes are no picture the system can decode.
std::optional<DecodedBitmap> decodeBitmap(std::span<const unsigned char> bytes);

// The image of an icon file (.ico) closest to the wanted size, scaled to it; empty when the bytes are
// no icon file.
UniqueIcon decodeIcon(std::span<const unsigned char> iconFile, int width, int height);

} // namespace tolvane::win32
