// One off-screen copy of the client area, kept for the window's life: every paint draws into it first,
// so that a label being repainted never flickers, without a device context and a bitmap of its own for
// each of the thirty repaints of a click. Made at the first paint, and again only when the client area
// outgrows it.
#pragma once

#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/windows_api.h"

namespace tolvane::win32 {

class BackBuffer {
  public:
    BackBuffer() = default;
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // A memory device context, compatible with target, whose bitmap covers at least width by height
    // pixels; null when the system refuses, and the caller then draws straight onto target.
    HDC prepare(HDC target, int width, int height);

    // Lets the copy go, to be made again at the next paint (at the client area's new size).
    void release();

  private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ original_ = nullptr; // the memory DC's own bitmap, selected back before ours is deleted
    ::SIZE size_{};
};

} // namespace tolvane::win32
