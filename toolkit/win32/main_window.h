// The window Frmbzz on Win32: its class and the system window built from the description, with its
// labels, picture boxes, lines and timers; the labels' colours and captions, each repainted and told to
// screen readers; painting; the left button's clicks on labels and the timers' ticks, delivered to the
// program as its events; the message loop; and the program's end, by Unload, by closing, or after an
// untrapped error with its message box. Handlers reach it only through the toolkit adaptor
// (win32_toolkit.h), which names its labels and converts its units and statuses.
//
// The desktop: the window keeps the monitors as the desktop last listed them, read when it is built and
// again when the desktop says they changed, so that a docking tick asks the system nothing about them;
// a window that no monitor shows any more then comes back onto the nearest one. It takes the DPI of the
// monitor it stands on as its scale, and lays itself out again when it moves to a monitor of another DPI.
//
// The window procedure only dispatches messages to this object.
#pragma once

#include "toolkit/click_tracking.h"
#include "toolkit/description.h"
#include "toolkit/pixel_scale.h"
#include "toolkit/runtime_error.h"
#include "toolkit/win32/back_buffer.h"
#include "toolkit/win32/font_cache.h"
#include "toolkit/win32/frame_bounds.h"
#include "toolkit/win32/label_accessibility.h"
#include "toolkit/win32/per_monitor_dpi.h"
#include "toolkit/win32/picture_box.h"
#include "toolkit/win32/picture_decoder.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/window_content.h"
#include "toolkit/win32/windows_api.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::win32 {

class MainWindow final : private ProgramEnd {
  public:
    // The program's handlers run with the toolkit's services they are given here.
    MainWindow(const WindowDescription& description, HINSTANCE instance, Toolkit& program);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds the window, hidden, with all its controls and its running timers; false when the system
    // refuses.
    bool create();

    // Runs the Load handler, shows the window as the start-up window (unless it is already gone or
    // going) and delivers events until no window is left; returns the process's exit status.
    int run();

    // Null once the window is destroyed.
    HWND handle() const { return window_.get(); }
    bool loaded() const { return static_cast<bool>(window_); }
    // Pixels to twips and back at the DPI of the monitor the window stands on.
    const PixelScale& scale() const { return scale_; }
    // The desktop's monitors as the desktop last listed them; none when it listed none.
    const DisplayMonitors& monitors() const { return monitors_; }
    const FrameBounds& frameBounds() const { return frameBounds_; }

    // The window's visible frame on the screen, and how far it lies inside the window rectangle; false,
    // with the system's last error set, when the system cannot say.
    bool visibleFrame(::RECT& rect, FrameInsets* insets = nullptr) const;
    // Moves the visible frame's top-left corner (either coordinate or both) at once, keeping the size,
    // the place in the z-order and the active window; false, with the last error set, when refused.
    bool moveVisibleFrame(std::optional<int> left, std::optional<int> top);

    // A label's back colour or caption, the label given by its place in creation order: drawn again at
    // once, before returning, and told to screen readers. A write that changes nothing does neither.
    void setBackColour(std::size_t label, Colour colour);
    void setCaption(std::size_t label, std::string_view utf8Text);

    // Destroys the window, which ends the program once no message is left to handle; false, with the
    // system's last error set, when the system refuses.
    bool unload();

    // The default handling of an untrapped run-time error (runtime_error.h); the first one ends the
    // program, and any later one says nothing.
    void reportUntrappedError(const RuntimeError& error);

  private:
    struct Timer {
        UINT_PTR id;
        Handler tick;
    };
    struct PictureBox {
        HWND window; // destroyed with the main window
        const ControlDescription* description;
    };

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void onPaint();
    void onButtonDown(::POINT point);
    void onButtonUp(::POINT point);
    void onTimer(UINT_PTR id);
    void onDestroy();
    // The desktop says its monitors may have changed: they are read again, and the window placed.
    void onDisplayChange();
    void onDpiChanged(int dotsPerInch, const ::RECT* suggested);

    // Runs a handler unless an untrapped error is ending the program.
    void deliver(Handler handler);
    // What the window shows at its scale: the labels and lines it draws itself, and the picture boxes.
    void layOutContent();
    // The window laid out again at another DPI: scale, fonts, labels, lines, picture boxes, back buffer
    // and size (the suggested outer rectangle, else the described client area at that DPI).
    void takeDpi(int dotsPerInch, const ::RECT* suggested);
    // A window that no monitor shows any more goes wholly onto the nearest one.
    void placeOnMonitors();
    void startTimers();
    void stopTimers();
    void repaintLabel(const Label& label);
    const DecodedBitmap* picture(Picture which);

    // The end after an untrapped error: no click or tick from here on; the message over the window;
    // then the window destroyed and the program's end with this status.
    void stopEvents() override;
    void showErrorMessage(const std::string& text) override;
    void endProgram(int exitStatus) override;

    const WindowDescription& description_;
    HINSTANCE instance_;
    Toolkit& program_;
    PerMonitorDpi dpi_;
    PixelScale scale_;
    FrameBounds frameBounds_;
    DisplayMonitors monitors_;
    std::wstring className_;
    std::map<Picture, DecodedBitmap> pictures_;
    FontCache fonts_;
    BackBuffer backBuffer_;
    std::unique_ptr<WindowContent> content_;
    std::unique_ptr<LabelAccessibility>
        accessibility_; // the labels for screen readers, while the window lives
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    std::optional<WindowClass> windowClass_;
    std::optional<PictureBoxClass> pictureBoxClass_;
    std::vector<Timer> timers_;
    std::vector<PictureBox> pictureBoxes_;
    ClickTracking clicks_;
    bool ending_ = false; // an untrapped error is being reported: no more events
    int exitStatus_ = 0;
    // Last, so that the window is gone before anything it draws or uses.
    UniqueWindow window_;
};

} // namespace tolvane::win32
