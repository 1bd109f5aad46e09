// Ownership of Win32 and GDI handles: one small move-only template, and the handle kinds the layer owns.
//
// Every handle the layer creates lives in one of these (or in a scope guard of scoped.h), so that a
// handle is released exactly once, on every path, and nothing piles up per click or per timer tick.
#pragma once

#include "toolkit/win32/windows_api.h"

#include <utility>

namespace tolvane::win32 {

// Traits give the handle type, the value that means "none", and how to release a handle.
template <typename Traits> class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::none(); }

    // Gives up ownership without releasing, for a handle that the system has already released.
    Handle release() noexcept { return std::exchange(handle_, Traits::none()); }

    void reset(Handle handle = Traits::none()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::none()) {
            Traits::close(old);
        }
    }

  private:
    Handle handle_ = Traits::none();
};

template <typename GdiObject> struct GdiObjectTraits {
    using Handle = GdiObject;
    static Handle none() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { DeleteObject(handle); }
};

struct IconTraits {
    using Handle = HICON;
    static Handle none() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { DestroyIcon(handle); }
};

// A device context of our own making (CreateCompatibleDC), not one borrowed from a window.
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle none() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { DeleteDC(handle); }
};

struct WindowTraits {
    using Handle = HWND;
    static Handle none() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { DestroyWindow(handle); }
};

// A kernel object's handle (a process, say), closed with CloseHandle.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle none() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { CloseHandle(handle); }
};

// A DLL loaded at run time, for functions that not every Windows has.
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle none() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { FreeLibrary(handle); }
};

using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;

} // namespace tolvane::win32
