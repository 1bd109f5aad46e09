// The window Frmbzz on Win32: its class and the system window built from the description, with its
// labels, picture boxes, lines and timers; painting, the left button's clicks on labels, the timers'
// ticks, the message loop, and the message box of an untrapped error. Handlers reach it only through
// the toolkit adaptor (win32_toolkit.h), which it tells of each click and tick.
//
// The window procedure only dispatches messages to this object.
#pragma once

#include "toolkit/click_tracking.h"
#include "toolkit/description.h"
#include "toolkit/pixel_scale.h"
#include "toolkit/win32/back_buffer.h"
#include "toolkit/win32/font_cache.h"
#include "toolkit/win32/label_accessibility.h"
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
#include <vector>

namespace tolvane::win32 {

// What the window asks of its owner: to run a handler, for a click on a label or a timer's tick.
class WindowEvents {
  public:
    virtual void deliver(Handler handler) = 0;

  protected:
    ~WindowEvents() = default;
};

class MainWindow final {
  public:
    MainWindow(const WindowDescription& description, HINSTANCE instance, WindowEvents& events);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds the window, hidden, with all its controls and its running timers; false when the system
    // refuses.
    bool create();

    // Shows the window as the start-up window (unless it is already gone or going) and delivers
    // events until no window is left; returns the process's exit status.
    int run();

    // Null once the window is destroyed.
    HWND handle() const { return window_.get(); }
    const PixelScale& scale() const { return scale_; }
    // The labels whose colour and caption the services change; null before create.
    WindowContent* content() { return content_.get(); }

    // Draws the label again at once, before returning; false when the window is gone.
    bool repaintLabel(const Label& label);
    // Tells screen readers that the label's caption changed.
    void captionChanged(const Label& label);
    // Tells screen readers when the label's new back colour made it, or stopped it being, the selected age.
    void backColourChanged(const Label& label, Colour previous);

    // Destroys the window, which ends the program once no message is left to handle; false, with the
    // system's last error set, when the system refuses.
    bool destroy();

    // For the end after an untrapped error: no click or tick from here on; the message over the
    // window; then the window destroyed and the program's end with this status.
    void stopEvents();
    bool ending() const { return ending_; }
    void showErrorMessage(const std::string& text);
    void end(int exitStatus);

  private:
    struct Timer {
        UINT_PTR id;
        Handler tick;
    };

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void onPaint();
    void onButtonDown(::POINT point);
    void onButtonUp(::POINT point);
    void onTimer(UINT_PTR id);
    void onDestroy();

    void createControls();
    void stopTimers();
    const DecodedBitmap* picture(Picture which);

    const WindowDescription& description_;
    HINSTANCE instance_;
    WindowEvents& events_;
    PixelScale scale_;
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
    ClickTracking clicks_;
    bool ending_ = false; // an untrapped error is being reported: no more events
    int exitStatus_ = 0;
    // Last, so that the window is gone before anything it draws or uses.
    UniqueWindow window_;
};

} // namespace tolvane::win32
