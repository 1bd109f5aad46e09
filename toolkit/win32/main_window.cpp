#include "toolkit/win32/main_window.h"

#include "resources/pictures.h"
#include "toolkit/desktop.h"
#include "toolkit/runtime_error.h"
#include "toolkit/win32/desktop_monitors.h"
#include "toolkit/win32/wide_text.h"

#include <string>
#include <utility>

namespace tolvane::win32 {

namespace {

// The layer's own timer, beside the program's (numbered from 1), where the system changes its monitors
// without a word: the monitors read again every few seconds. Windows tells a window of every change of
// the desktop's monitors (WM_DISPLAYCHANGE); Wine 8 tells it of none, though on its RandR path it learns
// of them itself.
constexpr UINT_PTR kMonitorsTimer = 0x4D4F;
constexpr UINT kMonitorsIntervalMs = 5000;

bool sameMonitors(const DisplayMonitors& a, const DisplayMonitors& b) {
    if (a.count != b.count) {
        return false;
    }
    for (std::uint32_t i = 0; i < a.count && i < DisplayMonitors::kCapacity; ++i) {
        if (!(a.monitors[i] == b.monitors[i])) {
            return false;
        }
    }
    return true;
}

::POINT pointFrom(LPARAM lParam) {
    // Signed: with the mouse captured, a release left of or above the window is negative.
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

MainWindow::MainWindow(const WindowDescription& description, HINSTANCE instance, Toolkit& program)
    : description_(description), instance_(instance), program_(program), scale_(dpi_.system()),
      className_(toWide(description.name)), fonts_(scale_) {}

MainWindow::~MainWindow() {
    // While everything the window draws and uses still exists.
    window_.reset();
}

// Builds the window hidden, its labels and lines (content), its picture boxes and timers.
bool MainWindow::create() {
    if (description_.icon != Picture::None) {
        const auto iconFile = pictureBytes(description_.icon);
        bigIcon_ = decodeIcon(iconFile, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        smallIcon_ = decodeIcon(iconFile, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    }

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &windowProcedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = bigIcon_.get();
    windowClass.hIconSm = smallIcon_.get();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className_.c_str();
    windowClass_.emplace(windowClass);
    pictureBoxClass_.emplace(instance_);
    if (!*windowClass_ || !*pictureBoxClass_) {
        return false;
    }

    // Children clipped out, so that painting the labels never draws over the picture boxes.
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    style |= description_.sizable ? WS_THICKFRAME : 0;
    style |= description_.minButton ? WS_MINIMIZEBOX : 0;
    style |= description_.maxButton ? WS_MAXIMIZEBOX : 0;
    // The client area has the described size; the running system's frame metrics add the rest.
    ::RECT outer{0, 0, scale_.layoutPixels(description_.clientWidth),
                 scale_.layoutPixels(description_.clientHeight)};
    dpi_.adjustWindowRect(outer, style, 0, scale_.dotsPerInch());
    const std::wstring title = toWide(description_.caption);
    if (CreateWindowExW(0, className_.c_str(), title.c_str(), style,
                        scale_.layoutPixels(description_.outerLeft),
                        scale_.layoutPixels(description_.outerTop), outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, nullptr, instance_, this) == nullptr) {
        return false;
    }
    // Besides the class's icons, so that the title bar, the taskbar and the task switcher (and anyone
    // asking with WM_GETICON) all get the same.
    SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    layOutContent();
    // The window has the DPI of the monitor it was made on, which need not be the system's.
    if (const int dpi = dpi_.ofWindow(window_.get()); dpi != scale_.dotsPerInch()) {
        takeDpi(dpi, nullptr);
    }
    accessibility_ = std::make_unique<LabelAccessibility>(window_.get(), *content_);
    static_cast<void>(readDesktopMonitors(monitors_));
    startTimers();
    return true;
}

void MainWindow::layOutContent() {
    content_ = std::make_unique<WindowContent>(description_, scale_, fonts_, picture(description_.picture));
    for (const ControlDescription& control : description_.controls) {
        if (control.kind == ControlKind::PictureBox) {
            const HWND box = pictureBoxClass_->create(window_.get(), controlRect(control, scale_),
                                                      picture(control.picture));
            if (box != nullptr) {
                pictureBoxes_.push_back({box, &control});
            }
        }
    }
}

void MainWindow::takeDpi(int dotsPerInch, const ::RECT* suggested) {
    scale_ = PixelScale(dotsPerInch);
    // The new fonts first, so that no label is left with a deleted one.
    FontCache fonts(scale_);
    content_->layOut(scale_, fonts);
    fonts_ = std::move(fonts);
    for (const PictureBox& box : pictureBoxes_) {
        const ::RECT r = controlRect(*box.description, scale_);
        SetWindowPos(box.window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    backBuffer_.release();
    ::RECT outer{};
    if (suggested != nullptr) {
        outer = *suggested;
    } else {
        ::RECT client{0, 0, scale_.layoutPixels(description_.clientWidth),
                      scale_.layoutPixels(description_.clientHeight)};
        dpi_.adjustWindowRect(client, static_cast<DWORD>(GetWindowLongPtrW(window_.get(), GWL_STYLE)),
                              static_cast<DWORD>(GetWindowLongPtrW(window_.get(), GWL_EXSTYLE)), dotsPerInch);
        GetWindowRect(window_.get(), &outer);
        outer.right = outer.left + (client.right - client.left);
        outer.bottom = outer.top + (client.bottom - client.top);
    }
    SetWindowPos(window_.get(), nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_.get(), nullptr, FALSE);
}

// Desktop
// -------

bool MainWindow::visibleFrame(::RECT& rect, FrameInsets* insets) const {
    if (::GetWindowRect(window_.get(), &rect) == 0) {
        return false;
    }
    const FrameInsets frame = frameBounds_.insetsOf(window_.get(), rect);
    rect = {rect.left + frame.left, rect.top + frame.top, rect.right - frame.right,
            rect.bottom - frame.bottom};
    if (insets != nullptr) {
        *insets = frame;
    }
    return true;
}

bool MainWindow::moveVisibleFrame(std::optional<int> left, std::optional<int> top) {
    ::RECT rect{};
    FrameInsets insets;
    if (!visibleFrame(rect, &insets)) {
        return false;
    }
    // A docked window at rest has the same place written on every tick; under Wine each move, even to
    // where the window is, costs dozens of requests to the wineserver.
    if (left.value_or(rect.left) == rect.left && top.value_or(rect.top) == rect.top) {
        return true;
    }
    return SetWindowPos(window_.get(), nullptr, windowLeftFor(left.value_or(rect.left), insets),
                        windowTopFor(top.value_or(rect.top), insets), 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

void MainWindow::onDisplayChange() {
    static_cast<void>(readDesktopMonitors(monitors_));
    placeOnMonitors();
}

void MainWindow::onDpiChanged(int dotsPerInch, const ::RECT* suggested) {
    if (content_) {
        takeDpi(dotsPerInch, suggested);
    }
    static_cast<void>(readDesktopMonitors(monitors_));
}

void MainWindow::placeOnMonitors() {
    ::RECT rect{};
    // The system parks a minimized window off every monitor.
    if (!window_ || IsIconic(window_.get()) != 0 || !visibleFrame(rect)) {
        return;
    }
    if (const std::optional<POINT> corner =
            placeOnDesktop(monitors_, {rect.left, rect.top, rect.right, rect.bottom})) {
        moveVisibleFrame(corner->x, corner->y);
    }
}

void MainWindow::startTimers() {
    for (const ControlDescription& control : description_.controls) {
        if (control.kind == ControlKind::Timer && control.intervalMs > 0 && control.tick != nullptr) {
            const UINT_PTR id = timers_.size() + 1;
            if (SetTimer(window_.get(), id, static_cast<UINT>(control.intervalMs), nullptr) != 0) {
                timers_.push_back({id, control.tick});
            }
        }
    }
    if (monitorChangesGoUnannounced()) {
        SetTimer(window_.get(), kMonitorsTimer, kMonitorsIntervalMs, nullptr);
    }
}

const DecodedBitmap* MainWindow::picture(Picture which) {
    if (which == Picture::None) {
        return nullptr;
    }
    if (const auto found = pictures_.find(which); found != pictures_.end()) {
        return &found->second;
    }
    auto decoded = decodeBitmap(pictureBytes(which));
    if (!decoded) {
        return nullptr;
    }
    return &pictures_.emplace(which, std::move(*decoded)).first->second;
}

int MainWindow::run() {
    deliver(description_.load);
    if (window_ && !ending_) {
        ShowWindow(window_.get(), SW_SHOW);
        UpdateWindow(window_.get());
    }
    MSG message{};
    BOOL received = FALSE;
    while ((received = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return received < 0 ? kExitUntrappedError : static_cast<int>(message.wParam);
}

void MainWindow::deliver(Handler handler) {
    if (!ending_ && handler != nullptr) {
        dispatch(handler, program_, description_.name);
    }
}

// Messages
// --------

LRESULT CALLBACK MainWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The system has released the window; nothing is left to destroy.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel of the client area
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_PRINTCLIENT: {
        ::RECT client{};
        GetClientRect(window_.get(), &client);
        content_->paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_LBUTTONDOWN:
        onButtonDown(pointFrom(lParam));
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(pointFrom(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        clicks_.cancel();
        return 0;
    case WM_TIMER:
        onTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_DISPLAYCHANGE:
        onDisplayChange();
        return 0;
    case WM_SETTINGCHANGE:
        onDisplayChange(); // the work area or the monitors' arrangement, among other things
        return DefWindowProcW(window_.get(), message, wParam, lParam);
    case WM_DPICHANGED:
        onDpiChanged(LOWORD(wParam), reinterpret_cast<const ::RECT*>(lParam));
        return 0;
    case WM_GETOBJECT:
        return accessibility_ ? accessibility_->answerGetObject(wParam, lParam)
                              : DefWindowProcW(window_.get(), message, wParam, lParam);
    case WM_DESTROY:
        onDestroy();
        return 0;
    default:
        return DefWindowProcW(window_.get(), message, wParam, lParam);
    }
}

// Draws the damaged area into the kept back buffer first, then onto the screen in one copy.
void MainWindow::onPaint() {
    const PaintSession paint(window_.get());
    const ::RECT& area = paint.area();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    ::RECT client{};
    GetClientRect(window_.get(), &client);
    const HDC buffer = backBuffer_.prepare(paint.dc(), client.right, client.bottom);
    if (buffer == nullptr) {
        content_->paint(paint.dc(), area);
        return;
    }
    content_->paint(buffer, area);
    BitBlt(paint.dc(), area.left, area.top, width, height, buffer, area.left, area.top, SRCCOPY);
}

// Only labels with a click handler take a press (see click_tracking.h for what makes a click).
void MainWindow::onButtonDown(::POINT point) {
    if (ending_) {
        return;
    }
    std::optional<std::size_t> label = content_->labelIndexAt(point);
    if (label && content_->label(*label).description->click == nullptr) {
        label.reset();
    }
    clicks_.press(label);
    if (label) {
        // The release may come outside the window; it still ends this press.
        SetCapture(window_.get());
    }
}

void MainWindow::onButtonUp(::POINT point) {
    const std::optional<std::size_t> clicked = clicks_.release(content_->labelIndexAt(point));
    if (GetCapture() == window_.get()) {
        ReleaseCapture();
    }
    if (clicked) {
        deliver(content_->label(*clicked).description->click);
    }
}

void MainWindow::onTimer(UINT_PTR id) {
    if (id == kMonitorsTimer) {
        DisplayMonitors now;
        if (readDesktopMonitors(now) && !sameMonitors(now, monitors_)) {
            monitors_ = now;
            placeOnMonitors();
        }
        return;
    }
    for (const Timer& timer : timers_) {
        if (timer.id == id) {
            deliver(timer.tick);
            return;
        }
    }
}

// The timers end with the window, and with the last window the program.
void MainWindow::onDestroy() {
    accessibility_.reset(); // clients that still hold the labels' object learn that it is gone
    stopTimers();
    PostQuitMessage(exitStatus_);
}

void MainWindow::stopTimers() {
    for (const Timer& timer : timers_) {
        KillTimer(window_.get(), timer.id);
    }
    timers_.clear();
    KillTimer(window_.get(), kMonitorsTimer);
}

void MainWindow::reportUntrappedError(const RuntimeError& error) {
    if (!ending_) {
        endAfterUntrappedError(error, *this);
    }
}

void MainWindow::stopEvents() {
    ending_ = true;
    clicks_.cancel();
    stopTimers();
}

void MainWindow::showErrorMessage(const std::string& text) {
    MessageBoxW(window_.get(), toWide(text).c_str(), toWide(description_.caption).c_str(),
                MB_OK | MB_ICONERROR);
}

void MainWindow::endProgram(int exitStatus) {
    exitStatus_ = exitStatus;
    if (window_) {
        DestroyWindow(window_.get());
    } else {
        PostQuitMessage(exitStatus_);
    }
}

bool MainWindow::unload() {
    return !window_ || DestroyWindow(window_.get()) != 0;
}

// Labels
// ------

// A write that changes nothing changes no pixel and no name or state a screen reader knows: a click
// writes all 25 age colours and changes two, and under Wine each repaint is a few requests to the
// wineserver.
void MainWindow::setBackColour(std::size_t index, Colour colour) {
    Label& label = content_->label(index);
    if (label.backColour == colour) {
        return;
    }
    const Colour previous = std::exchange(label.backColour, colour);
    repaintLabel(label);
    if (accessibility_) {
        accessibility_->backColourChanged(label, previous);
    }
}

void MainWindow::setCaption(std::size_t index, std::string_view utf8Text) {
    Label& label = content_->label(index);
    std::wstring caption = toWide(utf8Text);
    if (label.caption == caption) {
        return;
    }
    label.caption = std::move(caption);
    repaintLabel(label);
    if (accessibility_) {
        accessibility_->captionChanged(label);
    }
}

// At once, not at the next idle moment: the label shows its new state before the handler goes on.
// Only its rectangle is drawn, into the kept back buffer and from there onto the window, without a
// paint message of its own: a click makes thirty of these.
void MainWindow::repaintLabel(const Label& label) {
    if (!window_) {
        return;
    }
    const WindowDc screen(window_.get()); // clipped to the window's own surface, picture boxes left out
    ::RECT client{};
    GetClientRect(window_.get(), &client);
    const HDC buffer = backBuffer_.prepare(screen.get(), client.right, client.bottom);
    if (screen.get() == nullptr || buffer == nullptr) {
        InvalidateRect(window_.get(), &label.rect, FALSE);
        UpdateWindow(window_.get());
        return;
    }
    const ::RECT& r = label.rect;
    content_->paint(buffer, r);
    BitBlt(screen.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, buffer, r.left, r.top, SRCCOPY);
}

} // namespace tolvane::win32
