// The program's pictures as byte arrays, filled at build time from the files committed next to this one.
#include "resources/pictures.h"

namespace tolvane {
namespace {

// Each .inc holds one file's bytes as a list of literals (embed_bytes.cmake).
constexpr unsigned char kBackground[] = {
#include "embedded/background.jpg.inc"
};
constexpr unsigned char kIcon[] = {
#include "embedded/tolvane.ico.inc"
};
constexpr unsigned char kGirlPhoto[] = {
#include "embedded/girl.bmp.inc"
};
constexpr unsigned char kBoyPhoto[] = {
#include "embedded/boy.bmp.inc"
};

} // namespace

std::span<const unsigned char> pictureBytes(Picture picture) {
    switch (picture) {
    case Picture::None:
        return {};
    case Picture::Background:
        return kBackground;
    case Picture::Icon:
        return kIcon;
    case Picture::GirlPhoto:
        return kGirlPhoto;
    case Picture::BoyPhoto:
        return kBoyPhoto;
    }
    return {};
}

} // namespace tolvane
