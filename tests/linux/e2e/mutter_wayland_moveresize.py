#!/usr/bin/env python3
"""A reproducer, not a test: Mutter as a Wayland compositor moves an X11 window's other coordinate when a client
asks it, with the EWMH's _NET_MOVERESIZE_WINDOW, to move one: with x alone the window also goes 8 pixels up,
with y alone 10 pixels left, on every request, also wholly on the screen; given both, it goes exactly there.
Seen with Mutter 43 (Debian 12). No program of ours takes part: the window is xmessage's.

The Linux layer asks the window manager for the one coordinate the program wrote; under Mutter on Wayland a
window pushed against the left or right edge creeps upwards by 8 pixels a tick instead of hiding, and one
against the top edge away from the left creeps leftwards, since every request is another off-screen move.

Usage: /usr/bin/python3 mutter_wayland_moveresize.py   (Debian's Python, for python3-gi; prints where the window is
after each request)
"""

import os
import time

from wayland_session import MutterWaylandSession

NORTH_WEST, X, Y, FROM_APPLICATION = 1, 1 << 8, 1 << 9, 1 << 12
TO_MANAGER = (1 << 19) | (1 << 20)  # SubstructureNotify and SubstructureRedirect on the root


def place(x, window):
    geometry = x.geometry(window)
    return geometry.x, geometry.y


with MutterWaylandSession() as x:
    os.environ["XAUTHORITY"] = x.env["XAUTHORITY"]  # the client message goes out through Xlib in this process
    x.start(["xmessage", "-geometry", "+400+300", "a window"], name="xmessage")
    window = x.find_window("xmessage")
    for what, flags, left, top in [("x alone to 500", X, 500, 0)] * 3 + [("y alone to 250", Y, 0, 250)] * 3 + \
            [("both to 600, 200", X | Y, 600, 200)] * 2:
        x._client_message(None, window, "_NET_MOVERESIZE_WINDOW", [NORTH_WEST | FROM_APPLICATION | flags, left, top],
                          event_mask=TO_MANAGER)
        time.sleep(0.5)  # a reproducer to read, not a test: Mutter answers within a frame or two
        print(f"{what}: the client area's corner is at {place(x, window)}")
