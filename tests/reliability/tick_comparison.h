// Runs the program's docking step on the recording fake and holds it against the model, operation by
// operation: what was read and written, the values written, Show, and the run-time error raised.
#pragma once

#include "docking_model.h"
#include "fake_toolkit.h"
#include "tick_situation.h"

#include <string>

namespace tolvane::reliability {

class TickComparison {
  public:
    // Empty when the program and the model agree on the tick; otherwise what differs, with the
    // situation, so that the tick can be replayed. `row` receives the model's row either way.
    std::string compare(const TickSituation& situation, ModelRow& row);
    // Whether the last tick compared was one on a desktop of several monitors.
    bool lastOnSeveralMonitors() const { return lastOnSeveral_; }

  private:
    // One fake serves many ticks; it is renewed now and then so that its operation count stays small.
    testing::FakeToolkit toolkit_;
    int ticksOnThisToolkit_ = 0;
    bool lastOnSeveral_ = false;
};

// The model's steps written the way the fake logs operations.
std::vector<std::string> logOf(const ModelOutcome& outcome, WindowHandle handle);

} // namespace tolvane::reliability
