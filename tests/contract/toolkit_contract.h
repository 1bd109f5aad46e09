// The contract every implementation of the toolkit services keeps: one table of operations and the
// results they must give, statuses included, and what the window system shows after them. It runs alike
// against the tests' fake, the Qt layer (offscreen and on X11 under a window manager) and the Win32 layer
// under Wine. Plain C++ on the core alone, so that every test runner can take it in.
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

    // What the window system shows, not what the layer remembers, so that a layer that reports success
    // and does nothing fails.
    // The label as the window shows it once the program waits for events again: its pixels (&H00BBGGRR)
    // row by row from its top-left corner, which no text reaches; nothing where they cannot be read. The
    // fake, which draws nothing, gives its colour and then its caption's bytes.
    virtual std::vector<Colour> drawing(std::string_view label) = 0;
    // Hides the window from outside the layer, as the toolkit's own call does.
    virtual void hide() = 0;
    // Whether the window system comes to show the window (or, asked for false, to hide it) within a few
    // seconds: a window manager acts on a request after it returned.
    virtual bool settlesVisible(bool visible) = 0;
    // Puts the real pointer at this place (pixels from the primary screen's top-left corner) and hands the
    // program every event the window system sends about it; false where it cannot.
    virtual bool putPointer(POINT place) = 0;
};

// The names of the table's cases, in order.
std::vector<std::string_view> caseNames();

// Runs one case on a fresh window; every result that differs from the required one, as a sentence.
std::vector<std::string> runCase(Subject& subject, std::size_t index);

} // namespace tolvane::contract
