#!/usr/bin/env python3
"""End to end under Wine: tolvane.exe on desktops of two monitors, driven by the real pointer, and a
monitor narrowed under its window.

Placements: every layout and place of the program's own table (tolvane_layout's "monitorLayouts"), its
monitors made on the test's Xvfb with `xrandr --setmonitor` (RandR 1.5). Wine reads such monitors only
through its Xinerama path (UseXRandR=N) and only when its session starts, with the primary's top-left
corner at Windows' (0, 0); so each layout starts a Wine session of its own, and the program opens at the
primary's corner. At each place, the window's outer corner put there from another Windows program as the
table computes it from the window's size, and the pointer away: a window that stays is left there with
the pointer off it and over it; one that hides leaves a strip of 1 to 4 pixels at that monitor's edge and
nothing on the other monitor (Windows' view, and the strip seen in a screenshot), comes back one pixel
beyond that edge when the pointer touches the strip, and hides again when the pointer leaves.

Narrowed: Wine 8 tells a program of no change of the monitors, though on its RandR path (its default) it
learns of them itself. On that path the one monitor narrows from 2560 to 1280 pixels under the window,
which stood on its right half: the window comes back onto what is left, at least its strip, within the
layer's own re-reading of the monitors; the pointer on it brings it into view with the selection it showed,
still topmost.

Usage: test_monitors.py WINDOWS_BUILD_DIR LAYOUT_TOOL ARTIFACTS_DIR
"""

import os
import subprocess
import sys

from test_docking import (AWAY, CLICKED, click_label, shown_selection, stays_put, strip_on_screen,
                          wait_for_outer)
from monitor_places import NAMES, Desktop, away_from, place_window, pointer_on_strip, set_monitor
from test_screen_resize import set_screen_size
from wine_session import SKIP, Rect, check, main

X11_DRIVER = "HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver"
SCREEN = "2560x2048x24"  # the largest layout's width and height; each layout sets its own size
NARROWED_PLACE = (1700, 300)


def overlap(a, b):
    width = min(a.x + a.width, b.x + b.width) - max(a.x, b.x)
    height = min(a.y + a.height, b.y + b.height) - max(a.y, b.y)
    return max(width, 0) * max(height, 0)


def hidden_at(edge, m, corner):
    """Hidden at a monitor's edge: a strip of 1 to 4 pixels on it there, the other coordinate kept."""
    if edge == "top":
        return lambda r: 1 <= r.y + r.height - m.y <= 4 and r.x == corner[0]
    if edge == "left":
        return lambda r: 1 <= r.x + r.width - m.x <= 4 and r.y == corner[1]
    return lambda r: 1 <= m.x + m.width - r.x <= 4 and r.y == corner[1]


def revealed_at(edge, m, corner):
    """Back in view one pixel beyond the monitor's edge (10 twips at 15 twips a pixel)."""
    if edge == "top":
        return lambda r: r.y == m.y - 1 and r.x == corner[0]
    if edge == "left":
        return lambda r: r.x == m.x - 1 and r.y == corner[1]
    return lambda r: r.x + r.width == m.x + m.width + 1 and r.y == corner[1]


def make_monitors(session, data, made):
    """The layout's monitors on the X server, in root pixels, replacing those made before."""
    for name in made:
        session.run("xrandr", "--delmonitor", name)
    set_screen_size(session, *data["screen"])
    desktop = Desktop(data)
    for index, monitor in enumerate(desktop.monitors):
        set_monitor(session, index, monitor, monitor is desktop.primary)
    return NAMES[:len(desktop.monitors)]


def try_place(session, window, monitors, origin, place, size, artifacts, what):
    """One place: the window put there, then left alone, or hidden, revealed and hidden again."""
    m = monitors[place["monitor"]]
    edge = None if place["outcome"] == "stays" else place["outcome"]
    corner = place_window(m, place["anchor"], size)
    root = lambda point: (point[0] + origin[0], point[1] + origin[1])  # noqa: E731
    session.move_pointer(*root(away_from(monitors, Rect(*corner, size.width, size.height))))
    session.probe("move", *(str(v) for v in corner))
    if edge is None:
        at = wait_for_outer(session, lambda r: (r.x, r.y) == corner, f"{what}: at {corner}", size).outer
        stays_put(session, window, at, f"{what}, the pointer away", origin)
        session.move_pointer(*root(at.center()))
        stays_put(session, window, at, f"{what}, the pointer over it", origin)
        return
    hidden = wait_for_outer(session, hidden_at(edge, m, corner), f"{what}: hidden at the {edge} edge", size).outer
    for other in monitors:
        check(other is m or overlap(hidden, other) == 0, f"{what}: hidden at {hidden}, it shows on {other}")
    strip_on_screen(session, hidden, edge, origin)
    subprocess.run(["import", "-window", "root", os.path.join(artifacts, f"windows-monitors-{what}.png")],
                   env=session.env, check=True, timeout=30)
    session.move_pointer(*root(pointer_on_strip(edge, m, hidden)))
    wait_for_outer(session, revealed_at(edge, m, corner), f"{what}: back one pixel beyond the {edge} edge", size)
    session.move_pointer(*root(away_from(monitors, hidden)))
    wait_for_outer(session, lambda r: (r.x, r.y) == (hidden.x, hidden.y), f"{what}: hidden again", size)


