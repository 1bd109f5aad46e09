// Reads the embedded pictures' headers from the bytes the program carries and checks that each is the
// format, size and depth the window's picture decoders are given.
#include "resources/pictures.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

using Bytes = std::span<const unsigned char>;

std::uint32_t littleEndian(Bytes bytes, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | bytes[offset + i];
    return value;
}
std::uint32_t u16le(Bytes bytes, std::size_t offset) {
    return littleEndian(bytes, offset, 2);
}
std::uint32_t u32le(Bytes bytes, std::size_t offset) {
    return littleEndian(bytes, offset, 4);
}
std::uint32_t u16be(Bytes bytes, std::size_t offset) {
    return std::uint32_t(bytes[offset]) << 8 | bytes[offset + 1];
}
std::string text(Bytes bytes, std::size_t offset, std::size_t length) {
    return {bytes.begin() + std::ptrdiff_t(offset), bytes.begin() + std::ptrdiff_t(offset + length)};
}

// Names a parameterised case after its picture.
template <typename Case> std::string caseName(const testing::TestParamInfo<Case>& test) {
    return test.param.name;
}

// ---------------------------------------------------------------------------------------------------------
// All pictures

TEST(PictureBytesTest, NoneIsEmpty) {
    EXPECT_TRUE(pictureBytes(Picture::None).empty());
}

struct SignatureCase {
    Picture picture;
    const char* name;
    std::vector<unsigned char> signature;
    friend void PrintTo(const SignatureCase& test, std::ostream* out) { *out << test.name; }
};

class PictureSignatureTest : public testing::TestWithParam<SignatureCase> {};

TEST_P(PictureSignatureTest, StartsWithItsFormatsSignature) {
    const Bytes bytes = pictureBytes(GetParam().picture);
    const auto& signature = GetParam().signature;
    ASSERT_GT(bytes.size(), signature.size());
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + std::ptrdiff_t(signature.size())),
              signature);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureSignatureTest,
                         testing::Values(SignatureCase{Picture::Background, "Background", {0xFF, 0xD8, 0xFF}},
                                         SignatureCase{
                                             Picture::Icon, "Icon", {0x00, 0x00, 0x01, 0x00, 0x01, 0x00}},
                                         SignatureCase{Picture::GirlPhoto, "GirlPhoto", {'B', 'M'}},
                                         SignatureCase{Picture::BoyPhoto, "BoyPhoto", {'B', 'M'}}),
                         caseName<SignatureCase>);

TEST(PictureBytesTest, GirlAndBoyAreDifferentPhotos) {
    const Bytes girl = pictureBytes(Picture::GirlPhoto);
    const Bytes boy = pictureBytes(Picture::BoyPhoto);
    EXPECT_FALSE(std::equal(girl.begin(), girl.end(), boy.begin(), boy.end()));
}

// ---------------------------------------------------------------------------------------------------------
// The background: a baseline JFIF 1.01 JPEG

struct JpegSegment {
    unsigned char marker;
    Bytes payload; // without the marker and the length field
};

// The segments from SOI up to and including the first SOS, whose payload is only its header.
std::optional<std::vector<JpegSegment>> jpegHeaderSegments(Bytes bytes) {
    std::vector<JpegSegment> segments;
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF)
            return std::nullopt;
        const unsigned char marker = bytes[at + 1];
        const std::size_t length = u16be(bytes, at + 2);
        if (length < 2 || at + 2 + length > bytes.size())
            return std::nullopt;
        segments.push_back({marker, bytes.subspan(at + 4, length - 2)});
        if (marker == 0xDA)
            return segments;
        at += 2 + length;
    }
    return std::nullopt;
}

TEST(BackgroundPictureTest, IsJfif101At72DotsPerInch) {
    const Bytes bytes = pictureBytes(Picture::Background);
    const auto segments = jpegHeaderSegments(bytes);
    ASSERT_TRUE(segments.has_value());
    ASSERT_FALSE(segments->empty());
    const JpegSegment& app0 = segments->front();
    ASSERT_EQ(app0.marker, 0xE0) << "the first segment is the JFIF header";
    ASSERT_GE(app0.payload.size(), 14u);
    EXPECT_EQ(text(app0.payload, 0, 5), std::string("JFIF\0", 5));
    EXPECT_EQ(app0.payload[5], 1) << "major version";
    EXPECT_EQ(app0.payload[6], 1) << "minor version";
    EXPECT_EQ(app0.payload[7], 1) << "density in dots per inch";
    EXPECT_EQ(u16be(app0.payload, 8), 72u);
    EXPECT_EQ(u16be(app0.payload, 10), 72u);
}

