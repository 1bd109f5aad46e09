// The services the program asks of its windowing toolkit.
//
// Every platform layer (Qt on Linux, Win32 on Windows) and the in-memory fake of the tests implement this
// one interface; the program's logic sees nothing else of the platform.
//  - window properties: hWnd, WindowState, Top, Left (read and write), Width, Height, Show, Unload
//  - Screen.Width, Screen.TwipsPerPixelX and Screen.TwipsPerPixelY
//  - label BackColor and Caption writes, the label named as the program names it ("Label19")
//  - the functions the program declares from the window system: GetCursorPos, GetWindowRect,
//    SetWindowPos, and EnumDisplayMonitors for the desktop's monitors
//  - the default handling of a run-time error that no handler trapped
//
// Every operation but the declared functions reports a Status; a negative one is a failure. Callers go
// through window.h, which turns a failure into a RuntimeError at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tolvane {

using Status = std::int32_t;
inline constexpr Status kStatusOk = 0;

// Positions and sizes in twips (1/1440 inch), held in single precision like the toolkit's properties.
using Twips = float;

// &H00BBGGRR. A value with the top bit set names a system colour instead (see description.h).
using Colour = std::uint32_t;

// The window system's handle of the window; wide enough for a Win32 HWND and an X11 window id.
using WindowHandle = std::intptr_t;

// The window system's own records, filled by the declared functions. Pixels, screen coordinates;
// right and bottom lie just outside the window.
struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};
struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

// A monitor of the desktop as the window system reports it: its rectangle in pixels, screen coordinates
// (the primary monitor's top-left corner is the origin), and whether it is the primary one.
struct DisplayMonitor {
    RECT rect;
    bool primary = false;
    friend bool operator==(const DisplayMonitor&, const DisplayMonitor&) = default;
};

// Every monitor of the desktop, in a record of fixed size, so that reading them allocates nothing. A
// desktop of more monitors than it holds reports the first kCapacity.
struct DisplayMonitors {
    static constexpr std::size_t kCapacity = 16;
    std::array<DisplayMonitor, kCapacity> monitors{};
    std::uint32_t count = 0;
};

inline constexpr WindowHandle HWND_TOPMOST = -1;
inline constexpr std::uint32_t SWP_NOSIZE = 0x1;
inline constexpr std::uint32_t SWP_NOMOVE = 0x2;
inline constexpr std::uint32_t SWP_SHOWWINDOW = 0x40;

// WindowState values.
inline constexpr std::int16_t vbNormal = 0;
inline constexpr std::int16_t vbMinimized = 1;
inline constexpr std::int16_t vbMaximized = 2;

class RuntimeError;

class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // The window Frmbzz.
    virtual Status hWnd(WindowHandle& handle) = 0;
    virtual Status WindowState(std::int16_t& state) = 0;
    virtual Status Top(Twips& value) = 0;
    virtual Status setTop(Twips value) = 0;
    virtual Status Left(Twips& value) = 0;
    virtual Status setLeft(Twips value) = 0;
    virtual Status Width(Twips& value) = 0;
    virtual Status Height(Twips& value) = 0;
    virtual Status Show() = 0;
    virtual Status Unload() = 0;

    // The primary screen, and the size of a pixel on the monitor the window stands on (on every monitor
    // alike where the layer scales them all alike). The screen's width is in twips of that size.
    virtual Status ScreenWidth(Twips& value) = 0;
    virtual Status ScreenTwipsPerPixelX(Twips& value) = 0;
    virtual Status ScreenTwipsPerPixelY(Twips& value) = 0;

    // Labels of the window, by name.
    virtual Status setBackColor(std::string_view label, Colour colour) = 0;
    virtual Status setCaption(std::string_view label, std::string_view utf8Text) = 0;

    // Declared window-system functions. They return what the window system returns (nonzero for
    // success); the program never looks at it.
    virtual std::int32_t GetCursorPos(POINT& point) = 0;
    virtual std::int32_t GetWindowRect(WindowHandle window, RECT& rect) = 0;
    virtual std::int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x,
                                      std::int32_t y, std::int32_t cx, std::int32_t cy,
                                      std::uint32_t flags) = 0;
    // The desktop's monitors, as the window system last told the toolkit of them: no round trip to it.
    // A failed call leaves the record alone.
    virtual std::int32_t EnumDisplayMonitors(DisplayMonitors& monitors) = 0;

    // The toolkit's default handling of a run-time error that left its handler untrapped.
    virtual void reportUntrappedError(const RuntimeError& error) = 0;
};

// Every event handler of the window: no arguments but the toolkit it runs in, nothing returned.
using Handler = void (*)(Toolkit&);

} // namespace tolvane
