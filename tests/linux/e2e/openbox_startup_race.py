#!/usr/bin/env python3
"""Openbox's start-up gap, shown with a few plain windows and none of the program's: why the X session waits
for the end of Openbox's start-up (start_window_manager in xsession.py), and that the wait closes the gap.

Openbox 3.6 takes the screen and sets _NET_SUPPORTING_WM_CHECK long before its main loop runs. Just before
that loop it adopts the windows already mapped (on a bare screen only its own support window), looking for
an unmap of each in its queue after a sync with the server: that reads every event that came in since it
took the screen, map requests included, out of Xlib into a queue of Openbox's own. Its main loop asks only
Xlib whether events wait, so it sleeps with those requests unanswered until something else arrives.

Asserted, with Openbox started bare:
1. in one of a few attempts, windows mapped the moment _NET_SUPPORTING_WM_CHECK appears are still unmapped
   once Openbox has run its start-up command and sleeps in its main loop's poll;
2. a property change on the root window, an event Openbox listens for and has no use for, has them mapped:
   the requests were held, not lost.
And with Openbox started by the X session, windows mapped the moment start_window_manager returns are mapped
with nothing else happening. Should 1 fail, Openbox no longer holds map requests and the wait can go.

Usage: openbox_startup_race.py
"""

import ctypes
import os
import re
import shlex
import sys
import time

from onscreen_wm import load_xlib
from xsession import STARTUP_TIMEOUT_S, STATE_TIMEOUT_S, Failure, XSession, check

WINDOWS = 4
ATTEMPTS = 5
XA_STRING = 31


class Client:
    """A connection of the test's own with a few plain top-level windows, made unmapped."""

    def __init__(self, x):
        self.x = x
        self.xlib = load_xlib()
        self.xlib.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                                 ctypes.c_long, ctypes.c_int, ctypes.c_ulong] + \
            [ctypes.c_void_p] * 5
        self.xlib.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.xlib.XOpenDisplay(x.display.encode())
        check(self.display, "cannot open " + x.display)
        self.root = self.xlib.XDefaultRootWindow(self.display)
        self.windows = [self.xlib.XCreateSimpleWindow(self.display, self.root, 40 * i, 0, 32, 32, 0, 0, 0xFFFFFF)
                        for i in range(WINDOWS)]
        self.xlib.XSync(self.display, 0)

    def close(self):
        self.xlib.XCloseDisplay(self.display)

    def atom(self, name):
        return self.xlib.XInternAtom(self.display, name.encode(), 0)

    def manager_announced(self):
        kind, size, count, left, data = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong(), \
            ctypes.c_void_p()
        self.xlib.XGetWindowProperty(self.display, self.root, self.atom("_NET_SUPPORTING_WM_CHECK"), 0, 1, 0, 0,
                                     *(ctypes.byref(v) for v in (kind, size, count, left, data)))
        if data:
            self.xlib.XFree(data)
        return count.value > 0

    def map_all(self):
        for window in self.windows:
            self.xlib.XMapWindow(self.display, window)
        self.xlib.XSync(self.display, 0)

    def unmapped(self):
        """The windows that are not on the screen: mapped by this client, not yet by the manager."""
        return [w for w in self.windows if "IsViewable" not in self.x.run("xwininfo", "-id", str(w))]

    def touch_root(self):
        self.xlib.XChangeProperty(self.display, self.root, self.atom("TOLVANE_TOUCH"), XA_STRING, 8, 0, None, 0)
        self.xlib.XSync(self.display, 0)


def asleep_in_main_loop(pid):
    """Openbox's count of sleeps while it sleeps in its main loop's poll, on its X connection and GLib's wake-up
    descriptor (a wait for a reply polls one descriptor); None otherwise."""
    with open(f"/proc/{pid}/wchan") as wchan, open(f"/proc/{pid}/syscall") as syscall:
        if "poll" not in wchan.read() or syscall.read().split()[2:3] != ["0x2"]:
            return None
    with open(f"/proc/{pid}/status") as status:
        return re.search(r"^voluntary_ctxt_switches:\s*(\d+)", status.read(), re.MULTILINE).group(1)


def held_map_requests():
    """Starts Openbox bare and maps the windows as soon as it announces itself; returns how many of them it
    leaves unmapped once past its start-up, and whether touching the root window has them mapped."""
    with XSession() as x:
        client = Client(x)
        try:
            x.start_session_bus()
            started = os.path.join(x.workdir, "started")
            openbox = x.start(["openbox", "--sm-disable", "--startup", shlex.join(["touch", started])],
                              name="openbox", group=True)
            deadline = time.monotonic() + STARTUP_TIMEOUT_S
            while not client.manager_announced():
                check(time.monotonic() < deadline, "openbox did not start: " + x.log("openbox"))
                time.sleep(0.001)
            client.map_all()
            # Asleep in the main loop throughout a look at the windows: nothing reached Openbox meanwhile.
            while True:
                sleeps = asleep_in_main_loop(openbox.pid) if os.path.exists(started) else None
                unmapped = client.unmapped()
                if sleeps is not None and sleeps == asleep_in_main_loop(openbox.pid):
                    break
                check(time.monotonic() < deadline, "openbox never settled in its main loop: " + x.log("openbox"))
                time.sleep(0.02)
            if not unmapped:
                return 0, None
            client.touch_root()
            deadline = time.monotonic() + STATE_TIMEOUT_S
            while client.unmapped() and time.monotonic() < deadline:
                time.sleep(0.05)
            return len(unmapped), not client.unmapped()
        finally:
            client.close()


def test():
    for attempt in range(1, ATTEMPTS + 1):
        held, released = held_map_requests()
        if held:
            break
    check(held, f"Openbox mapped every window mapped during its start-up, in {ATTEMPTS} attempts")
    print(f"attempt {attempt}: Openbox left {held} of {WINDOWS} windows mapped during its start-up unmapped")
    check(released, "touching the root window did not have Openbox map the windows it left unmapped")

    with XSession() as x:
        x.start_window_manager("openbox")
        client = Client(x)
        try:
            client.map_all()
            deadline = time.monotonic() + STATE_TIMEOUT_S
            while unmapped := client.unmapped():
                check(time.monotonic() < deadline,
                      f"{len(unmapped)} windows mapped once the X session had Openbox running are still unmapped")
                time.sleep(0.05)
        finally:
            client.close()


if __name__ == "__main__":
    try:
        test()
    except Failure as failure:
        print("FAIL:", failure)
        print("0 passed, 1 failed")
        sys.exit(1)
    print("1 passed, 0 failed")
