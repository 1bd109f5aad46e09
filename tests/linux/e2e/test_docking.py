#!/usr/bin/env python3
"""End to end: the window docks at the top, left and right edges of the screen, driven by the real pointer,
without a window manager or under a real one.

One table of scenarios, run under each manager: pushed against an edge with the pointer elsewhere, the
window hides and leaves a strip of 1 to 4 pixels of its own at that edge, measured from the X server (the
rectangle that holds its pixels, the frame included while a manager frames it, on the screen) and seen in
a screenshot; the pointer on the strip brings it back, whole and framed, and it stays in view while the
pointer rests there (on the screen's top row at the top edge) rather than hiding and coming back on every
tick; the pointer away hides it again. The selection shown survives hiding and revealing. (That a window
against no edge, or one the user has moved there, is left alone is the docking step's table's and the
placement's table's to show, in-process.)

Managers that keep windows on the screen (Mutter, xfwm4, Openbox) refuse the off-screen move; the window is
then shown unmanaged while hidden and handed back to the manager when it comes back. Through many hides and
reveals it stays above every other window: each time it is back, a manager that keeps windows above others
says so of it (_NET_WM_STATE_ABOVE).

Under a Wayland compositor (Mutter, KWin), the program on its XWayland, the pointer is the compositor's (see
wayland_session.py) and a native Wayland window is beside the program's: the pointer that leaves the
revealed window for the Wayland window, or for the bare desktop, hides it again; and once the Wayland window
has been clicked, and so has the focus, it does not cover the program's window.

Usage: test_docking.py PROGRAM LAYOUT_TOOL [WINDOW_MANAGER]
WINDOW_MANAGER: one of xsession.WINDOW_MANAGERS or wayland_session.COMPOSITORS; none when left out.
With $TOLVANE_SCREENSHOTS set to a folder, the screen is kept there at each step.
"""

import sys
import time

from wayland_session import COMPOSITORS
from window_checks import MIN_TEXT_PIXELS, VALUE_FIELDS, fill_colour, screen_point, text_pixels
from xsession import Rect, XSession, check, main, mutter_43

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024  # pixels, as xsession.SCREEN
AWAY = (1000, 900)  # a pointer position off the window wherever the test puts it
OPENS_OVER = (200, 200)  # a place that the window covers where it opens, off the tests' Wayland window
CLICKED = "Label19"
# How long a window must keep its state to count as left alone: several ticks of 200 ms.
STAYS_PUT_S = 1.2
# A window manager answers when it gets to it, and Mutter lets a withdrawn window go after an animation.
STATE_TIMEOUT_S = 30
# Pixels of a window manager's decoration drawn beyond the frame it reports: kwin's Breeze outlines it.
OUTLINE = {"kwin": 1}
# Managers that frame a window (reparent it); the tests' own onscreen_wm.py does not.
FRAMING = {"mutter", "kwin", "xfwm4", "openbox", *COMPOSITORS}
# The Wayland compositors, the program on their XWayland: no screenshots there (see wayland_session.py), so what
# the X server reports.
WAYLAND = set(COMPOSITORS)
# How many times the window is hidden and revealed at the top to show it stays above the others.
CYCLES = 8
# How much darker than the desktop a compositing manager's shadow beside a window may be.
SHADOW = 40

