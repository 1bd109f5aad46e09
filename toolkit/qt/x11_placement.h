// Where a top-level window really is on an X11 screen, and asking the window manager to put it elsewhere.
//  - the client area's corner as the X server has it, not as Qt last asked for it
//  - a move of the frame's outer corner through the window manager (_NET_MOVERESIZE_WINDOW)
//
// Qt takes a top-level window to be where it last asked for it until the X server reports otherwise, and
// a window manager that refuses a move (mutter keeps ordinary windows on the screen) reports nothing. So
// the layer asks the X server where the window is. Both answer nothing off X11 (Qt's offscreen or
// Wayland platform), and the layer then takes Qt's word and moves the window through Qt.
#pragma once

#include <QPoint>
#include <optional>

class QWidget;

namespace tolvane::qt {

// The window's client area's top-left corner in Qt's global logical pixels, as the X server has it now.
std::optional<QPoint> clientOriginOnX11(const QWidget& window);

// Asks a running EWMH window manager that offers _NET_MOVERESIZE_WINDOW to put the frame's outer top-left
// corner at outerTopLeft (global logical pixels); returns whether it asked. The manager moves the window
// when it gets to it, or clamps or refuses the move by its own rules.
bool askWindowManagerToMove(const QWidget& window, QPoint outerTopLeft);

} // namespace tolvane::qt