TEST(BackgroundPictureTest, IsBaseline1024By768With420Chroma) {
    const Bytes bytes = pictureBytes(Picture::Background);
    const auto segments = jpegHeaderSegments(bytes);
    ASSERT_TRUE(segments.has_value());

    std::vector<JpegSegment> frames;
    for (const JpegSegment& segment : *segments) {
        const bool startOfFrame = segment.marker >= 0xC0 && segment.marker <= 0xCF &&
                                  segment.marker != 0xC4 && segment.marker != 0xC8 && segment.marker != 0xCC;
        if (startOfFrame)
            frames.push_back(segment);
    }
    ASSERT_EQ(frames.size(), 1u);
    const JpegSegment& frame = frames.front();
    EXPECT_EQ(frame.marker, 0xC0) << "baseline sequential DCT, not progressive or extended";
    ASSERT_EQ(frame.payload.size(), 6u + 3u * 3u);
    EXPECT_EQ(frame.payload[0], 8) << "bits per sample";
    EXPECT_EQ(u16be(frame.payload, 1), 768u) << "height";
    EXPECT_EQ(u16be(frame.payload, 3), 1024u) << "width";
    ASSERT_EQ(frame.payload[5], 3) << "Y, Cb and Cr";
    const unsigned char expectedSampling[] = {0x22, 0x11, 0x11}; // luma 2x2, each chroma 1x1
    for (std::size_t component = 0; component < 3; ++component) {
        EXPECT_EQ(frame.payload[6 + component * 3], component + 1) << "component id";
        EXPECT_EQ(frame.payload[6 + component * 3 + 1], expectedSampling[component])
            << "component " << component;
    }
}

TEST(BackgroundPictureTest, EndsWithEndOfImage) {
    const Bytes bytes = pictureBytes(Picture::Background);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
}

// ---------------------------------------------------------------------------------------------------------
// The icon: one 32 x 32 image, 8-bit with a 256-colour palette and a 1-bit mask

constexpr std::size_t kIconSize = 32;
constexpr std::size_t kIconImageOffset = 6 + 16;
constexpr std::size_t kIconPaletteOffset = kIconImageOffset + 40;
constexpr std::size_t kIconColourRowsOffset = kIconPaletteOffset + 256 * 4;
constexpr std::size_t kIconMaskRowsOffset = kIconColourRowsOffset + kIconSize * kIconSize;
constexpr std::size_t kIconFileSize = kIconMaskRowsOffset + kIconSize * kIconSize / 8;

struct IconPixel {
    bool transparent;
    unsigned red, green, blue;
};

// x and y from the top-left corner; the file stores both kinds of row bottom-up.
IconPixel iconPixel(Bytes icon, std::size_t x, std::size_t y) {
    const std::size_t row = kIconSize - 1 - y;
    const unsigned char index = icon[kIconColourRowsOffset + row * kIconSize + x];
    const unsigned char maskByte = icon[kIconMaskRowsOffset + row * (kIconSize / 8) + x / 8];
    const std::size_t entry = kIconPaletteOffset + std::size_t(index) * 4; // blue, green, red, unused
    return {(maskByte & (0x80u >> (x % 8))) != 0, icon[entry + 2], icon[entry + 1], icon[entry]};
}

TEST(IconTest, HoldsOne32By32ImageWith256Colours) {
    const Bytes icon = pictureBytes(Picture::Icon);
    ASSERT_EQ(icon.size(), 2238u);
    ASSERT_EQ(kIconFileSize, 2238u);
    EXPECT_EQ(u16le(icon, 0), 0u) << "reserved";
    EXPECT_EQ(u16le(icon, 2), 1u) << "type: icon";
    EXPECT_EQ(u16le(icon, 4), 1u) << "image count";
    EXPECT_EQ(icon[6], kIconSize);
    EXPECT_EQ(icon[7], kIconSize);
    EXPECT_EQ(icon[8], 0) << "colour count 0 stands for 256";
    EXPECT_EQ(u16le(icon, 10), 1u) << "planes";
    EXPECT_EQ(u16le(icon, 12), 8u) << "bits per pixel";
    EXPECT_EQ(u32le(icon, 14), icon.size() - kIconImageOffset) << "image bytes";
    EXPECT_EQ(u32le(icon, 18), kIconImageOffset) << "image offset";
}

