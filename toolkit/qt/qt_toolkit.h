// The toolkit's Qt 6 Widgets layer: carries out every service of toolkit.h on the window Frmbzz
// (main_window.h), which builds itself, runs the handlers and ends the program. This adaptor maps the
// program's names, units and statuses onto it, and places and measures it on X11. All of the layer's
// state lives in this one object.
//  - the window's Top, Left, Width, Height: its outer (frame) rectangle, in twips from the primary
//    screen's top-left corner, where the X server has it; Top and Left written through the window
//    manager, or past one that keeps windows on the screen (x11_placement.h)
//  - labels' BackColor and Caption by name, to the window's labels by their place
//  - GetCursorPos, GetWindowRect and SetWindowPos, for the X11 window the program runs in (x11_window.h),
//    made once and never replaced; the pointer as the X server last reported it (pointer_watch.h)
//  - EnumDisplayMonitors: the desktop's monitors as Qt last reported them; a window that a change of them
//    leaves on none is moved onto one (desktop_monitors.h)
// Everything runs on the GUI thread; a QApplication must exist before this object.
#pragma once

#include "toolkit/qt/desktop_monitors.h"
#include "toolkit/qt/form_content.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/main_window.h"
#include "toolkit/qt/pointer_watch.h"
#include "toolkit/qt/x11_placement.h"
#include "toolkit/qt/x11_window.h"
#include "toolkit/toolkit.h"

#include <QPoint>
#include <memory>
#include <optional>

namespace tolvane::qt {

class QtToolkit final : public Toolkit, private WindowOnDesktop {
  public:
    explicit QtToolkit(const WindowDescription& description);
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    // Runs the Load handler, shows the window as the start-up window and delivers events until the
    // window is gone. Returns the process's exit status.
    int run() { return form_.run(); }

    // What the window shows, and its widget, as the layer built them.
    const FormContent& content() const { return form_.content(); }
    FormWindow& window() { return *window_; }

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
    // Whether a declared function's window is this one, still loaded.
    bool isLoadedWindow(WindowHandle window) const;
    void setStaysOnTop();
    // The window's outer (frame) rectangle in pixels from the primary screen's top-left corner.
    QRect outerRect() const;
    // Moves the outer rectangle's left or top edge, whichever is given (pixels from the primary
    // screen's corner); the other stays where it is.
    void moveOuterEdges(std::optional<int> left, std::optional<int> top);
    std::optional<RECT> windowRect() override;
    void moveOntoMonitor(POINT corner) override;
    void monitorsChanged() override;

    const WindowDescription& description_;
    MainWindow form_;
    // form_'s widget, which the window system's services move and measure.
    FormWindow* const window_;
    // The window system's id of the window: its native window is made once, with the window.
    WindowHandle handle_ = 0;
    // The window on X11, where it is and how it moves there, and the pointer; empty off X11, where Qt's
    // word is taken. Declared after the window, which they watch, so that they go first.
    std::unique_ptr<X11Window> x11_;
    std::unique_ptr<X11Placement> placement_;
    std::unique_ptr<PointerWatch> pointer_;
    // Declared last, so that no change of the monitors moves the window once anything else has gone.
    DesktopMonitors monitors_{static_cast<WindowOnDesktop&>(*this)};
};

} // namespace tolvane::qt