def wine_lists(session):
    """The monitors as Windows lists them to a few lines of no code of the program's (wine_monitors.exe)."""
    status, out, err = session.wine_call([os.path.join(os.path.dirname(session.probe_exe), "wine_monitors.exe")], 60)
    check(status == 0, f"wine_monitors.exe failed ({status}): {out} {err}")
    return sorted((*map(int, line.split()[:4]), line.split()[4] == "1") for line in out.splitlines() if line.strip())


def wine_misplaces_monitors(session, name, listed, wanted):
    """Skips the test where Wine itself lists the monitors made elsewhere than they are, as Wine 10's Xinerama
    path does (every monitor at (0, 0)): the program's reading agrees with Windows', and no place of the
    table can be tried on such a desktop. Wine 8 lists them right, and the test runs whole there."""
    version = subprocess.run([session.wine, "--version"], capture_output=True, text=True, env=session.env,
                             timeout=60).stdout.strip()
    print(f"SKIP: {name}: {version} lists the monitors {listed} to any program (wine_monitors.exe), not {wanted}; "
          "the program reads the same: a fault of Wine's, not the program's")
    sys.exit(SKIP)


def placements(session, layout, artifacts):
    session.set_registry({X11_DRIVER: {"UseXRandR": "N"}})
    made = []
    for data in layout.monitor_layouts:
        made = make_monitors(session, data, made)
        session.restart()
        primary = data["monitors"][data["primary"]]
        origin = (primary[0], primary[1])
        monitors = [Rect(left - origin[0], top - origin[1], right - left, bottom - top)
                    for left, top, right, bottom in data["monitors"]]
        session.move_pointer(*AWAY)
        session.start([session.wine, session.program])
        info = session.window_info()
        listed = sorted((r.x, r.y, r.width, r.height, p) for r, p in info.monitors)
        wanted = sorted((m.x, m.y, m.width, m.height, i == data["primary"]) for i, m in enumerate(monitors))
        if listed != wanted and wine_lists(session) == listed:
            wine_misplaces_monitors(session, data["name"], listed, wanted)
        check(listed == wanted, f"{data['name']}: Windows lists the monitors {listed}, not {wanted}")
        check(info.outer.x == 0 and info.outer.y <= 0,
              f"{data['name']}: the window opened at {info.outer}, not at the primary's top-left corner")
        window = session.find_window(layout.caption)
        for place in data["placements"]:
            try_place(session, window, monitors, origin, place, info.outer, artifacts,
                      f"{data['name']}, {place['what']}")
    for name in made:
        session.run("xrandr", "--delmonitor", name)


def narrowed(session, layout):
    set_screen_size(session, 2560, 1024)
    session.restart()
    program = session.start_program(layout)
    size = session.bring_into_view(layout).outer
    click_label(session, layout, CLICKED)
    selection = shown_selection(session, layout)
    session.move_pointer(*AWAY)
    session.probe("move", *(str(v) for v in NARROWED_PLACE))
    wait_for_outer(session, lambda r: (r.x, r.y) == NARROWED_PLACE, f"at {NARROWED_PLACE}", size)

    set_screen_size(session, 1280, 1024)
    back = wait_for_outer(session, lambda r: r.x < 1280 and r.x + r.width > 0 and r.y == NARROWED_PLACE[1],
                          "back on the narrowed monitor", size).outer
    session.move_pointer(min(back.x + back.width, 1280) - 1, back.y + back.height // 2)
    info = wait_for_outer(session, lambda r: r.x >= 0 and r.x + r.width <= 1281, "in view on the narrowed monitor",
                          size)
    check(info.flag("topmost"), "the window is no longer topmost")
    check(shown_selection(session, layout) == selection, "the selection changed with the monitor")
    check(program.poll() is None, f"the program ended; it said: {session.log('program')}")


def test(session, layout, artifacts):
    narrowed(session, layout)
    placements(session, layout, artifacts)


if __name__ == "__main__":
    main(test, screen=SCREEN)
