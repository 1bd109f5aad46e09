#!/usr/bin/env python3
"""A display that goes away under the running program: the program says so on stderr and ends with a
failure status of its own, neither hanging nor dumping core (Qt itself would exit() from inside its
event handling, or abort()).

The display goes in three ways: the X server killed outright, the X server told to end (it closes
every connection), and the server cutting the program's connection (XKillClient, as xkill does); each
of them with the window hidden and ticking, revealed with the pointer on it, and amid a stream of clicks.

Usage: test_display_lost.py PROGRAM LAYOUT_TOOL
"""

import itertools
import signal
import subprocess
import time

from window_checks import screen_point
from xsession import Failure, XSession, check, main

EXIT_NO_DISPLAY = 2
EXIT_TIMEOUT_S = 20
AWAY = (1000, 900)
MESSAGE = "lost the connection to display"


def hidden(x, layout, window):
    x.move_pointer(*AWAY)
    x.wait_for_rect(window, lambda r: r.y < -100, "hidden at the top")


def revealed(x, layout, window):
    hidden(x, layout, window)
    x.move_pointer(100, 1)
    x.wait_for_rect(window, lambda r: r.y == -1, "revealed at the top")


def clicking(x, layout, window):
    """Leaves xdotool clicking the age labels in the background; it fails with the display, unchecked."""
    revealed(x, layout, window)
    client = x.geometry(window)
    arguments = []
    for name in layout.age_labels() * 8:
        arguments += ["mousemove", *map(str, screen_point(layout, name, client)), "click", "--delay", "0", "1",
                      "sleep", "0.01"]
    x.start(["xdotool", *arguments], name="xdotool")
    time.sleep(0.5)  # some of the clicks sent and handled before the display goes


def kill_server(x, window):
    x.processes[0].kill()


def end_server(x, window):
    x.processes[0].terminate()


def cut_connection(x, window):
    x.run("xdotool", "windowkill", str(window))


MOMENTS = [("with the window hidden", hidden), ("with the window revealed", revealed), ("amid clicks", clicking)]
WAYS = [("X server killed", kill_server), ("X server ended", end_server), ("connection cut", cut_connection)]


def test(program, layout):
    for (way, lose_display), (moment, get_there) in itertools.product(WAYS, MOMENTS):
        with XSession() as x:
            process = x.start([program])
            window = x.find_window(layout.caption)
            get_there(x, layout, window)
            lose_display(x, window)
            try:
                status = process.wait(timeout=EXIT_TIMEOUT_S)
            except subprocess.TimeoutExpired:
                raise Failure(f"{way} {moment}: the program still runs {EXIT_TIMEOUT_S} s later")
            said = x.log("program")
            what = f"{way} {moment}"
            if status < 0:
                raise Failure(f"{what}: the program ended by {signal.Signals(-status).name}; it said {said!r}")
            check(status == EXIT_NO_DISPLAY, f"{what}: exit status {status}; it said {said!r}")
            check(MESSAGE in said, f"{what}: the program said {said!r}")
            print(f"{what}: exit status {status}")


if __name__ == "__main__":
    main(test)
