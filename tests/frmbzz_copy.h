// Frmbzz with some of its handlers or its caption changed, for tests that build a layer's real window
// from it. Not copyable: the layer keeps pointers into it.
#pragma once

#include "app/frmbzz.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace tolvane::testing {

struct FrmbzzCopy {
    explicit FrmbzzCopy(Handler load = Frmbzz.load)
        : controls(Frmbzz.controls.begin(), Frmbzz.controls.end()), window(Frmbzz) {
        window.load = load;
        window.controls = controls;
    }
    FrmbzzCopy(const FrmbzzCopy&) = delete;
    FrmbzzCopy& operator=(const FrmbzzCopy&) = delete;

    ControlDescription& control(std::string_view name) {
        return *std::ranges::find_if(controls, [&](const ControlDescription& c) { return c.name == name; });
    }

    std::vector<ControlDescription> controls;
    WindowDescription window;
};

// Frmbzz without its Load handler and its timer's, so that nothing shows or moves the window but the
// test.
struct QuietFrmbzz : FrmbzzCopy {
    explicit QuietFrmbzz(std::string_view caption = Frmbzz.caption) : FrmbzzCopy(nullptr) {
        for (ControlDescription& control : controls) {
            control.tick = nullptr;
        }
        window.caption = caption;
    }
};

} // namespace tolvane::testing
