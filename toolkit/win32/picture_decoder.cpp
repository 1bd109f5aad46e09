#include "toolkit/win32/picture_decoder.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <wincodec.h>
#include <wrl/client.h>

namespace tolvane::win32 {

using Microsoft::WRL::ComPtr;

std::optional<DecodedBitmap> decodeBitmap(std::span<const unsigned char> bytes) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) {
        return std::nullopt;
    }
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    // The stream only reads from the bytes, although its interface takes them writable.
    auto* data = const_cast<BYTE*>(bytes.data());
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(data, static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
        return std::nullopt;
    }
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x7fff ||
        height > 0x7fff) {
        return std::nullopt;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down rows, as WIC hands them out
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UINT stride = width * 4;
    if (!bitmap || bits == nullptr ||
        FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
        return std::nullopt;
    }
    return DecodedBitmap{std::move(bitmap), SIZE{static_cast<LONG>(width), static_cast<LONG>(height)}};
}

namespace {

// The layout of an icon file: a 6-byte header, then one 16-byte entry per image.
constexpr std::size_t kIconHeaderSize = 6;
constexpr std::size_t kIconEntrySize = 16;
constexpr std::uint16_t kIconFileType = 1;
constexpr DWORD kIconFormatVersion = 0x00030000;

std::uint32_t littleEndian(std::span<const unsigned char> bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}

// An entry stores 0 for a side of 256 pixels.
int entrySide(unsigned char stored) {
    return stored == 0 ? 256 : stored;
}

} // namespace

UniqueIcon decodeIcon(std::span<const unsigned char> iconFile, int width, int height) {
    if (iconFile.size() < kIconHeaderSize || littleEndian(iconFile, 0, 2) != 0 ||
        littleEndian(iconFile, 2, 2) != kIconFileType) {
        return {};
    }
    const std::size_t count = littleEndian(iconFile, 4, 2);
    if (iconFile.size() < kIconHeaderSize + count * kIconEntrySize) {
        return {};
    }
    std::span<const unsigned char> best;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kIconHeaderSize + i * kIconEntrySize;
        const std::size_t size = littleEndian(iconFile, entry + 8, 4);
        const std::size_t offset = littleEndian(iconFile, entry + 12, 4);
        if (offset > iconFile.size() || size > iconFile.size() - offset) {
            continue;
        }
        const int distance =
            std::abs(entrySide(iconFile[entry]) - width) + std::abs(entrySide(iconFile[entry + 1]) - height);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = iconFile.subspan(offset, size);
        }
    }
    if (best.empty()) {
        return {};
    }
    // The image bytes of an icon file are those of an icon resource; the loader reads them only.
    return UniqueIcon(CreateIconFromResourceEx(const_cast<BYTE*>(best.data()),
                                               static_cast<DWORD>(best.size()), TRUE, kIconFormatVersion,
                                               width, height, LR_DEFAULTCOLOR));
}

} // namespace tolvane::win32
