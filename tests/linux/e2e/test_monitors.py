#!/usr/bin/env python3
"""End to end: docking on desktops of several monitors, and monitors that come and go under the window, driven
by the real pointer, without a window manager or under a real one.

placements: every layout and place of the program's own table (tolvane_layout's "monitorLayouts"), each
layout on an Xvfb of its size with its monitors made by `xrandr --setmonitor` (RandR 1.5), the program started
there: it opens at the primary's top-left corner. At each place, taken there in view by its outer corner as
the table computes it from the window's size, then the pointer away: a window that stays is left where it
is, the pointer off it and over it; one that hides leaves a strip of 1 to 4 pixels of its own at that
monitor's edge and nothing on any other monitor (measured from the X server, and seen in a screenshot), comes
back whole onto that monitor when the pointer touches the strip, stays while the pointer rests there, hides
again when it leaves, and is brought back once more to be taken to the next place.

changes: on two monitors side by side, the window docked at the top of the right one: that monitor is
unplugged (the screen narrows with it) and the window comes back onto the other, at least its strip; then,
hidden at the right edge of the one left, a monitor is plugged in beyond that edge and the window ends up in
view. The selection shown and the window's place above another client's window are the same afterwards.

Xvfb sends no RandR event for `--setmonitor` or `--delmonitor` alone; a real unplug does. So each is followed
by setting the screen's size (`xrandr --fb`, with the output's mode where the size changes), which sends
RRScreenChangeNotify and the root's ConfigureNotify, as a real unplug does.

wayland: Mutter as a headless Wayland compositor with virtual monitors of its own as the table's first layout
has them, the program on its XWayland, which reports them as RandR outputs side by side: the places on the
second monitor, as the X server reports them (XWayland has no root image to take screenshots of), the pointer
Mutter's own (wayland_session.py).

Usage: test_monitors.py PROGRAM LAYOUT_TOOL placements|changes|wayland [WINDOW_MANAGER]
With $TOLVANE_SCREENSHOTS set to a folder, the screen is kept there at each step.
"""

import re
import sys

from test_docking import (FRAMING, managed, on_screen, pixels_rect, shown_selection, shows, stays, strip_drawn,
                          wait_for_state, wait_painted)
from test_screen_resize import set_screen_size
from wayland_session import MutterWaylandSession
from window_checks import screen_point
from monitor_places import NAMES, Desktop, place_window, pointer_on_strip, set_monitor
from xsession import Failure, Rect, XSession, check, main

CLICKED = "Label19"
ANYWHERE = Rect(-(1 << 15), -(1 << 15), 1 << 16, 1 << 16)
SIDE_BY_SIDE = "side by side, the primary on the left"


def reported_monitors(x):
    """The monitors as the X server reports them, in pixels."""
    found = re.findall(r"(\d+)/\d+x(\d+)/\d+\+(-?\d+)\+(-?\d+)", x.run("xrandr", "--listmonitors"))
    return [(int(left), int(top), int(width), int(height)) for width, height, left, top in found]


def announce(x, width, height):
    """Has the X server tell its clients that the screen changed, at its new size."""
    if f"current {width} x {height}" in x.run("xrandr").splitlines()[0]:
        x.run("xrandr", "--fb", f"{width}x{height}")
    else:
        set_screen_size(x, width, height)


def hidden_at(edge, m, corner, size):
    """A window hidden at a monitor's edge, as that monitor shows it: a strip of 1 to 4 pixels at that edge, along
    the window's place (a window hidden unmanaged shows its own pixels without the frame it had)."""
    along_x = lambda r: corner[0] <= r.x and r.x + r.width <= corner[0] + size.width
    along_y = lambda r: max(corner[1], m.y) <= r.y and r.y + r.height <= corner[1] + size.height
    if edge == "top":
        return lambda r: 1 <= r.height <= 4 and r.y == m.y and along_x(r)
    if edge == "left":
        return lambda r: 1 <= r.width <= 4 and r.x == m.x and along_y(r)
    return lambda r: 1 <= r.width <= 4 and r.x + r.width == m.x + m.width and along_y(r)


def whole(size):
    return lambda r: r.width >= size.width - 1 and r.height >= size.height - 1


def take_window(x, window, corner, arrived, what):
    """Takes the window in view from under the pointer, as a user drags it, and waits for it to arrive (or hide
    there): the pointer is moved away only then, so that no tick's write crosses the move on its way to a
    window manager."""
    x.move_window(window, *corner, shows(x, window, arrived, ANYWHERE))
    wait_for_state(x, window, arrived, what, ANYWHERE)


