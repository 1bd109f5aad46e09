#include "toolkit/win32/win32_toolkit.h"

#include "toolkit/runtime_error.h"
#include "toolkit/win32/desktop_monitors.h"
#include "toolkit/window_guard.h"

namespace tolvane::win32 {

namespace {

// What the system says went wrong, as a negative status.
Status lastErrorStatus() {
    const DWORD error = GetLastError();
    return static_cast<Status>(error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error));
}

} // namespace

Win32Toolkit::Win32Toolkit(const WindowDescription& description, HINSTANCE instance)
    : description_(description), window_(description, instance, *this) {}

void Win32Toolkit::reportUntrappedError(const RuntimeError& error) {
    window_.reportUntrappedError(error);
}

Status Win32Toolkit::hWnd(WindowHandle& handle) {
    return whileLoaded(window_.loaded(), [&] { handle = reinterpret_cast<WindowHandle>(window_.handle()); });
}

Status Win32Toolkit::WindowState(std::int16_t& state) {
    return whileLoaded(window_.loaded(), [&] {
        const HWND window = window_.handle();
        state = IsIconic(window) != 0 ? vbMinimized : IsZoomed(window) != 0 ? vbMaximized : vbNormal;
    });
}

Status Win32Toolkit::outerRect(::RECT& rect, FrameInsets* insets) const {
    return whileLoaded(window_.loaded(),
                       [&] { return window_.visibleFrame(rect, insets) ? kStatusOk : lastErrorStatus(); });
}

Status Win32Toolkit::Top(Twips& value) {
    ::RECT rect{};
    const Status status = outerRect(rect);
    value = window_.scale().toTwips(rect.top);
    return status;
}

Status Win32Toolkit::Left(Twips& value) {
    ::RECT rect{};
    const Status status = outerRect(rect);
    value = window_.scale().toTwips(rect.left);
    return status;
}

Status Win32Toolkit::Width(Twips& value) {
    ::RECT rect{};
    const Status status = outerRect(rect);
    value = window_.scale().toTwips(rect.right - rect.left);
    return status;
}

Status Win32Toolkit::Height(Twips& value) {
    ::RECT rect{};
    const Status status = outerRect(rect);
    value = window_.scale().toTwips(rect.bottom - rect.top);
    return status;
}

Status Win32Toolkit::setTop(Twips value) {
    const auto pixels = window_.scale().toPixels(value);
    return pixels ? moveTo(std::nullopt, pixels) : kStatusOverflow;
}

Status Win32Toolkit::setLeft(Twips value) {
    const auto pixels = window_.scale().toPixels(value);
    return pixels ? moveTo(pixels, std::nullopt) : kStatusOverflow;
}

// Moves the window's visible top-left corner at once, keeping its size, its place in the z-order and
// the active window.
Status Win32Toolkit::moveTo(std::optional<int> left, std::optional<int> top) {
    return whileLoaded(window_.loaded(),
                       [&] { return window_.moveVisibleFrame(left, top) ? kStatusOk : lastErrorStatus(); });
}

Status Win32Toolkit::Show() {
    return whileLoaded(window_.loaded(), [&] { ShowWindow(window_.handle(), SW_SHOW); });
}

Status Win32Toolkit::Unload() {
    return whileLoaded(window_.loaded(), [&] { return window_.unload() ? kStatusOk : lastErrorStatus(); });
}

Status Win32Toolkit::ScreenWidth(Twips& value) {
    // The primary monitor as the desktop last listed it; the system's metric where it listed none.
    const std::optional<int> listed = primaryWidth(window_.monitors());
    value = window_.scale().toTwips(listed ? *listed : GetSystemMetrics(SM_CXSCREEN));
    return kStatusOk;
}

Status Win32Toolkit::ScreenTwipsPerPixelX(Twips& value) {
    value = window_.scale().toTwips(1);
    return kStatusOk;
}

Status Win32Toolkit::ScreenTwipsPerPixelY(Twips& value) {
    value = window_.scale().toTwips(1);
    return kStatusOk;
}

Status Win32Toolkit::setBackColor(std::string_view name, Colour colour) {
    return writeLabel(window_.loaded(), description_, name,
                      [&](std::size_t label) { window_.setBackColour(label, colour); });
}

Status Win32Toolkit::setCaption(std::string_view name, std::string_view utf8Text) {
    return writeLabel(window_.loaded(), description_, name,
                      [&](std::size_t label) { window_.setCaption(label, utf8Text); });
}

// The declared functions: user32's own, called straight through. A failing call leaves its record alone.

std::int32_t Win32Toolkit::GetCursorPos(POINT& point) {
    ::POINT position{};
    const BOOL called = ::GetCursorPos(&position);
    if (called != 0) {
        point = {static_cast<std::int32_t>(position.x), static_cast<std::int32_t>(position.y)};
    }
    return called;
}

std::int32_t Win32Toolkit::GetWindowRect(WindowHandle window, RECT& rect) {
    // user32's, measured by the visible frame as Top and Left are, so that the docking step's strip is of
    // what the user sees.
    const HWND handle = reinterpret_cast<HWND>(window);
    ::RECT outer{};
    const BOOL called = ::GetWindowRect(handle, &outer);
    if (called != 0) {
        const FrameInsets frame = window_.frameBounds().insetsOf(handle, outer);
        outer = {outer.left + frame.left, outer.top + frame.top, outer.right - frame.right,
                 outer.bottom - frame.bottom};
        rect = {static_cast<std::int32_t>(outer.left), static_cast<std::int32_t>(outer.top),
                static_cast<std::int32_t>(outer.right), static_cast<std::int32_t>(outer.bottom)};
    }
    return called;
}

// The monitors as the desktop last listed them to the window: no call into the window system on a tick.
std::int32_t Win32Toolkit::EnumDisplayMonitors(DisplayMonitors& monitors) {
    if (window_.monitors().count == 0) {
        return 0;
    }
    monitors = window_.monitors();
    return 1;
}

std::int32_t Win32Toolkit::SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x,
                                        std::int32_t y, std::int32_t cx, std::int32_t cy,
                                        std::uint32_t flags) {
    return ::SetWindowPos(reinterpret_cast<HWND>(window), reinterpret_cast<HWND>(insertAfter), x, y, cx, cy,
                          flags);
}

} // namespace tolvane::win32
