// A scripted session of the whole program on the recording fake: the window loads, 200 timer ticks run
// while the pointer wanders over and off the window and the user drags it against each edge and
// minimizes it, 50 clicks fall on the age labels among the ticks, and the exit label ends it.
#pragma once

#include "fake_toolkit.h"

#include <functional>
#include <string>
#include <vector>

namespace tolvane::reliability {

struct SessionEvent {
    enum class Kind { Load, Tick, AgeClick, Exit };
    Kind kind;
    std::string name; // "Form_Load", "Timer1_Timer #17", "Label19_Click"
    Handler handler;
    // What the user does just before the event arrives: moves the pointer, drags or minimizes the window.
    std::function<void(testing::FakeToolkit&)> userBefore;
};

std::vector<SessionEvent> scriptedSession();

// A fake as the session starts: a window at the screen's top left whose rectangle follows its properties.
testing::FakeToolkit sessionToolkit();

} // namespace tolvane::reliability