def try_place(x, window, desktop, place, size, background, wm):
    """One place of the table: put there, then left alone, or hidden, revealed and hidden again."""
    what = f"{desktop.name}, {place['what']}"
    m = desktop.monitors[place["monitor"]]
    corner = place_window(m, place["anchor"], size)
    edge = None if place["outcome"] == "stays" else place["outcome"]
    hidden = hidden_at(edge, m, corner, size) if edge else lambda r: False
    at_place = lambda r: (r.x, r.y) == corner and r.width >= size.width - 1
    # With the pointer still where the window arrives, against an outer edge, a tick shows it one pixel beyond
    # that edge, as it shows a window the pointer brings back.
    step = {"top": (0, -1), "left": (-1, 0), "right": (1, 0)}.get(edge, (0, 0))
    beyond = lambda r: edge and (r.x, r.y) == (corner[0] + step[0], corner[1] + step[1]) and r.width >= size.width - 1
    take_window(x, window, corner, lambda r: at_place(r) or beyond(r) or hidden(on_screen(r, m)),
                f"{what}: at {corner}")
    away = desktop.away_from(Rect(*corner, size.width, size.height))
    x.move_pointer(*away, leaving=pixels_rect(x, window))
    if edge is None:
        stays(x, window, at_place, f"{what}, the pointer away", ANYWHERE)
        x.move_pointer(*Rect(*corner, size.width, size.height).center())
        stays(x, window, at_place, f"{what}, the pointer over it", ANYWHERE)
        return

    strip = wait_for_state(x, window, hidden, f"{what}: hidden at the {edge} with a strip of 1 to 4 pixels", m)
    shows = pixels_rect(x, window)
    for other in desktop.monitors:
        part = on_screen(shows, other)
        check(other is m or part.width * part.height == 0, f"{what}: hidden, it shows {part} on the monitor {other}")
    strip_drawn(x, strip, edge, background, wm)
    x.save_screenshot(f"{what}-hidden")

    # Back in view on that monitor, as much of it as the monitor holds (the small one is less tall than the window).
    if edge == "top":
        back = lambda r: r.height >= min(size.height, m.height) - 1 and r.width >= size.width - 1
    else:
        back = lambda r: r.width >= size.width - 1 and r.height >= min(size.height, m.y + m.height - corner[1]) - 1
    framed_back = lambda r: back(r) and (wm not in FRAMING or managed(x, window))
    x.move_pointer(*pointer_on_strip(edge, m, strip))
    wait_for_state(x, window, framed_back, f"{what}: back in view on its monitor", m)
    stays(x, window, back, f"{what}: the pointer resting on the strip's place", m)
    x.move_pointer(*away, leaving=pixels_rect(x, window))
    strip = wait_for_state(x, window, hidden, f"{what}: hidden at the {edge} again", m)
    # Brought back once more, as a user does to take the window elsewhere.
    x.move_pointer(*pointer_on_strip(edge, m, strip))
    wait_for_state(x, window, framed_back, f"{what}: back in view again", m)


def start_on(x, program, layout, desktop, wm):
    """The monitors made, the program started with the pointer where it opens: its window, and its outer size."""
    for index, rect in enumerate(desktop.monitors):
        set_monitor(x, index, rect, rect is desktop.primary)
    announce(x, *desktop.size)
    made = [(m.x, m.y, m.width, m.height) for m in desktop.monitors]
    check(sorted(reported_monitors(x)) == sorted(made), f"the X server reports {reported_monitors(x)}, not {made}")
    if wm:
        x.start_window_manager(wm)
    x.move_pointer(desktop.primary.x + 200, desktop.primary.y + 200)
    x.start([program])
    window = x.find_window(layout.caption)
    opened = wait_for_state(x, window, lambda r: r.height > 100 and (wm not in FRAMING or managed(x, window)),
                            "shown", ANYWHERE)
    # At the corner, or one pixel beyond an edge there: a manager that frames the window after it is shown may
    # have it hidden and revealed again by then, under the pointer.
    corner = desktop.primary
    check(opened.x in (corner.x, corner.x - 1) and opened.y in (corner.y, corner.y - 1),
          f"{desktop.name}: the window opened at {opened}, not at the primary's top-left corner")
    return window, opened


def test_placements(program, layout, wm):
    for data in layout.monitor_layouts:
        desktop = Desktop(data)
        with XSession(f"{desktop.size[0]}x{desktop.size[1]}x24") as x:
            background = x.screenshot()
            try:
                window, size = start_on(x, program, layout, desktop, wm)
            except Failure as failure:
                raise Failure(f"{desktop.name}: {failure}") from None
            for place in desktop.placements:
                try_place(x, window, desktop, place, size, background, wm)


def stacking(x):
    """The root's children, the topmost first (as xwininfo lists them)."""
    return [int(line.split()[0], 16) for line in x.run("xwininfo", "-root", "-children").splitlines()
            if line.strip().startswith("0x")]


def toplevel(x, window):
    """The window's outermost ancestor below the root: the manager's frame, or the window itself."""
    while True:
        fields = dict(line.strip().split(":", 1) for line in x.xwininfo(window, "-tree").splitlines()
                      if "window id" in line)
        root, parent = (int(fields[key].split()[0], 16) for key in ("Root window id", "Parent window id"))
        if parent == root:
            return window
        window = parent


