#include "session_script.h"

#include "app/form_handlers.h"
#include "docking/docking_step.h"
#include "reference/age_selection.h"

#include <array>
#include <utility>

namespace tolvane::reliability {

namespace {

constexpr int kTicks = 200;
constexpr int kTicksPerClick = 4;

const std::array<std::pair<const char*, Handler>, 25> kAgeClicks{{
    {"Label2_Click", Label2_Click},   {"Label3_Click", Label3_Click},   {"Label4_Click", Label4_Click},
    {"Label5_Click", Label5_Click},   {"Label6_Click", Label6_Click},   {"Label7_Click", Label7_Click},
    {"Label8_Click", Label8_Click},   {"Label10_Click", Label10_Click}, {"Label12_Click", Label12_Click},
    {"Label14_Click", Label14_Click}, {"Label15_Click", Label15_Click}, {"Label16_Click", Label16_Click},
    {"Label18_Click", Label18_Click}, {"Label19_Click", Label19_Click}, {"Label20_Click", Label20_Click},
    {"Label21_Click", Label21_Click}, {"Label22_Click", Label22_Click}, {"Label23_Click", Label23_Click},
    {"Label24_Click", Label24_Click}, {"Label25_Click", Label25_Click}, {"Label26_Click", Label26_Click},
    {"Label27_Click", Label27_Click}, {"Label28_Click", Label28_Click}, {"Label29_Click", Label29_Click},
    {"Label30_Click", Label30_Click},
}};

// Where the user is before tick t: the window is 480 by 536 pixels on a screen 1920 pixels wide.
void userBeforeTick(testing::FakeToolkit& toolkit, int t) {
    auto pointerAt = [&toolkit](std::int32_t x, std::int32_t y) { toolkit.cursor = {x, y}; };
    if (t < 50) { // at the top edge where the window opens
        if (t < 10 || t >= 30) {
            pointerAt(1000 + 5 * t, 900);
        } else if (t < 20) {
            pointerAt(100 + t, 1); // on the strip left visible at the top
        } else {
            pointerAt(100, 1 + 50 * (t - 20)); // down over the revealed window
        }
    } else if (t < 100) { // dragged against the left edge
        if (t == 50) {
            toolkit.top = 3000;
            toolkit.left = 0;
        }
        if (t < 60 || t >= 80) {
            pointerAt(1000, 900 - t);
        } else if (t < 70) {
            pointerAt(1, 300 + t); // on the strip at the left
        } else {
            pointerAt(1 + 40 * (t - 70), 400);
        }
    } else if (t < 150) { // dragged against the right edge
        if (t == 100) {
            toolkit.top = 3000;
            toolkit.left = 21600;
        }
        if (t < 110 || t >= 130) {
            pointerAt(500, 900 - t);
        } else if (t < 120) {
            pointerAt(1918, 400); // on the strip at the right
        } else {
            pointerAt(1900 - 30 * (t - 120), 400);
        }
    } else { // against no edge, then minimized, then back at the top
        if (t == 150) {
            toolkit.top = 3000;
            toolkit.left = 6000;
        }
        if (t < 170) {
            pointerAt(380 + 20 * (t - 150), 400); // across the window and off it
        } else if (t < 180) {
            if (t == 170) {
                toolkit.windowState = vbMinimized;
                toolkit.top = 0; // the user drags the minimized window's place to the top
            }
            pointerAt(450, 100);
        } else {
            if (t == 180) {
                toolkit.windowState = vbNormal;
            }
            pointerAt(t < 190 ? 1500 : 450, t < 190 ? 900 : 1);
        }
    }
}

} // namespace

std::vector<SessionEvent> scriptedSession() {
    std::vector<SessionEvent> events;
    events.push_back({SessionEvent::Kind::Load, "Form_Load", Form_Load, {}});
    int clicks = 0;
    for (int t = 0; t < kTicks; ++t) {
        events.push_back({SessionEvent::Kind::Tick, "Timer1_Timer #" + std::to_string(t + 1), Timer1_Timer,
                          [t](testing::FakeToolkit& toolkit) { userBeforeTick(toolkit, t); }});
        if (t % kTicksPerClick == kTicksPerClick - 1) {
            // Seven apart, so that the 50 clicks go over all 25 ages twice in a scattered order.
            const auto& [name, handler] = kAgeClicks[static_cast<std::size_t>(clicks * 7 % 25)];
            events.push_back({SessionEvent::Kind::AgeClick, name, handler, {}});
            ++clicks;
        }
    }
    events.push_back({SessionEvent::Kind::Exit, "Label17_Click", Label17_Click, {}});
    return events;
}

testing::FakeToolkit sessionToolkit() {
    testing::FakeToolkit toolkit;
    toolkit.rectFollowsProperties = true;
    toolkit.cursor = {1000, 900};
    return toolkit;
}

} // namespace tolvane::reliability
