#include "toolkit/win32/back_buffer.h"

#include <algorithm>

namespace tolvane::win32 {

BackBuffer::~BackBuffer() {
    release();
}

void BackBuffer::release() {
    if (dc_ && original_ != nullptr) {
        SelectObject(dc_.get(), original_); // a bitmap still selected into a DC cannot be deleted
    }
    original_ = nullptr;
    bitmap_.reset();
    dc_.reset();
    size_ = {};
}

HDC BackBuffer::prepare(HDC target, int width, int height) {
    if (dc_ && width <= size_.cx && height <= size_.cy) {
        return dc_.get();
    }
    release();
    // Never smaller than before, so that a window resized back and forth makes it again only once.
    const int cx = std::max(width, 1);
    const int cy = std::max(height, 1);
    UniqueMemoryDc dc(CreateCompatibleDC(target));
    UniqueBitmap bitmap(CreateCompatibleBitmap(target, cx, cy));
    if (!dc || !bitmap) {
        return nullptr;
    }
    original_ = SelectObject(dc.get(), bitmap.get());
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    size_ = {cx, cy};
    return dc_.get();
}

} // namespace tolvane::win32
