#!/usr/bin/env python3
"""Mutter 43 (Debian 12) on Xvfb keeps a window black that first paints a while after it is mapped, shown with
plain windows of the test's own and none of the program's: why wait_painted in test_docking.py moves the
program's window away and back under Mutter 43, and under no other manager.

Mutter draws the frame of a newly mapped window and animates its appearance. A window that paints a solid
colour as soon as it is exposed is shown in that colour. One that paints first some tenths of a second after
its expose can be kept black for good: its own pixels on the X server are the colour, Mutter sent it nothing
to answer, and only a move (or anything else that has Mutter take the window's pixels anew) has the colour
shown. The program, slowed down by a busy machine, paints its first frame that late now and then.

Asserted, under Mutter started by the X session as the docking tests start it, in one of ATTEMPTS attempts
(each a session of its own with WINDOWS plain windows mapped at once, each painting once, after its own
delay), for every window the screen shows black on every screenshot over STAYS_S:
1. its own pixels are the colour;
2. moved, it is shown in the colour.
Not deterministic: measured with delays of 0.08 to 0.52 s after the expose, some windows were kept black in
3 of 7 sessions on an idle machine and 4 of 6 beside two busy cores, those painting at 0.16 to 0.32 s most
often, and none in 25 sessions running alone on a quiet machine. Where no attempt shows it the test is
skipped and says so: that proves nothing either way. Shown on busy machines, again and again, it stays the
reason for wait_painted's nudge under Mutter 43.

Usage: mutter_black_window.py
"""

import ctypes
import sys
import time

from onscreen_wm import Event, load_xlib
from xsession import STATE_TIMEOUT_S, Failure, XSession, check, mutter_43

ATTEMPTS = 10
# Seconds from a window's expose to its one paint: four at once, the rest across the time Mutter was seen to
# lose the paint in.
DELAYS = [0.0] * 4 + [round(0.08 + 0.04 * i, 2) for i in range(12)]
WINDOWS = len(DELAYS)
WIDTH, HEIGHT = 200, 150
COLOUR, PIXEL = (0x20, 0x80, 0xC0), 0x2080C0
BLACK = (0, 0, 0)
# How long a window must show black after its paint to count as kept black: many times Mutter's animation of a
# newly mapped window, after which a painted window is shown within a frame or two.
STAYS_S = 2.0
EXPOSE = 12
EXPOSURE_MASK = 1 << 15
US_POSITION, P_POSITION = 1, 4
XA_WM_SIZE_HINTS, XA_WM_NORMAL_HINTS = 41, 40


def load():
    xlib = load_xlib()
    xlib.XSetWindowBackgroundPixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    xlib.XCreateGC.restype = ctypes.c_void_p
    xlib.XCreateGC.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_void_p]
    xlib.XSetForeground.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_ulong]
    xlib.XFillRectangle.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p] + [ctypes.c_int] * 2 + \
        [ctypes.c_uint] * 2
    xlib.XPending.argtypes = [ctypes.c_void_p]
    return xlib