def check_kept(x, layout, window, other, selection, when):
    """Nothing lost: the same selection shown, the window above the other client's."""
    check(shown_selection(x, layout, window) == selection, f"the selection changed {when}")
    order = stacking(x)
    check(order.index(toplevel(x, window)) < order.index(toplevel(x, other)),
          f"the window is no longer above the other window {when}")


def test_changes(program, layout, wm):
    desktop = next(Desktop(d) for d in layout.monitor_layouts if d["name"] == SIDE_BY_SIDE)
    left, right = desktop.monitors
    with XSession(f"{desktop.size[0]}x{desktop.size[1]}x24") as x:
        # Another client's window, there before the program, where the window comes back to on the left monitor.
        x.start(["xmessage", "-geometry", f"+{left.x + 900}+{left.y + 100}", "another window"], name="xmessage")
        other = x.find_window("xmessage")
        window, size = start_on(x, program, layout, desktop, wm)
        wait_painted(x, layout, window, wm)
        x.click(*screen_point(layout, CLICKED, x.geometry(window)))
        selection = shown_selection(x, layout, window)

        # Docked at the top of the right monitor, the pointer on the left one.
        away = (left.x + 100, left.y + left.height - 100)
        corner = place_window(right, "topEdge", size)
        docked = hidden_at("top", right, corner, size)
        take_window(x, window, corner, lambda r: (r.x, r.y) == corner or docked(on_screen(r, right)), "taken there")
        x.move_pointer(*away)
        wait_for_state(x, window, docked, "hidden at the right monitor's top", right)

        # That monitor unplugged: the window comes back onto the other, as near to where it was as that allows
        # (against its right edge), and hides at its top; the pointer there brings it into view, over the other
        # client's window.
        x.run("xrandr", "--delmonitor", NAMES[1])
        announce(x, left.width, left.height)
        back = (left.x + left.width - size.width, left.y)
        strip = wait_for_state(x, window, hidden_at("top", left, back, size), "back on the left monitor, at its top",
                               left)
        x.save_screenshot("changes-1-unplugged")
        x.move_pointer(*pointer_on_strip("top", left, strip))
        wait_for_state(x, window, whole(size), "in view on the monitor left", left)
        check_kept(x, layout, window, other, selection, "when the monitor went")

        # Hidden at the right edge of the one left; then a monitor plugged in beyond it: in view.
        corner = place_window(left, "rightEdge", size)
        docked = hidden_at("right", left, corner, size)
        take_window(x, window, corner, lambda r: (r.x, r.y) == corner or docked(on_screen(r, left)), "taken there")
        x.move_pointer(*away)
        wait_for_state(x, window, docked, "hidden at the right edge", left)
        set_monitor(x, 1, right, False)
        announce(x, *desktop.size)
        everywhere = Rect(0, 0, *desktop.size)
        wait_for_state(x, window, whole(size), "in view once a monitor came beyond the edge it hid at", everywhere)
        x.save_screenshot("changes-2-plugged-in")
        stays(x, window, whole(size), "in view with the pointer away", everywhere)
        check(on_screen(pixels_rect(x, window), right).width > 0, "the window is not on the new monitor")
        check_kept(x, layout, window, other, selection, "when the monitor came")


def test_wayland(program, layout):
    desktop = Desktop(layout.monitor_layouts[0])
    with MutterWaylandSession(monitors=len(desktop.monitors)) as x:
        made = [(m.x, m.y, m.width, m.height) for m in desktop.monitors]
        check(reported_monitors(x) == made, f"XWayland reports the monitors {reported_monitors(x)}, not {made}")
        x.move_pointer(desktop.primary.x + 200, desktop.primary.y + 200)
        x.start([program])
        window = x.find_window(layout.caption)
        # XWayland learns of a pointer that the window appeared under only once it moves: the window may hide at
        # the top first, and the pointer on the primary's top row brings it into view.
        wait_for_state(x, window, lambda r: r.height > 100 or 1 <= r.height <= 4, "shown or hidden", ANYWHERE)
        x.move_pointer(desktop.primary.x + 200, desktop.primary.y)
        size = wait_for_state(x, window, lambda r: r.height > 100 and managed(x, window), "shown", ANYWHERE)
        for place in desktop.placements:
            if desktop.monitors[place["monitor"]] is not desktop.primary:
                try_place(x, window, desktop, place, size, None, MutterWaylandSession.name)


if __name__ == "__main__":
    what, wm = sys.argv[3], (sys.argv[4] if len(sys.argv) > 4 else None)
    tests = {"placements": lambda program, layout: test_placements(program, layout, wm),
             "changes": lambda program, layout: test_changes(program, layout, wm),
             "wayland": test_wayland}
    main(tests[what])
