// The toolkit's Qt 6 Widgets layer: builds the window from its description and carries out every
// service of toolkit.h on it. All of the layer's state lives in this one object.
//  - the window: a FormWindow with its labels and lines, the picture boxes as its children, the timers
//  - the window's Top, Left, Width, Height: its outer (frame) rectangle, in twips from the primary
//    screen's top-left corner, where the X server has it; Top and Left written through the window
//    manager, or past one that keeps windows on the screen (x11_placement.h)
//  - labels' BackColor and Caption by name, each repainted at once
//  - GetCursorPos, GetWindowRect and SetWindowPos, for the X11 window the program runs in (x11_window.h),
//    made once and never replaced; the pointer as the X server last reported it (pointer_watch.h)
//  - the default handling of an untrapped run-time error: stderr, a message box, a non-zero exit
// Everything runs on the GUI thread; a QApplication must exist before this object.
#pragma once

#include "toolkit/qt/form_content.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/pointer_watch.h"
#include "toolkit/qt/x11_placement.h"
#include "toolkit/qt/x11_window.h"
#include "toolkit/runtime_error.h"
#include "toolkit/toolkit.h"

#include <QPoint>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::qt {

class QtToolkit final : public Toolkit, private FormEvents, private ProgramEnd {
  public:
    explicit QtToolkit(const WindowDescription& description);
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    // Runs the Load handler, shows the window as the start-up window and delivers events until the
    // window is gone. Returns the process's exit status.
    int run();

    // What the window shows, and the window itself, as the layer built them.
    const FormContent& content() const { return content_; }
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
    Status setBackColor(std::string_view label, Colour colour) override;
    Status setCaption(std::string_view label, std::string_view utf8Text) override;
    std::int32_t GetCursorPos(POINT& point) override;
    std::int32_t GetWindowRect(WindowHandle window, RECT& rect) override;
    std::int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                              std::int32_t cx, std::int32_t cy, std::uint32_t flags) override;
    void reportUntrappedError(const RuntimeError& error) override;

  private:
    void addControl(const ControlDescription& control);
    void labelClicked(std::size_t label) override;
    void closeRequested() override;
    // Runs a handler unless the window is already gone or going.
    void deliver(Handler handler);
    // Destroys nothing yet (a handler may still be on the stack): hides the window, stops the timers,
    // and ends the event loop with this status.
    void endProgram(int exitStatus) override;
    void stopEvents() override;
    void showErrorMessage(const std::string& text) override;
    void setStaysOnTop();
    // The window's outer (frame) rectangle in pixels from the primary screen's top-left corner.
    QRect outerRect() const;
    // Moves the outer rectangle's left or top edge, whichever is given (pixels from the primary
    // screen's corner); the other stays where it is.
    void moveOuterEdges(std::optional<int> left, std::optional<int> top);

    const WindowDescription& description_;
    // Declared before the window, which paints from it, so that it outlives the window.
    FormContent content_;
    std::unique_ptr<FormWindow> window_;
    // The window system's id of the window: its native window is made once, with the window.
    WindowHandle handle_ = 0;
    // The window on X11, where it is and how it moves there, and the pointer; empty off X11, where Qt's
    // word is taken.
    std::unique_ptr<X11Window> x11_;
    std::unique_ptr<X11Placement> placement_;
    std::unique_ptr<PointerWatch> pointer_;
    std::vector<std::unique_ptr<QTimer>> timers_;
    bool loaded_ = true;
    bool visibleAtError_ = false; // the window was up when an untrapped error stopped its events
    std::optional<int> exitStatus_;
};

} // namespace tolvane::qt
