#include "tick_comparison.h"

#include "docking/docking_step.h"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <sstream>

namespace tolvane::reliability {

namespace {

constexpr int kTicksPerToolkit = 1 << 16;

std::string hexFloat(Twips value) {
    char text[48];
    std::snprintf(text, sizeof text, "%a", double{value});
    return text;
}

bool sameBits(Twips a, Twips b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

std::string joined(const std::vector<std::string>& log) {
    std::string text;
    for (const std::string& entry : log) {
        text += "\n    " + entry;
    }
    return text;
}

} // namespace

std::string describe(const TickSituation& s) {
    std::ostringstream text;
    text << "pointer (" << s.pointer.x << ", " << s.pointer.y << ") result " << s.cursorResult << "; rect ("
         << s.rect.left << ", " << s.rect.top << ", " << s.rect.right << ", " << s.rect.bottom << ") result "
         << s.rectResult << "; hWnd " << s.handle << "; WindowState " << s.windowState << "; Top "
         << hexFloat(s.top) << ", Left " << hexFloat(s.left) << ", Width " << hexFloat(s.width) << ", Height "
         << hexFloat(s.height) << ", Screen.Width " << hexFloat(s.screenWidth) << ", TwipsPerPixel "
         << hexFloat(s.twipsPerPixel) << "; monitors (result " << s.monitorsResult << ", count "
         << s.monitors.count << ")";
    for (std::size_t i = 0; i < std::min<std::size_t>(s.monitors.count, DisplayMonitors::kCapacity); ++i) {
        const DisplayMonitor& m = s.monitors.monitors[i];
        text << " (" << m.rect.left << ", " << m.rect.top << ", " << m.rect.right << ", " << m.rect.bottom
             << (m.primary ? ", primary)" : ")");
    }
    text << "; failing operation " << s.failingOperation << " with status " << s.failingStatus;
    return text.str();
}

std::vector<std::string> logOf(const ModelOutcome& outcome, WindowHandle handle) {
    using Kind = ModelStep::Kind;
    std::vector<std::string> log;
    log.reserve(outcome.steps.size());
    for (const ModelStep& step : outcome.steps) {
        std::string entry;
        switch (step.kind) {
        case Kind::GetCursorPos:
            entry = "GetCursorPos";
            break;
        case Kind::GetWindowRect:
            entry = "GetWindowRect(" + std::to_string(handle) + ")";
            break;
        case Kind::EnumDisplayMonitors:
            entry = "EnumDisplayMonitors";
            break;
        case Kind::ReadHWnd:
            entry = "Frmbzz.hWnd";
            break;
        case Kind::ReadWindowState:
            entry = "Frmbzz.WindowState";
            break;
        case Kind::ReadTop:
            entry = "Frmbzz.Top";
            break;
        case Kind::ReadLeft:
            entry = "Frmbzz.Left";
            break;
        case Kind::ReadWidth:
            entry = "Frmbzz.Width";
            break;
        case Kind::ReadHeight:
            entry = "Frmbzz.Height";
            break;
        case Kind::ReadScreenWidth:
            entry = "Screen.Width";
            break;
        case Kind::ReadTwipsPerPixelX:
            entry = "Screen.TwipsPerPixelX";
            break;
        case Kind::ReadTwipsPerPixelY:
            entry = "Screen.TwipsPerPixelY";
            break;
        case Kind::WriteTop:
            entry = "Frmbzz.Top=" + testing::twipsText(step.written);
            break;
        case Kind::WriteLeft:
            entry = "Frmbzz.Left=" + testing::twipsText(step.written);
            break;
        case Kind::Show:
            entry = "Frmbzz.Show";
            break;
        }
        if (step.failed) {
            entry += " failed";
        }
        log.push_back(std::move(entry));
    }
    return log;
}

std::string TickComparison::compare(const TickSituation& s, ModelRow& row) {
    if (++ticksOnThisToolkit_ > kTicksPerToolkit) {
        toolkit_ = testing::FakeToolkit{};
        ticksOnThisToolkit_ = 1;
    }
    testing::FakeToolkit& toolkit = toolkit_;
    toolkit.log.clear();
    toolkit.untrapped.clear();
    toolkit.clearFailure();
    if (s.failingOperation > 0) {
        toolkit.failOperation(s.failingOperation, s.failingStatus);
    }
    toolkit.cursor = s.pointer;
    toolkit.windowRect = s.rect;
    toolkit.cursorResult = s.cursorResult;
    toolkit.windowRectResult = s.rectResult;
    toolkit.handle = s.handle;
    toolkit.windowState = s.windowState;
    toolkit.top = s.top;
    toolkit.left = s.left;
    toolkit.topWritten.reset();
    toolkit.leftWritten.reset();
    toolkit.width = s.width;
    toolkit.height = s.height;
    toolkit.screenWidth = s.screenWidth;
    toolkit.twipsPerPixel = s.twipsPerPixel;
    toolkit.monitors = s.monitors.count > 0 ? std::optional(s.monitors) : std::nullopt;
    toolkit.monitorsResult = s.monitorsResult;
    toolkit.visible = false;

    dispatch(Timer1_Timer, toolkit);
    const ModelOutcome expected = modelTick(s);
    row = expected.row;
    lastOnSeveral_ = expected.onSeveralMonitors;

    std::string differences;
    const std::vector<std::string> expectedLog = logOf(expected, s.handle);
    if (toolkit.log != expectedLog) {
        differences +=
            "\n  operations made:" + joined(toolkit.log) + "\n  operations expected:" + joined(expectedLog);
    }
    // The values the core wrote, before the window put them on whole pixels.
    const Twips top = toolkit.topWritten.value_or(toolkit.top);
    const Twips left = toolkit.leftWritten.value_or(toolkit.left);
    if (!sameBits(top, expected.top) || !sameBits(left, expected.left)) {
        differences += "\n  Top, Left after the tick: " + hexFloat(top) + ", " + hexFloat(left) +
                       "; expected " + hexFloat(expected.top) + ", " + hexFloat(expected.left);
    }
    if (toolkit.visible != expected.shown) {
        differences += std::string("\n  shown: ") + (toolkit.visible ? "yes" : "no") + "; expected " +
                       (expected.shown ? "yes" : "no");
    }
    const bool raised = !toolkit.untrapped.empty();
    if (toolkit.untrapped.size() > 1 || raised != expected.error.has_value() ||
        (raised && (toolkit.untrapped[0].status() != expected.error->status ||
                    toolkit.untrapped[0].object() != expected.error->object))) {
        differences += "\n  run-time error: ";
        differences += raised
                           ? std::to_string(toolkit.untrapped[0].status()) + " in " +
                                 toolkit.untrapped[0].object() + " (" + toolkit.untrapped[0].operation() + ")"
                           : "none";
        differences += "; expected ";
        differences += expected.error
                           ? std::to_string(expected.error->status) + " in " + expected.error->object
                           : "none";
        if (toolkit.untrapped.size() > 1) {
            differences += "; raised " + std::to_string(toolkit.untrapped.size()) + " times";
        }
    }
    if (differences.empty()) {
        return differences;
    }
    return "situation: " + describe(s) + differences;
}

} // namespace tolvane::reliability