# edge: where the window is put to dock there (None: where it opens), the strip's thickness and where it
# lies on the hidden window's visible rectangle, and the pointer's place on that strip.
SCENARIOS = {
    "top": (None, lambda r: r.height, lambda r: (r.x + r.width // 2, 0)),
    "left": (lambda w: (0, 200), lambda r: r.width, lambda r: (0, r.y + r.height // 2)),
    "right": (lambda w: (SCREEN_WIDTH - w, 200), lambda r: r.width, lambda r: (SCREEN_WIDTH - 1, r.y + r.height // 2)),
}


def managed(x, window, tree=None):
    """Whether a window manager holds the window in a frame of its own (its parent is not the root)."""
    tree = tree or x.xwininfo(window, "-tree")
    fields = dict(line.strip().split(":", 1) for line in tree.splitlines() if "window id" in line)
    return fields["Root window id"].split()[0] != fields["Parent window id"].split()[0]


def pixels_rect(x, window):
    """The rectangle that holds the window's pixels: its client area, and the frame while it has one;
    empty while the window is not shown (between a manager letting go of it and taking it on again). Read
    whole between two readings of the window that agree, never half before a manager takes the window on and
    half after."""
    info = x.xwininfo(window, "-tree", "-stats")
    while True:
        if "IsViewable" not in info:
            rect = Rect(0, 0, 0, 0)
        else:
            fields = dict(line.strip().partition(":")[::2] for line in info.splitlines())
            client = Rect(*(int(fields[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width",
                                                     "Height")))
            left, right, top, bottom = x.frame_extents(window) if managed(x, window, info) else (0, 0, 0, 0)
            rect = Rect(client.x - left, client.y - top, client.width + left + right, client.height + top + bottom)
        if (again := x.xwininfo(window, "-tree", "-stats")) == info:
            return rect
        info = again


WHOLE_SCREEN = Rect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT)


def on_screen(rect, area=WHOLE_SCREEN):
    """The part of rect on the screen, or on one monitor of it (area)."""
    x0, y0 = max(rect.x, area.x), max(rect.y, area.y)
    x1, y1 = min(rect.x + rect.width, area.x + area.width), min(rect.y + rect.height, area.y + area.height)
    return Rect(x0, y0, max(x1 - x0, 0), max(y1 - y0, 0))


def shows(x, window, predicate, area=WHOLE_SCREEN):
    """Whether the window shows a state now, as wait_for_state looks for one: for a move's arrival."""
    return lambda: predicate(on_screen(pixels_rect(x, window), area))


def wait_for_state(x, window, predicate, what, area=WHOLE_SCREEN):
    deadline = time.monotonic() + STATE_TIMEOUT_S
    while True:
        rect = on_screen(pixels_rect(x, window), area)
        if predicate(rect):
            return rect
        if time.monotonic() > deadline:
            check(False, f"the window never was {what}: it shows {rect}; program said: {x.log('program')}")
        time.sleep(0.05)


def wait_for_screen(x, predicate, what):
    """The first screenshot that satisfies predicate, within the same deadline as a state."""
    deadline = time.monotonic() + STATE_TIMEOUT_S
    while True:
        shot = x.screenshot()
        if predicate(shot):
            return shot
        check(time.monotonic() < deadline, "the screen never showed " + what)
        time.sleep(0.05)


def wait_painted(x, layout, window, wm):
    """The screen shows the window painted; returns whether it had to be moved for that. A window the screen
    shows black while its own pixels on the X server are painted fails the test, except under Mutter 43: that
    keeps black a window that first paints a while after it is mapped, as the program, slowed down on a busy
    machine, now and then does, and shows it once it is moved (mutter_black_window.py). There, once half the
    deadline has gone by with the window painted but not shown, it is moved away and back to its corner,
    once, and the test reports it."""
    painted = lambda shot, origin: fill_colour(shot, layout, CLICKED, origin) == layout.idle
    deadline = time.monotonic() + STATE_TIMEOUT_S
    nudge, nudged = wm == "mutter" and mutter_43(), False
    while not painted(shot := x.screenshot(), x.geometry(window)):
        own_painted = painted(x.window_shot(window), Rect(0, 0, 0, 0))
        if time.monotonic() > deadline:
            shown = fill_colour(shot, layout, CLICKED, x.geometry(window))
            check(False, f"the screen shows the window {shown} (black: (0, 0, 0)) while its own pixels are painted "
                  f"{layout.idle}: the window manager does not show what the window painted" if own_painted else
                  "the screen never showed the window painted, nor did the window paint itself")
        if nudge and not nudged and time.monotonic() > deadline - STATE_TIMEOUT_S / 2 and own_painted:
            nudged = True
            print("the window is painted but Mutter 43 shows it black: moved to have Mutter show it")
            x.run("xdotool", "windowmove", str(window), "400", "300")
            wait_for_state(x, window, lambda r: r.x > 4 and r.y > 4, "moved away from the corner")
            x.run("xdotool", "windowmove", str(window), "0", "0")
            wait_for_state(x, window, lambda r: r.x == 0 and r.y == 0 and r.height > 100, "back in its corner")
        time.sleep(0.05)
    return nudged


def strip_drawn(x, visible, edge, background, wm):
    """A screenshot shows the window's pixels on the strip and the desktop just beyond it. A compositing
    manager (Mutter) puts the window on the screen a frame or more after the X server has moved it, so
    the screen is given the same deadline as a state."""
    if wm in WAYLAND:
        return
    grow = OUTLINE.get(wm, 0)
    bottom, right = visible.y + visible.height, visible.x + visible.width
    if edge == "top":
        inside, beyond = (visible.center()[0], bottom - 1), (visible.center()[0], bottom + grow)
    elif edge == "left":
        inside, beyond = (right - 1, visible.center()[1]), (right + grow, visible.center()[1])
    else:
        inside, beyond = (visible.x, visible.center()[1]), (visible.x - 1 - grow, visible.center()[1])
    # A compositing manager (Mutter) shades the desktop around a window a little.
    like = lambda a, b: all(abs(p - q) <= SHADOW for p, q in zip(a, b))
    step = {"top": (0, 40), "left": (40, 0), "right": (-40, 0)}[edge]

    def fault(shot):
        if like(shot.pixel(*inside), background.pixel(*inside)):
            return f"no strip of the window at {inside} on the {edge} edge"
        if not like(shot.pixel(*beyond), shot.pixel(beyond[0] + step[0], beyond[1] + step[1])):
            return f"more than the strip shows at the {edge} edge, at {beyond}"
        return None

    deadline = time.monotonic() + STATE_TIMEOUT_S
    while (found := fault(x.screenshot())) is not None and time.monotonic() < deadline:
        time.sleep(0.05)
    check(found is None, found)


def shown_selection(x, layout, window):
    """What the window shows of the selection: the age labels' fills and the display labels' text pixels,
    relative to the client area, from a screenshot once the clicked label is green."""
    client = x.geometry(window)
    shot = wait_for_screen(x, lambda s: fill_colour(s, layout, CLICKED, client) == layout.highlight,
                           f"{CLICKED} green at {client}")
    fills = {name: fill_colour(shot, layout, name, client) for name in layout.age_labels()}
    for name, fill in fills.items():
        check(fill == (layout.highlight if name == CLICKED else layout.idle), f"{name} is {fill}")
    texts = {}
    for name in ["Label9", *VALUE_FIELDS]:
        points = text_pixels(shot, layout, name, client)
        check(len(points) >= MIN_TEXT_PIXELS, f"{name} shows no text")
        texts[name] = frozenset((px - client.x, py - client.y) for px, py in points)
    return fills, texts


def seen(x, window, predicate, what):
    """Under a compositor, the pointer rests on the revealed window before it leaves, as the hand of a user who
    has seen it does: the compositor shows a window it has just framed a moment after the map, and a pointer
    gone before then never reaches XWayland, which goes on naming the window (see docs/docking.md)."""
    stays(x, window, predicate, what + ", the pointer resting on it")


def stays(x, window, predicate, what, area=WHOLE_SCREEN):
    """The window keeps a state over several ticks; each sample must show it."""
    deadline = time.monotonic() + STAYS_PUT_S
    while time.monotonic() < deadline:
        rect = on_screen(pixels_rect(x, window), area)
        check(predicate(rect), f"{what}: the window shows {rect}")
        time.sleep(0.05)


def dock(x, layout, window, edge, size, background, wm, selection, take_from=None):
    """One scenario: hidden at the edge, revealed by the pointer, staying in view under it, hidden again.
    take_from: where the pointer brings the window into view to take it to the edge from under the pointer, as
    a user drags it; needed under a compositor, where XWayland still holds the pointer where it last saw it,
    and a window moved there would be told that the pointer is on it. Returns that place at this edge."""
    place, thickness, pointer = SCENARIOS[edge]
    if take_from:
        x.move_pointer(*take_from)
        wait_for_state(x, window, lambda r: r.height > 100, "in view to be taken to the " + edge)
    else:
        x.move_pointer(*AWAY)
    if place:
        target = place(pixels_rect(x, window).width)
        # There, or hidden at that edge there: hidden, it shows its client alone, below its frame's top.
        tops = (target[1], target[1] + x.frame_extents(window)[2])
        there = lambda r: r.y in tops and (r.x == 0 if edge == "left" else r.x + r.width == SCREEN_WIDTH)
        x.move_window(window, *target, shows(x, window, there))
    x.move_pointer(*AWAY, leaving=pixels_rect(x, window))
    hidden = lambda r: 1 <= thickness(r) <= 4 and (edge != "top" or r.y == 0) and \
        (edge != "left" or r.x == 0) and (edge != "right" or r.x + r.width == SCREEN_WIDTH)
    strip = wait_for_state(x, window, hidden, f"hidden at the {edge} with a strip of 1 to 4 pixels")
    strip_drawn(x, strip, edge, background, wm)
    x.save_screenshot(f"{edge}-1-hidden")

    x.move_pointer(*pointer(strip))
    whole = lambda r: r.width >= size.width - 1 and r.height >= size.height - 1
    wait_for_state(x, window, lambda r: whole(r) and (wm not in FRAMING or managed(x, window)),
                   f"revealed at the {edge} and framed")
    stays(x, window, whole, f"with the pointer resting on the strip's place at the {edge}")
    x.save_screenshot(f"{edge}-2-revealed")
    if selection is not None:
        check(shown_selection(x, layout, window) == selection, "the selection changed through hiding and revealing")

    if wm in WAYLAND:
        # Onto the Wayland window, or the bare desktop, neither of which XWayland sees: the X server reports the
        # pointer where it last saw it, on the window.
        revealed = pixels_rect(x, window)
        x.move_pointer(*x.on_wayland_window_beside(revealed), leaving=revealed)
        wait_for_state(x, window, hidden, f"hidden at the {edge} again once the pointer went onto a Wayland window")
        x.move_pointer(*pointer(strip))
        wait_for_state(x, window, whole, f"revealed at the {edge} once more")
        seen(x, window, whole, f"revealed at the {edge} once more")
    x.move_pointer(*AWAY, leaving=pixels_rect(x, window))
    strip = wait_for_state(x, window, hidden, f"hidden at the {edge} again with the pointer on the desktop")
    return pointer(strip)


def kept_above(x, window):
    """Whether the window manager says it keeps the window above others, where it says so of any window."""
    supported = x.run("xprop", "-root", "_NET_SUPPORTED")
    return "_NET_WM_STATE_ABOVE" not in supported or "_NET_WM_STATE_ABOVE" in x.property(window, "_NET_WM_STATE")


def cycles(x, window, size, wm):
    """Hidden and revealed at the top CYCLES times; above the others each time it is back, in the manager's
    word, and under a compositor also above a Wayland window that has taken the focus."""
    hidden = lambda r: 1 <= r.height <= 4 and r.y == 0
    whole = lambda r: r.width >= size.width - 1 and r.height >= size.height - 1
    for cycle in range(1, CYCLES + 1):
        x.move_pointer(*AWAY, leaving=pixels_rect(x, window))
        strip = wait_for_state(x, window, hidden, f"hidden at the top ({cycle} of {CYCLES})")
        x.move_pointer(strip.x + strip.width // 2, 0)
        wait_for_state(x, window, lambda r: whole(r) and (wm not in FRAMING or managed(x, window)),
                       f"revealed at the top ({cycle} of {CYCLES})")
        deadline = time.monotonic() + STATE_TIMEOUT_S
        while not kept_above(x, window):
            check(time.monotonic() < deadline, f"revealed ({cycle} of {CYCLES}), the window is not kept above others: "
                  f"_NET_WM_STATE is {x.property(window, '_NET_WM_STATE')!r}")
            time.sleep(0.05)
        if wm in WAYLAND:
            seen(x, window, whole, f"revealed at the top ({cycle} of {CYCLES})")
    if wm not in WAYLAND:
        return
    # Taken across the Wayland window's left edge, clear of the screen's edges, and the Wayland window clicked
    # beside it: the pointer moved from the window's own part onto the part the Wayland window would cover
    # is still on it.
    rect = pixels_rect(x, window)
    left, bottom = x.wayland_window
    corner = (left - rect.width // 2, bottom - 100 - rect.height // 2)
    taken = lambda r: r.x > 4 and r.y > 4 and whole(r)
    x.move_window(window, *corner, shows(x, window, taken))
    moved = wait_for_state(x, window, taken, f"taken to {corner}")
    middle = moved.y + moved.height // 2
    x.click(*x.on_wayland_window)
    check(x.stays_on_x((moved.x + moved.width // 4, middle), (left + moved.width // 4, middle)),
          "a Wayland window that was clicked covers the window")


def test_wayland(program, layout, wm):
    with COMPOSITORS[wm]() as x:
        # XWayland keeps the pointer where it last saw it over an X window, here one that goes, and the window
        # opens over that place; the compositor's pointer has gone on onto the desktop.
        x.start_wayland_window(rest=OPENS_OVER)
        x.move_pointer(*AWAY)
        x.start([program])
        window = x.find_window(layout.caption)
        # Opened at the top-left corner with the pointer away: it hides at the top, framed or not.
        wait_for_state(x, window, lambda r: 1 <= r.height <= 4 and r.y == 0, "hidden at the top once started")
        size = Rect(0, 0, layout.client_width, layout.client_height)
        strip = None
        for edge in SCENARIOS:
            strip = dock(x, layout, window, edge, size, None, wm, None, take_from=strip)
        x.move_pointer(*strip)
        wait_for_state(x, window, lambda r: r.height > 100, "in view to be taken back to the top-left corner")
        x.move_window(window, 0, 0, shows(x, window, lambda r: (r.x, r.y) == (0, 0)))  # or hidden there
        cycles(x, window, size, wm)


def test(program, layout, wm=None):
    if wm in WAYLAND:
        return test_wayland(program, layout, wm)
    with XSession() as x:
        if wm:
            x.start_window_manager(wm)
        x.move_pointer(*AWAY)
        background = x.screenshot()
        # The window opens at the top-left corner, under the pointer, so that it stays in view.
        x.move_pointer(200, 200)
        x.start([program])
        window = x.find_window(layout.caption)
        wait_for_state(x, window, lambda r: r.height > 100 and (wm not in FRAMING or managed(x, window)), "shown")

        # A selection made in view...
        nudged = wait_painted(x, layout, window, wm)
        try:
            x.click(*screen_point(layout, CLICKED, x.geometry(window)))
            selection = shown_selection(x, layout, window)
            size = pixels_rect(x, window)

            cycles(x, window, size, wm)
            # ...is still shown when the window comes back from behind each edge.
            for edge in SCENARIOS:
                dock(x, layout, window, edge, size, background, wm, selection)
        finally:
            # For a log to show how often Mutter 43 needed the nudge, also when a later step fails.
            print(f"nudged: {int(nudged)} of 1 window (moved to have the window manager show it painted)")


if __name__ == "__main__":
    wm = sys.argv[3] if len(sys.argv) > 3 else None
    main(lambda program, layout: test(program, layout, wm))
