#!/usr/bin/env python3
"""End to end under a real window manager (Openbox): the frame's outer corner at the screen's corner,
the window kept above others, the title-bar functions the program asks for, a click through the frame's
offset, and a close through the window manager ending the program with status 0.

Usage: test_window_manager.py PROGRAM LAYOUT_TOOL
"""

import subprocess
import time

from window_checks import fill_colour, screen_point
from xsession import Failure, XSession, check, main

# Motif window-manager hints, the way toolkits tell a window manager which title-bar functions and
# buttons a window has.
MWM_HINTS_FUNCTIONS, MWM_HINTS_DECORATIONS = 0x1, 0x2
MWM_FUNC_RESIZE, MWM_FUNC_MOVE, MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE, MWM_FUNC_CLOSE = 0x2, 0x4, 0x8, 0x10, 0x20
MWM_DECOR_TITLE, MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 0x8, 0x20, 0x40


def framed(x, window):
    """The frame's extents (left, right, top, bottom) and the client area, once the window manager has
    framed the window and put it where it asked to be."""
    for _ in range(200):
        extents = x.property(window, "_NET_FRAME_EXTENTS")
        if extents:
            left, right, top, bottom = (int(v) for v in extents.split(","))
            client = x.geometry(window)
            if (client.x, client.y) == (left, top):
                return (left, right, top, bottom), client
        time.sleep(0.05)
    client = x.geometry(window)
    raise Failure(f"the frame's corner is not at the screen's: extents {extents!r}, client at {client}")


def test(program, layout):
    with XSession() as x:
        x.start_window_manager()
        # Over the window, so that it stays where it opened (see test_selection.py); the frame moves
        # the client area by a few pixels only.
        x.move_pointer(*layout.rect("Label9").center())
        process = x.start([program])
        window = x.find_window(layout.caption)

        _, client = framed(x, window)
        check((client.width, client.height) == (layout.client_width, layout.client_height),
              f"client area is {client.width}x{client.height}")
        check("_NET_WM_STATE_ABOVE" in x.property(window, "_NET_WM_STATE"), "the window is not kept above others")

        flags, functions, decorations = (int(v, 16) for v in x.property(window, "_MOTIF_WM_HINTS").split(",")[:3])
        check(flags & MWM_HINTS_FUNCTIONS and flags & MWM_HINTS_DECORATIONS, f"no Motif hints ({flags:#x})")
        check(functions & (MWM_FUNC_CLOSE | MWM_FUNC_RESIZE | MWM_FUNC_MOVE) == MWM_FUNC_CLOSE | MWM_FUNC_RESIZE | MWM_FUNC_MOVE,
              f"the window cannot be closed, sized and moved ({functions:#x})")
        check(not functions & (MWM_FUNC_MINIMIZE | MWM_FUNC_MAXIMIZE), f"minimize or maximize offered ({functions:#x})")
        check(decorations & MWM_DECOR_TITLE, "no title bar")
        check(not decorations & (MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE), f"minimize or maximize button ({decorations:#x})")

        clicked = "Label19"
        x.wait_for(lambda s: fill_colour(s, layout, clicked, client) == layout.idle, "the window painted")
        x.click(*screen_point(layout, clicked, client))
        x.wait_for(lambda s: fill_colour(s, layout, clicked, client) == layout.highlight, f"{clicked} green")

        x.request_close(window)
        try:
            status = process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("the program is still running after the window manager closed its window")
        check(status == 0, f"exit status {status} after closing the window; program said: {x.log('program')}")


if __name__ == "__main__":
    main(test)
