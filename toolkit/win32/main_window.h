// The toolkit services on Win32: the window Frmbzz built from its description, its labels, picture
// boxes, lines and timers, the event loop that delivers clicks and ticks to the handlers, the declared
// user32 functions, and the default handling of an untrapped run-time error.
//
// All state of the layer lives in this one object; the window procedure only dispatches messages to it.
#pragma once

#include "toolkit/description.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/font_cache.h"
#include "toolkit/win32/label_accessibility.h"
#include "toolkit/win32/picture_box.h"
#include "toolkit/win32/picture_decoder.h"
#include "toolkit/win32/pixel_scale.h"
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

// The exit status of a program ended by an untrapped run-time error.
inline constexpr int kExitUntrappedError = 1;

class MainWindow final : public Toolkit {
  public:
    MainWindow(const WindowDescription& description, HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds the window, hidden, with all its controls and its running timers; false when the system
    // refuses.
    bool create();

    // Runs the Load handler, shows the window as the start-up window and delivers events until no
    // window is left; returns the process's exit status.
    int run();

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

    void deliver(Handler handler);
    void createControls();
    const DecodedBitmap* picture(Picture which);
    Status outerRect(::RECT& rect) const;
    Status moveTo(std::optional<int> left, std::optional<int> top);
    Status repaint(const Label& label);

    const WindowDescription& description_;
    HINSTANCE instance_;
    PixelScale scale_;
    std::wstring className_;
    std::map<Picture, DecodedBitmap> pictures_;
    FontCache fonts_;
    std::unique_ptr<WindowContent> content_;
    std::unique_ptr<LabelAccessibility>
        accessibility_; // the labels for screen readers, while the window lives
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    std::optional<WindowClass> windowClass_;
    std::optional<PictureBoxClass> pictureBoxClass_;
    std::vector<Timer> timers_;
    const Label* pressed_ = nullptr; // the label the left button went down on
    bool ending_ = false;            // an untrapped error is being reported: no more events
    int exitStatus_ = 0;
    // Last, so that the window is gone before anything it draws or uses.
    UniqueWindow window_;
};

} // namespace tolvane::win32
