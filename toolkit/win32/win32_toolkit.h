// The toolkit's Win32 layer: carries out every service of toolkit.h on the window Frmbzz
// (main_window.h), which builds itself, runs the handlers and ends the program. This adaptor only maps
// the program's names, units and statuses onto it:
//  - the window's Top, Left, Width, Height: its visible frame (frame_bounds.h), in twips at the DPI of
//    the monitor it stands on, as are Screen.Width and Screen.TwipsPerPixelX/Y; GetWindowRect measures
//    the same
//  - EnumDisplayMonitors: the monitors the window keeps, as the desktop last listed them
//  - labels' BackColor and Caption by name, to the window's labels by their place
//  - GetCursorPos and SetWindowPos: user32's own, called straight through
//  - a refusal of the system as a negative status
#pragma once

#include "toolkit/description.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/main_window.h"
#include "toolkit/win32/windows_api.h"

#include <optional>

namespace tolvane::win32 {

class Win32Toolkit final : public Toolkit {
  public:
    Win32Toolkit(const WindowDescription& description, HINSTANCE instance);
    ~Win32Toolkit() override = default;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    // Builds the window, hidden; false when the system refuses.
    bool create() { return window_.create(); }

    // Runs the Load handler, shows the window as the start-up window and delivers events until no
    // window is left; returns the process's exit status.
    int run() { return window_.run(); }

    Status hWnd(WindowHandle& handle) override;
    Status WindowState(std::int16_t& state) override;
    Status Top(Twips& value) override;
    Status setTop(Twips value) override;
    Status Left(Twips& value) override;
    Status setLeft(Twips value) override;
    Status Width(Twips& value) override;
    Status Height(Twips& value) override;
    Status Show() override;
    Status Unload() override;
    Status ScreenWidth(Twips& value) override;
    Status ScreenTwipsPerPixelX(Twips& value) override;
    Status ScreenTwipsPerPixelY(Twips& value) override;
    Status setBackColor(std::string_view label, Colour colour) override;
    Status setCaption(std::string_view label, std::string_view utf8Text) override;
    std::int32_t GetCursorPos(POINT& point) override;
    std::int32_t GetWindowRect(WindowHandle window, RECT& rect) override;
    std::int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                              std::int32_t cx, std::int32_t cy, std::uint32_t flags) override;
    std::int32_t EnumDisplayMonitors(DisplayMonitors& monitors) override;
    void reportUntrappedError(const RuntimeError& error) override;

  private:
    // The window's visible frame, and how far it lies inside the window rectangle.
    Status outerRect(::RECT& rect, FrameInsets* insets = nullptr) const;
    Status moveTo(std::optional<int> left, std::optional<int> top);

    const WindowDescription& description_;
    MainWindow window_;
};

} // namespace tolvane::win32
