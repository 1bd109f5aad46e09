// What screen readers learn of the window's labels through Qt's accessibility (AT-SPI on Linux). The
// labels are painted on the window's own surface, not widgets, so Qt knows nothing of them by itself:
// the window's accessible interface reports each label as a child of its own, named by its caption,
// with the picture boxes, all in the window's tab order. Clickable labels (the ages and the exit) are
// buttons with a press action, the ages checkable and the selected one checked; the others static text,
// the value labels described by the sex and measure their captions stand under.
#pragma once

#include <cstddef>

namespace tolvane::qt {

class FormWindow;

// Teaches Qt's accessibility the window's labels; once per process, before or after any window exists.
void installLabelAccessibility();

// Tells assistive technology that a label's caption, and so its accessible name, has changed, so that a
// screen reader announces the new text. Costs nothing while no assistive technology listens.
void announceCaptionChange(FormWindow& window, std::size_t label);

// Tells assistive technology that a label became, or stopped being, the chosen one (its checked state).
void announceChosenChange(FormWindow& window, std::size_t label);

} // namespace tolvane::qt