class Window:
    """A plain top-level window without a background, so that nothing but its one paint puts colour in it,
    at a place of its own in a grid that keeps the windows apart, frames included."""

    def __init__(self, xlib, display, root, index, delay):
        self.xlib, self.display, self.delay = xlib, display, delay
        self.place = (20 + (index % 4) * 300, 60 + (index // 4) * 240)
        self.id = xlib.XCreateSimpleWindow(display, root, *self.place, WIDTH, HEIGHT, 0, 0, 0)
        xlib.XSetWindowBackgroundPixmap(display, self.id, 0)  # None
        hints = (ctypes.c_long * 18)(US_POSITION | P_POSITION, *self.place)
        xlib.XChangeProperty(display, self.id, XA_WM_NORMAL_HINTS, XA_WM_SIZE_HINTS, 32, 0, hints, 18)
        xlib.XSelectInput(display, self.id, EXPOSURE_MASK)
        self.gc = xlib.XCreateGC(display, self.id, 0, None)
        xlib.XSetForeground(display, self.gc, PIXEL)
        self.exposed = self.painted = None

    def paint_when_due(self, now):
        if self.painted is None and self.exposed is not None and now - self.exposed >= self.delay:
            self.xlib.XFillRectangle(self.display, self.id, self.gc, 0, 0, WIDTH, HEIGHT)
            self.xlib.XFlush(self.display)
            self.painted = now


def map_and_paint(xlib, display, windows):
    """Maps every window at once and has each paint once, its delay after its first expose."""
    for window in windows:
        xlib.XMapWindow(display, window.id)
    xlib.XSync(display, 0)
    by_id = {window.id: window for window in windows}
    event = Event()
    deadline = time.monotonic() + STATE_TIMEOUT_S
    while any(window.painted is None for window in windows):
        check(time.monotonic() < deadline, "Mutter did not expose every window: " +
              str([w.id for w in windows if w.exposed is None]))
        while xlib.XPending(display):
            xlib.XNextEvent(display, ctypes.byref(event))
            # An Expose's window sits where a MapRequest's parent does.
            if event.type == EXPOSE and by_id[event.map.parent].exposed is None:
                by_id[event.map.parent].exposed = time.monotonic()
        now = time.monotonic()
        for window in windows:
            window.paint_when_due(now)
        time.sleep(0.002)


def shown(x, window):
    """The colour the screen shows at the window's centre."""
    geometry = x.geometry(window.id)
    return x.screenshot().pixel(*geometry.center())


def attempt(number):
    """One session; returns how many windows Mutter kept black, having checked 1 and 2 on them."""
    with XSession() as x:
        x.start_window_manager("mutter")
        xlib = load()
        display = xlib.XOpenDisplay(x.display.encode())
        check(display, "cannot open " + x.display)
        try:
            root = xlib.XDefaultRootWindow(display)
            windows = [Window(xlib, display, root, i, delay) for i, delay in enumerate(DELAYS)]
            map_and_paint(xlib, display, windows)

            # Which windows show black throughout STAYS_S.
            centres = {w: x.geometry(w.id).center() for w in windows}
            black = set(windows)
            deadline = time.monotonic() + STAYS_S
            while time.monotonic() < deadline:
                shot = x.screenshot()
                black = {w for w in black if shot.pixel(*centres[w]) == BLACK}
                time.sleep(0.05)
            # These windows paint once and answer no later expose: one whose pixels the server dropped (its
            # frame was made after it painted) is black on the server too, and nothing of Mutter's.
            own = {w: x.window_shot(w.id).pixel(WIDTH // 2, HEIGHT // 2) for w in black}
            lost = {w for w in black if own[w] == BLACK}
            black -= lost
            delays = ", ".join(f"{w.delay:.2f}" for w in sorted(black, key=lambda w: w.delay))
            print(f"attempt {number}: Mutter kept {len(black)} of {len(windows)} windows black" +
                  (f" (painted {delays} s after their expose)" if black else "") +
                  (f"; {len(lost)} more black on the server too, not counted" if lost else ""))
            if not black:
                return 0

            # 1 and 2, on each window kept black.
            for window in black:
                check(own[window] == COLOUR, f"a window painted {window.delay} s after its expose shows black and "
                      f"its own pixels are {own[window]}, not {COLOUR}: it never painted, Mutter is not at fault")
                moved = (window.place[0] + 50, window.place[1] + 30)
                x.run("xdotool", "windowmove", str(window.id), *(str(v) for v in moved))
                deadline = time.monotonic() + STATE_TIMEOUT_S
                while (colour := shown(x, window)) != COLOUR:
                    check(time.monotonic() < deadline, f"a window Mutter kept black still shows {colour} once "
                          "moved: a move no longer has Mutter show it, and wait_painted's nudge would not help")
                    time.sleep(0.05)
            return len(black)
        finally:
            xlib.XCloseDisplay(display)


def test():
    """Whether some attempt showed the fault."""
    return any(attempt(number) for number in range(1, ATTEMPTS + 1))


# CTest's SKIP_RETURN_CODE for this test.
SKIPPED = 77


if __name__ == "__main__":
    if not mutter_43():
        # The docking tests move no window under another Mutter, so a black window there fails them.
        print("SKIP: not Mutter 43: the docking tests nudge no window under it; this shows Mutter 43's fault only")
        sys.exit(SKIPPED)
    try:
        shown_once = test()
    except Failure as failure:
        print("FAIL:", failure)
        print("0 passed, 1 failed")
        sys.exit(1)
    if not shown_once:
        # How often Mutter does it depends on the machine's load: a quiet machine can go many sessions
        # without it, which proves nothing either way.
        print(f"SKIP: Mutter kept no painted window black in {ATTEMPTS} sessions on this machine now; not shown "
              "this time, and not shown gone: run it again on a busy machine before taking wait_painted's nudge out")
        sys.exit(SKIPPED)
    print("1 passed, 0 failed")