TEST(IconTest, ImageIsAPalettedBitmapWithMask) {
    const Bytes icon = pictureBytes(Picture::Icon);
    ASSERT_EQ(icon.size(), kIconFileSize);
    const std::size_t info = kIconImageOffset;
    EXPECT_EQ(u32le(icon, info), 40u) << "BITMAPINFOHEADER, not PNG";
    EXPECT_EQ(u32le(icon, info + 4), kIconSize);
    EXPECT_EQ(u32le(icon, info + 8), 2 * kIconSize) << "colour rows and mask rows";
    EXPECT_EQ(u16le(icon, info + 12), 1u) << "planes";
    EXPECT_EQ(u16le(icon, info + 14), 8u) << "bits per pixel";
    EXPECT_EQ(u32le(icon, info + 16), 0u) << "uncompressed";
    const std::uint32_t coloursUsed = u32le(icon, info + 32);
    EXPECT_TRUE(coloursUsed == 0 || coloursUsed == 256) << coloursUsed;
}

TEST(IconTest, CornersAreTransparentAndBlackUnderTheMask) {
    const Bytes icon = pictureBytes(Picture::Icon);
    ASSERT_EQ(icon.size(), kIconFileSize);
    for (const auto& [x, y] : {std::pair{0u, 0u}, {31u, 0u}, {0u, 31u}, {31u, 31u}}) {
        const IconPixel pixel = iconPixel(icon, x, y);
        EXPECT_TRUE(pixel.transparent) << x << "," << y;
        // A masked pixel's colour is XORed onto the screen, so it must be black to leave the screen as is.
        EXPECT_EQ(pixel.red + pixel.green + pixel.blue, 0u) << x << "," << y;
    }
}

TEST(IconTest, IsLightBlueWithARedAndWhiteCentre) {
    const Bytes icon = pictureBytes(Picture::Icon);
    ASSERT_EQ(icon.size(), kIconFileSize);
    const IconPixel centre = iconPixel(icon, 16, 16);
    EXPECT_FALSE(centre.transparent);
    EXPECT_GT(centre.red, 180u);
    EXPECT_LT(centre.green, 80u);
    const IconPixel beside = iconPixel(icon, 10, 10);
    EXPECT_GT(beside.red + beside.green + beside.blue, 3 * 240u) << "white around the centre";
    const IconPixel edge = iconPixel(icon, 3, 16);
    EXPECT_GT(edge.blue, edge.red + 60) << "light blue outside";
    std::size_t lightBlue = 0;
    for (std::size_t y = 0; y < kIconSize; ++y)
        for (std::size_t x = 0; x < kIconSize; ++x) {
            const IconPixel pixel = iconPixel(icon, x, y);
            if (!pixel.transparent && pixel.blue > pixel.red + 60 && pixel.blue > 200)
                ++lightBlue;
        }
    EXPECT_GT(lightBlue, kIconSize * kIconSize / 3) << "mainly light blue";
}

// ---------------------------------------------------------------------------------------------------------
// The photos: uncompressed 24-bit bitmaps

struct PhotoCase {
    Picture picture;
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
    std::size_t fileSize;
    friend void PrintTo(const PhotoCase& test, std::ostream* out) { *out << test.name; }
};

class PhotoTest : public testing::TestWithParam<PhotoCase> {};

TEST_P(PhotoTest, IsAnUncompressed24BitBitmapOfItsSize) {
    const PhotoCase& photo = GetParam();
    const Bytes bytes = pictureBytes(photo.picture);
    ASSERT_EQ(bytes.size(), photo.fileSize);
    EXPECT_EQ(text(bytes, 0, 2), "BM");
    EXPECT_EQ(u32le(bytes, 2), photo.fileSize) << "file size field";
    const std::uint32_t pixelOffset = u32le(bytes, 10);
    EXPECT_EQ(pixelOffset, 14u + 40u) << "no palette";
    EXPECT_EQ(u32le(bytes, 14), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(u32le(bytes, 18), photo.width);
    EXPECT_EQ(u32le(bytes, 22), photo.height) << "positive: rows bottom-up";
    EXPECT_EQ(u16le(bytes, 26), 1u) << "planes";
    EXPECT_EQ(u16le(bytes, 28), 24u) << "bits per pixel";
    EXPECT_EQ(u32le(bytes, 30), 0u) << "BI_RGB, uncompressed";
    const std::size_t rowBytes = (photo.width * 3 + 3) / 4 * 4;
    EXPECT_EQ(pixelOffset + rowBytes * photo.height, photo.fileSize) << "pixel rows fill the rest";
}

INSTANTIATE_TEST_SUITE_P(Photos, PhotoTest,
                         testing::Values(PhotoCase{Picture::GirlPhoto, "GirlPhoto", 52, 54, 8478},
                                         PhotoCase{Picture::BoyPhoto, "BoyPhoto", 46, 51, 7194}),
                         caseName<PhotoCase>);

} // namespace
} // namespace tolvane
