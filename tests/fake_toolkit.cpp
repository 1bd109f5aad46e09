#include "fake_toolkit.h"

#include "toolkit/pixel_scale.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tolvane::testing {

std::string hexColour(Colour colour) {
    char text[16];
    std::snprintf(text, sizeof text, "&H%08X", static_cast<unsigned>(colour));
    return text;
}

std::string twipsText(Twips value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

namespace {

// The pixels of a screen at 100 %, as the layers place a window.
constexpr PixelScale kScale(kDefaultDotsPerInch);

// The nearest pixel, held within the 32-bit range a RECT can give; NaN reads as 0.
std::int32_t pixelsOf(double twips) {
    if (const std::optional<int> pixels = kScale.toPixels(static_cast<Twips>(twips))) {
        return *pixels;
    }
    return std::isnan(twips) ? 0
           : twips < 0       ? std::numeric_limits<std::int32_t>::min()
                             : std::numeric_limits<std::int32_t>::max();
}

} // namespace

FakeToolkit::FakeToolkit(const WindowDescription& window) {
    for (const ControlDescription& control : window.controls) {
        if (control.kind == ControlKind::Label && control.index < 0) {
            labels.emplace(std::string(control.name),
                           LabelState{control.backColour, std::string(control.caption)});
        }
    }
}

void FakeToolkit::failOperation(int k, Status status) {
    failAt_ = operations_ + k;
    failStatus_ = status;
}

Status FakeToolkit::attempt(const std::string& entry, bool onWindow) {
    ++operations_;
    if (failAt_ && *failAt_ == operations_) {
        log.push_back(entry + " failed");
        return failStatus_;
    }
    log.push_back(entry);
    return onWindow && unloaded ? kStatusWindowUnloaded : kStatusOk;
}

Status FakeToolkit::hWnd(WindowHandle& value) {
    const Status status = attempt("Frmbzz.hWnd");
    if (status >= 0) {
        value = handle;
    }
    return status;
}

Status FakeToolkit::WindowState(std::int16_t& value) {
    const Status status = attempt("Frmbzz.WindowState");
    if (status >= 0) {
        value = windowState;
    }
    return status;
}

Status FakeToolkit::Top(Twips& value) {
    const Status status = attempt("Frmbzz.Top");
    if (status >= 0) {
        value = top;
    }
    return status;
}

Status FakeToolkit::setTop(Twips value) {
    const Status status = attempt("Frmbzz.Top=" + twipsText(value));
    if (status < 0) {
        return status;
    }
    const std::optional<int> pixels = kScale.toPixels(value);
    if (!pixels) {
        return kStatusOverflow;
    }
    topWritten = value;
    top = kScale.toTwips(*pixels);
    return status;
}

Status FakeToolkit::Left(Twips& value) {
    const Status status = attempt("Frmbzz.Left");
    if (status >= 0) {
        value = left;
    }
    return status;
}

Status FakeToolkit::setLeft(Twips value) {
    const Status status = attempt("Frmbzz.Left=" + twipsText(value));
    if (status < 0) {
        return status;
    }
    const std::optional<int> pixels = kScale.toPixels(value);
    if (!pixels) {
        return kStatusOverflow;
    }
    leftWritten = value;
    left = kScale.toTwips(*pixels);
    return status;
}

Status FakeToolkit::Width(Twips& value) {
    const Status status = attempt("Frmbzz.Width");
    if (status >= 0) {
        value = width;
    }
    return status;
}

Status FakeToolkit::Height(Twips& value) {
    const Status status = attempt("Frmbzz.Height");
    if (status >= 0) {
        value = height;
    }
    return status;
}

Status FakeToolkit::Show() {
    const Status status = attempt("Frmbzz.Show");
    if (status >= 0) {
        visible = true;
    }
    return status;
}

Status FakeToolkit::Unload() {
    const Status status = attempt("Frmbzz.Unload");
    if (status >= 0) {
        unloaded = true;
        visible = false;
    }
    return status;
}

Status FakeToolkit::readScreen(const std::string& entry, Twips& value, Twips held) {
    const Status status = attempt(entry, false);
    if (status >= 0) {
        value = held;
    }
    return status;
}

Status FakeToolkit::ScreenWidth(Twips& value) {
    return readScreen("Screen.Width", value, screenWidth);
}

Status FakeToolkit::ScreenTwipsPerPixelX(Twips& value) {
    return readScreen("Screen.TwipsPerPixelX", value, twipsPerPixel);
}

Status FakeToolkit::ScreenTwipsPerPixelY(Twips& value) {
    return readScreen("Screen.TwipsPerPixelY", value, twipsPerPixel);
}

Status FakeToolkit::setBackColor(std::string_view label, Colour colour) {
    const Status status = attempt(std::string(label) + ".BackColor=" + hexColour(colour));
    if (status < 0) {
        return status;
    }
    const auto found = labels.find(label);
    if (found == labels.end()) {
        return kStatusNoSuchControl;
    }
    found->second.backColour = colour;
    return status;
}

Status FakeToolkit::setCaption(std::string_view label, std::string_view text) {
    const Status status = attempt(std::string(label) + ".Caption=" + std::string(text));
    if (status < 0) {
        return status;
    }
    const auto found = labels.find(label);
    if (found == labels.end()) {
        return kStatusNoSuchControl;
    }
    found->second.caption = text;
    return status;
}

RECT FakeToolkit::rectOfProperties() const {
    return {pixelsOf(left), pixelsOf(top), pixelsOf(double{left} + width), pixelsOf(double{top} + height)};
}

bool FakeToolkit::isWindow(WindowHandle window) const {
    return !unloaded && window == handle;
}

std::int32_t FakeToolkit::GetCursorPos(POINT& point) {
    log.emplace_back("GetCursorPos");
    const std::int32_t result = cursorResult.value_or(declaredResult);
    if (result != 0) {
        point = cursor;
    }
    return result;
}

std::int32_t FakeToolkit::GetWindowRect(WindowHandle window, RECT& rect) {
    log.push_back("GetWindowRect(" + std::to_string(window) + ")");
    const std::int32_t result = isWindow(window) ? windowRectResult.value_or(declaredResult) : 0;
    if (result != 0) {
        rect = rectFollowsProperties ? rectOfProperties() : windowRect;
    }
    return result;
}

std::int32_t FakeToolkit::SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x,
                                       std::int32_t y, std::int32_t cx, std::int32_t cy,
                                       std::uint32_t flags) {
    char text[128];
    std::snprintf(text, sizeof text, "SetWindowPos(%lld,%lld,%d,%d,%d,%d,&H%X)",
                  static_cast<long long>(window), static_cast<long long>(insertAfter), x, y, cx, cy, flags);
    log.emplace_back(text);
    if (!isWindow(window) || declaredResult == 0) {
        return 0;
    }
    topmost = topmost || insertAfter == HWND_TOPMOST;
    visible = visible || (flags & SWP_SHOWWINDOW) != 0;
    return declaredResult;
}

std::int32_t FakeToolkit::EnumDisplayMonitors(DisplayMonitors& value) {
    log.emplace_back("EnumDisplayMonitors");
    const std::int32_t result = monitorsResult.value_or(declaredResult);
    if (result == 0) {
        return result;
    }
    if (monitors) {
        value = *monitors;
    } else {
        value = {};
        value.monitors[0] = {{0, 0, pixelsOf(screenWidth), kScreenHeightPixels}, true};
        value.count = 1;
    }
    return result;
}

void FakeToolkit::reportUntrappedError(const RuntimeError& error) {
    untrapped.push_back(error);
}

} // namespace tolvane::testing
