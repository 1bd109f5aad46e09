// The contract every implementation of the toolkit services keeps: one table of operations and the
// results they must give, statuses included, run alike against the tests' fake, the Qt layer (offscreen
// and on X11 under a window manager) and the Win32 layer under Wine. Plain C++ on the core alone, so
// that every test runner can take it in.
#pragma once

#include "toolkit/toolkit.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::contract {

// One implementation, as the contract drives it.
class Subject {
  public:
    virtual ~Subject() = default;
    // A new window of Frmbzz, built, shown and not topmost, its outer corner at the screen's top left;
    // the previous one is gone.
    virtual Toolkit& fresh() = 0;
    // Whether the window is in the topmost band.
    virtual bool topmost() = 0;
};

// The names of the table's cases, in order.
std::vector<std::string_view> caseNames();

// Runs one case on a fresh window; every result that differs from the required one, as a sentence.
std::vector<std::string> runCase(Subject& subject, std::size_t index);

} // namespace tolvane::contract
