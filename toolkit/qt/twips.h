// Twips to Qt's logical pixels and back, the pixel rectangle of a described control, and the corner
// window positions are measured from.
//
// The layer draws the layout at 15 twips to a logical pixel, so 1440 twips are 96 logical pixels: one
// logical inch. Where Qt scales the screen (a device pixel ratio above 1) the whole window scales with
// it, so every described position stays a whole logical pixel, and the pointer and window rectangles
// the program reads are in the same logical pixels. Fonts, given in points of 20 twips, are sized on
// the same scale so that text keeps its size relative to its label whatever the screen's DPI.
#pragma once

#include "toolkit/description.h"

#include <QLine>
#include <QPoint>
#include <QRect>
#include <optional>

namespace tolvane::qt {

inline constexpr int kTwipsPerPixel = 15;

// The nearest whole pixel; nothing when the value is no finite number or lies beyond an int.
std::optional<int> toPixels(Twips twips);

Twips toTwips(int pixels);

// A position or size of the description: a whole number of pixels by construction.
int describedPixels(Twips twips);

// A label's or picture box's rectangle in client pixels.
QRect controlRect(const ControlDescription& control);

// A line's two end points in client pixels.
QLine controlLine(const ControlDescription& control);

int fontPixelSize(float points);

// Window positions are relative to the primary screen's top-left corner, which on X11 need not be the
// origin of the root window.
QPoint screenOrigin();

} // namespace tolvane::qt
