#include "tests/contract/toolkit_contract.h"

#include "toolkit/runtime_error.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace tolvane::contract {

namespace {

constexpr Twips kTwipsPerPixel = 15; // every subject runs at 96 DPI
constexpr Twips kNaN = std::numeric_limits<Twips>::quiet_NaN();
constexpr Twips kInfinity = std::numeric_limits<Twips>::infinity();
// Names no window: neither the window's own handle nor any other's.
constexpr WindowHandle kForeignHandle = 0x7ABC0000;
// Places of the pointer, in pixels from the primary screen's corner, on every subject's screen: over
// the window a new one opens (its outer corner at the screen's), and clear of it.
constexpr POINT kOnWindow{100, 120};
constexpr POINT kAway{700, 300};

enum class Op {
    HWnd, // the same handle all through the case
    WindowState,
    Top,
    SetTop,
    Left,
    SetLeft,
    Width, // whole pixels, more than one
    Height,
    Show,
    Hide,    // from outside the layer
    Visible, // the window system shows the window (kStatusOk) or not (kReturnsZero)
    Unload,
    ScreenWidth,
    TwipsPerPixel,       // Screen.TwipsPerPixelX and Y: the value given
    EnumDisplayMonitors, // every subject's desktop: one monitor, the primary, at the origin, Screen.Width
                         // wide
    SetBackColor,
    SetCaption,
    PointerOnWindow, // the real pointer put at kOnWindow, as a user would move it
    PointerAway,
    GetCursorPos,  // where the pointer was last put, if it was
    GetWindowRect, // of the window's handle: the outer rectangle that Top, Left, Width, Height give
    GetForeignWindowRect,
    SetWindowPosTopmost, // Form_Load's call: HWND_TOPMOST, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW
    SetForeignWindowPos,
    Topmost,
};

// A declared function's result: nonzero (kStatusOk) or zero with its record left alone (kReturnsZero).
// For Topmost: in the band (kStatusOk) or not (kReturnsZero).
constexpr Status kReturnsZero = 1;

struct Step {
    Op op;
    Status status = kStatusOk;
    std::optional<Twips> value = std::nullopt; // written, or required of a read
    std::string_view label = {};
};

struct Case {
    std::string_view name;
    std::vector<Step> steps;
};

const std::vector<Case>& table() {
    static const std::vector<Case> cases{
        {"a new window reads as placed",
         {{Op::HWnd},
          {Op::WindowState, kStatusOk, vbNormal},
          {Op::Top, kStatusOk, 0},
          {Op::Left, kStatusOk, 0},
          {Op::Width},
          {Op::Height},
          {Op::ScreenWidth},
          {Op::TwipsPerPixel, kStatusOk, kTwipsPerPixel},
          {Op::EnumDisplayMonitors},
          {Op::GetWindowRect},
          {Op::GetCursorPos},
          {Op::Topmost, kReturnsZero}}},
        {"a Top write moves the window at once to the nearest pixel",
         {{Op::SetWindowPosTopmost},
          {Op::SetTop, kStatusOk, 300},
          {Op::Top, kStatusOk, 300},
          {Op::GetWindowRect},
          {Op::SetTop, kStatusOk, -10}, // two thirds of a pixel above the edge: row -1
          {Op::Top, kStatusOk, -15},
          {Op::SetTop, kStatusOk, 7},
          {Op::Top, kStatusOk, 0},
          {Op::Left, kStatusOk, 0},
          {Op::GetWindowRect},
          {Op::Topmost}}},
        {"a Left write moves the window at once to the nearest pixel",
         {{Op::SetLeft, kStatusOk, 3000},
          {Op::Left, kStatusOk, 3000},
          {Op::SetLeft, kStatusOk, -10},
          {Op::Left, kStatusOk, -15},
          {Op::SetLeft, kStatusOk, 8},
          {Op::Left, kStatusOk, 15},
          {Op::Top, kStatusOk, 0},
          {Op::GetWindowRect}}},
        {"a position no pixel can hold is an overflow and moves nothing",
         {{Op::SetTop, kStatusOverflow, kNaN},
          {Op::SetTop, kStatusOverflow, kInfinity},
          {Op::SetTop, kStatusOverflow, 1e30F},
          {Op::SetLeft, kStatusOverflow, -kInfinity},
          {Op::SetLeft, kStatusOverflow, kNaN},
          {Op::SetLeft, kStatusOverflow, -1e30F},
          {Op::Top, kStatusOk, 0},
          {Op::Left, kStatusOk, 0}}},
        {"the labels of the window take colours and captions, and show them",
         {{Op::SetBackColor, kStatusOk, 0x0000FF00, "Label19"},
          {Op::SetBackColor, kStatusOk, 0x00123456, "Label2"}, // blue, green and red told apart
          {Op::SetBackColor, kStatusOk, 0x00FFC0C0, "Label2"},
          {Op::SetCaption, kStatusOk, std::nullopt, "Label9"},
          {Op::SetCaption, kStatusOk, std::nullopt, "Label80"}}},
        {"no other name is a label",
         {{Op::SetBackColor, kStatusNoSuchControl, 0, "Label99"},
          {Op::SetCaption, kStatusNoSuchControl, std::nullopt, "Label13"},
          {Op::SetCaption, kStatusNoSuchControl, std::nullopt, "Label1"}, // an array: no name of its own
          {Op::SetCaption, kStatusNoSuchControl, std::nullopt, "Timer1"},
          {Op::SetBackColor, kStatusNoSuchControl, 0, "Picture1"},
          {Op::SetCaption, kStatusNoSuchControl, std::nullopt, "label9"}}},
        {"the declared functions answer nothing for a foreign handle",
         {{Op::GetForeignWindowRect, kReturnsZero},
          {Op::SetForeignWindowPos, kReturnsZero},
          {Op::Topmost, kReturnsZero},
          {Op::Top, kStatusOk, 0}}},
        {"SetWindowPos makes the window topmost and visible where it is",
         {{Op::Hide},
          {Op::Visible, kReturnsZero},
          {Op::SetWindowPosTopmost},
          {Op::Visible},
          {Op::Topmost},
          {Op::HWnd},
          {Op::Top, kStatusOk, 0},
          {Op::Left, kStatusOk, 0},
          {Op::Show},
          {Op::WindowState, kStatusOk, vbNormal},
          {Op::GetWindowRect}}},
        {"Show shows a hidden window where it was",
         {{Op::Hide},
          {Op::Visible, kReturnsZero},
          {Op::Show},
          {Op::Visible},
          {Op::WindowState, kStatusOk, vbNormal},
          {Op::Top, kStatusOk, 0},
          {Op::Left, kStatusOk, 0}}},
        // Not two places clear of the window in a row: once a reading finds the pointer clear of the
        // window, a layer may give it again until the pointer comes near the window.
        {"GetCursorPos gives the pointer's place",
         {{Op::PointerOnWindow},
          {Op::GetCursorPos},
          {Op::PointerAway},
          {Op::GetCursorPos},
          {Op::PointerOnWindow},
          {Op::GetCursorPos}}},
        {"after Unload every operation on the window fails",
         {{Op::Unload},
          {Op::HWnd, kStatusWindowUnloaded},
          {Op::WindowState, kStatusWindowUnloaded},
          {Op::Top, kStatusWindowUnloaded},
          {Op::SetTop, kStatusWindowUnloaded, 300},
          {Op::Left, kStatusWindowUnloaded},
          {Op::SetLeft, kStatusWindowUnloaded, 300},
          {Op::Width, kStatusWindowUnloaded},
          {Op::Height, kStatusWindowUnloaded},
          {Op::Show, kStatusWindowUnloaded},
          {Op::SetBackColor, kStatusWindowUnloaded, 0, "Label19"},
          {Op::SetCaption, kStatusWindowUnloaded, std::nullopt, "Label99"},
          {Op::Unload, kStatusWindowUnloaded},
          {Op::ScreenWidth},
          {Op::PointerAway},
          {Op::GetCursorPos},
          {Op::GetWindowRect, kReturnsZero},
          {Op::SetWindowPosTopmost, kReturnsZero}}},
    };
    return cases;
}

std::string text(Twips value) {
    std::string out = std::to_string(value);
    out.erase(out.find_last_not_of('0') + 1);
    if (!out.empty() && out.back() == '.') {
        out.pop_back();
    }
    return out;
}

std::string text(POINT p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

std::string hex(Colour colour) {
    char out[16];
    std::snprintf(out, sizeof out, "&H%08X", static_cast<unsigned>(colour));
    return out;
}

std::string text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class Run {
  public:
    Run(Subject& subject, Toolkit& toolkit) : subject_(subject), toolkit_(toolkit) {
        toolkit_.hWnd(handle_); // the case's own HWnd steps say whether this may fail
    }

    void step(std::size_t number, const Step& step) {
        prefix_ = "step " + std::to_string(number + 1) + ": ";
        switch (step.op) {
        case Op::HWnd: {
            WindowHandle handle = 0;
            if (status("hWnd", toolkit_.hWnd(handle), step) && handle != handle_) {
                fail("hWnd changed from " + std::to_string(handle_) + " to " + std::to_string(handle));
            }
            break;
        }
        case Op::WindowState: {
            std::int16_t state = -1;
            if (status("WindowState", toolkit_.WindowState(state), step) && step.value &&
                state != *step.value) {
                fail("WindowState read " + std::to_string(state));
            }
            break;
        }
        case Op::Top:
            read("Top", &Toolkit::Top, step);
            break;
        case Op::Left:
            read("Left", &Toolkit::Left, step);
            break;
        case Op::Width:
            read("Width", &Toolkit::Width, step);
            break;
        case Op::Height:
            read("Height", &Toolkit::Height, step);
            break;
        case Op::ScreenWidth:
            read("Screen.Width", &Toolkit::ScreenWidth, step);
            break;
        case Op::TwipsPerPixel:
            read("Screen.TwipsPerPixelX", &Toolkit::ScreenTwipsPerPixelX, step);
            read("Screen.TwipsPerPixelY", &Toolkit::ScreenTwipsPerPixelY, step);
            break;
        case Op::EnumDisplayMonitors:
            monitors(step);
            break;
        case Op::SetTop:
            status("Top = " + text(*step.value), toolkit_.setTop(*step.value), step);
            break;
        case Op::SetLeft:
            status("Left = " + text(*step.value), toolkit_.setLeft(*step.value), step);
            break;
        case Op::Show:
            status("Show", toolkit_.Show(), step);
            break;
        case Op::Hide:
            subject_.hide();
            break;
        case Op::Visible:
            if (!subject_.settlesVisible(step.status == kStatusOk)) {
                fail(step.status == kStatusOk ? "the window system does not show the window"
                                              : "the window system still shows the window");
            }
            break;
        case Op::Unload:
            status("Unload", toolkit_.Unload(), step);
            break;
        case Op::SetBackColor: {
            const auto colour = static_cast<Colour>(step.value.value_or(0));
            const std::string what = std::string(step.label) + ".BackColor";
            if (status(what, toolkit_.setBackColor(step.label, colour), step)) {
                if (const std::vector<Colour> shown = look(step.label);
                    !shown.empty() && shown[0] != colour) {
                    fail(std::string(step.label) + " shows " + hex(shown[0]) + ", not " + hex(colour));
                }
            }
            break;
        }
        case Op::SetCaption: {
            const std::vector<Colour> before =
                step.status == kStatusOk ? look(step.label) : std::vector<Colour>();
            if (status(std::string(step.label) + ".Caption", toolkit_.setCaption(step.label, "2.5岁"),
                       step) &&
                !before.empty() && look(step.label) == before) {
                fail(std::string(step.label) + " looks the same after its caption changed");
            }
            break;
        }
        case Op::PointerOnWindow:
        case Op::PointerAway:
            pointer_ = step.op == Op::PointerOnWindow ? kOnWindow : kAway;
            if (!subject_.putPointer(*pointer_)) {
                fail("the pointer cannot be put at " + text(*pointer_) + " here");
            }
            break;
        case Op::GetCursorPos: {
            POINT point{-7, -7};
            const std::int32_t result = toolkit_.GetCursorPos(point);
            declared("GetCursorPos", result, step);
            if (result != 0 && pointer_ && point != *pointer_) {
                fail("GetCursorPos gave " + text(point) + ", the pointer is at " + text(*pointer_));
            }
            break;
        }
        case Op::GetWindowRect:
            windowRect(handle_, step);
            break;
        case Op::GetForeignWindowRect:
            windowRect(kForeignHandle, step);
            break;
        case Op::SetWindowPosTopmost:
            declared("SetWindowPos",
                     toolkit_.SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0,
                                           SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW),
                     step);
            break;
        case Op::SetForeignWindowPos:
            declared("SetWindowPos of a foreign handle",
                     toolkit_.SetWindowPos(kForeignHandle, HWND_TOPMOST, 0, 0, 0, 0,
                                           SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW),
                     step);
            break;
        case Op::Topmost:
            if (subject_.topmost() != (step.status == kStatusOk)) {
                fail(step.status == kStatusOk ? "the window is not topmost" : "the window is topmost");
            }
            break;
        }
    }

    std::vector<std::string> failures;

  private:
    void fail(const std::string& what) { failures.push_back(prefix_ + what); }

    // The label as the window shows it; a failure where that cannot be seen, so that no case passes
    // unseen.
    std::vector<Colour> look(std::string_view label) {
        std::vector<Colour> shown = subject_.drawing(label);
        if (shown.empty()) {
            fail("what the window shows of " + std::string(label) + " cannot be read here");
        }
        return shown;
    }

    // Whether the operation succeeded as required, so that its result may be looked at.
    bool status(const std::string& what, Status got, const Step& step) {
        if (got != step.status) {
            fail(what + " gave status " + std::to_string(got) + ", not " + std::to_string(step.status));
        }
        return got >= 0 && step.status >= 0;
    }

    void read(const std::string& what, Status (Toolkit::*getter)(Twips&), const Step& step) {
        Twips value = kNaN;
        if (!status(what, (toolkit_.*getter)(value), step)) {
            return;
        }
        if (step.value && value != *step.value) {
            fail(what + " read " + text(value) + ", not " + text(*step.value));
        } else if (!step.value && !(value > kTwipsPerPixel && std::fmod(value, kTwipsPerPixel) == 0)) {
            fail(what + " read " + text(value) + ", not a size in whole pixels");
        }
    }

    void monitors(const Step& step) {
        DisplayMonitors found;
        declared("EnumDisplayMonitors", toolkit_.EnumDisplayMonitors(found), step);
        Twips screenWidth = 0;
        toolkit_.ScreenWidth(screenWidth);
        const RECT& r = found.monitors[0].rect;
        if (found.count != 1 || !found.monitors[0].primary || r.left != 0 || r.top != 0 || r.bottom <= 0 ||
            static_cast<Twips>(r.right) * kTwipsPerPixel != screenWidth) {
            fail("EnumDisplayMonitors gave " + std::to_string(found.count) + " monitors, the first " +
                 text(r) + (found.monitors[0].primary ? " (primary)" : "") + ", Screen.Width " +
                 text(screenWidth));
        }
    }

    void declared(const std::string& what, std::int32_t result, const Step& step) {
        if ((result != 0) != (step.status == kStatusOk)) {
            fail(what + " returned " + std::to_string(result));
        }
    }

    void windowRect(WindowHandle handle, const Step& step) {
        const RECT untouched{-7, -7, -7, -7};
        RECT rect = untouched;
        const std::int32_t result = toolkit_.GetWindowRect(handle, rect);
        declared("GetWindowRect", result, step);
        if (result == 0) {
            if (rect != untouched) {
                fail("a failed GetWindowRect wrote " + text(rect));
            }
            return;
        }
        Twips top = 0;
        Twips left = 0;
        Twips width = 0;
        Twips height = 0;
        toolkit_.Top(top);
        toolkit_.Left(left);
        toolkit_.Width(width);
        toolkit_.Height(height);
        const RECT properties{static_cast<std::int32_t>(left / kTwipsPerPixel),
                              static_cast<std::int32_t>(top / kTwipsPerPixel),
                              static_cast<std::int32_t>((left + width) / kTwipsPerPixel),
                              static_cast<std::int32_t>((top + height) / kTwipsPerPixel)};
        if (rect != properties) {
            fail("GetWindowRect gave " + text(rect) + ", the properties " + text(properties));
        }
    }

    Subject& subject_;
    Toolkit& toolkit_;
    WindowHandle handle_ = 0;
    std::optional<POINT> pointer_; // where the case last put the pointer
    std::string prefix_;
};

} // namespace

std::vector<std::string_view> caseNames() {
    std::vector<std::string_view> names;
    for (const Case& each : table()) {
        names.push_back(each.name);
    }
    return names;
}

std::vector<std::string> runCase(Subject& subject, std::size_t index) {
    const Case& chosen = table().at(index);
    Run run(subject, subject.fresh());
    for (std::size_t i = 0; i < chosen.steps.size(); ++i) {
        run.step(i, chosen.steps[i]);
    }
    return run.failures;
}

} // namespace tolvane::contract
