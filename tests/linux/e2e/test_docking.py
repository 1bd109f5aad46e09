#!/usr/bin/env python3
"""End to end: the window docks at the top, left and right edges of the screen, driven by the real pointer.

Right after start, with the pointer elsewhere, the window slides behind the top edge and leaves a strip;
the pointer on the strip brings it back to 10 twips beyond the edge; moving away hides it again. The
same at the left and right edges after the window has been moved there; a window against no edge stays
put; the selection shown survives hiding and revealing.

Without a window manager the strip is 40 twips. A window manager may keep more of a window on the screen
than the program asks: Openbox keeps a tenth of it (see hidden_behind_start). Under KWin, and under the
tests' own onscreen_wm.py that keeps windows on the screen as KWin does, the strip is 40 twips only
because the program asks for its moves with _NET_MOVERESIZE_WINDOW.

Usage: test_docking.py PROGRAM LAYOUT_TOOL [WINDOW_MANAGER]
WINDOW_MANAGER: one of xsession.WINDOW_MANAGERS (openbox, onscreen, kwin, mutter); none when left out.
Under mutter the test fails: mutter keeps a fully visible window on the screen (see README).
With $TOLVANE_SCREENSHOTS set to a folder, the screen is kept there at each step.
"""

import sys
import time

from window_checks import MIN_TEXT_PIXELS, VALUE_FIELDS, fill_colour, screen_point, text_pixels
from xsession import TWIPS_PER_PIXEL, Rect, XSession, check, main

SCREEN_WIDTH = 1280  # pixels, as xsession.SCREEN
STRIP_TWIPS = 40  # what stays on the screen of a hidden window
OVERSHOOT_TWIPS = 10  # how far beyond the edge a revealed window lies
AWAY = (1000, 900)  # a pointer position off the window wherever the test puts it
CLICKED = "Label19"
# How long a position may stay unchanged to count as left alone: several ticks of 200 ms.
STAYS_PUT_S = 1.2


def pixels(twips):
    """The layer's conversion: the nearest pixel, halves to even."""
    return round(twips / TWIPS_PER_PIXEL)


def hidden_behind_start(extent, wm):
    """Where a window of this extent (pixels) hidden at the top or left edge starts: its top or left."""
    wanted = pixels(STRIP_TWIPS - extent * TWIPS_PER_PIXEL)
    if wm == "openbox":
        # Openbox keeps a tenth of an ordinary window on the screen when the window moves itself.
        return max(wanted, -(extent * 9 // 10))
    return wanted


def hidden_right_start(width, wm):
    wanted = pixels(SCREEN_WIDTH * TWIPS_PER_PIXEL - STRIP_TWIPS)
    if wm == "openbox":
        return min(wanted, SCREEN_WIDTH - width // 10)
    return wanted


REVEALED = pixels(-OVERSHOOT_TWIPS)  # -10 twips: pixel row or column -1


def revealed_right_start(width):
    return pixels((SCREEN_WIDTH - width) * TWIPS_PER_PIXEL + OVERSHOOT_TWIPS)


def shown_selection(x, layout, window):
    """What the window shows of the selection: the age labels' fills and the display labels' text pixels,
    relative to the client area, from a screenshot once the clicked label is green."""
    client = x.geometry(window)
    shot = x.wait_for(lambda s: fill_colour(s, layout, CLICKED, client) == layout.highlight,
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


# Pixels of a window manager's decoration drawn beyond the frame it reports: kwin's Breeze outlines it.
OUTLINE = {"kwin": 1}


def strip_on_screen(x, rect, edge, wm):
    """A screenshot shows the hidden window's strip at the edge and the empty screen just beyond it."""
    rect = Rect(rect.x - OUTLINE.get(wm, 0), rect.y - OUTLINE.get(wm, 0), rect.width + 2 * OUTLINE.get(wm, 0),
                rect.height + 2 * OUTLINE.get(wm, 0))
    shot = x.screenshot()
    empty = shot.pixel(SCREEN_WIDTH - 1, shot.height - 1)  # the root window, which nothing covers there
    if edge == "top":
        inside, beyond = (rect.x + rect.width // 2, rect.y + rect.height - 1), (rect.x + rect.width // 2, rect.y + rect.height)
    elif edge == "left":
        inside, beyond = (rect.x + rect.width - 1, rect.y + rect.height // 2), (rect.x + rect.width, rect.y + rect.height // 2)
    else:
        inside, beyond = (rect.x, rect.y + rect.height // 2), (rect.x - 1, rect.y + rect.height // 2)
    check(shot.pixel(*inside) != empty, f"no strip of the window at {inside} on the {edge} edge")
    check(shot.pixel(*beyond) == empty, f"more than the strip of the window shows at the {edge} edge, at {beyond}")


def stays_put(x, window, expected, what):
    deadline = time.monotonic() + STAYS_PUT_S
    while time.monotonic() < deadline:
        rect = x.outer_rect(window)
        check((rect.x, rect.y) == (expected.x, expected.y), f"{what}: the window moved to {rect} from {expected}")
        time.sleep(0.05)


def test(program, layout, wm=None):
    with XSession() as x:
        if wm:
            x.start_window_manager(wm)
        x.move_pointer(*AWAY)
        process = x.start([program])
        window = x.find_window(layout.caption)

        # The first tick hides the window behind the top edge: only its bottom strip stays on the screen.
        size = x.outer_rect(window)
        top_hidden = hidden_behind_start(size.height, wm)
        rect = x.wait_for_rect(window, lambda r: r.y == top_hidden, f"hidden at the top (top {top_hidden})")
        check(rect.x == 0, f"hiding at the top moved the window sideways to {rect}")
        strip_on_screen(x, rect, "top", wm)
        x.save_screenshot("1-hidden-at-top")

        # The pointer on the strip, on the screen's top row, brings it back just beyond the edge.
        x.move_pointer(100, 0)
        x.wait_for_rect(window, lambda r: r.y == REVEALED, f"revealed at the top (top {REVEALED})")
        x.save_screenshot("2-revealed-at-top")

        # A selection made while revealed...
        x.wait_for(lambda s: fill_colour(s, layout, CLICKED, x.geometry(window)) == layout.idle, "the window painted")
        x.click(*screen_point(layout, CLICKED, x.geometry(window)))
        selection = shown_selection(x, layout, window)

        # ...the pointer away hides the window again...
        x.move_pointer(*AWAY)
        x.wait_for_rect(window, lambda r: r.y == top_hidden, "hidden at the top again")
        x.save_screenshot("3-hidden-again")

        # ...and revealed once more it shows the same selection.
        x.move_pointer(300, 0)
        x.wait_for_rect(window, lambda r: r.y == REVEALED, "revealed at the top again")
        x.save_screenshot("4-revealed-with-selection")
        check(shown_selection(x, layout, window) == selection, "the selection changed through hiding and revealing")

        # Moved against the left edge and left alone, the window hides there: only Left changes.
        x.move_pointer(*AWAY)
        x.run("xdotool", "windowmove", str(window), "0", "200")
        left_hidden = hidden_behind_start(size.width, wm)
        rect = x.wait_for_rect(window, lambda r: r.x == left_hidden and r.y > 4, f"hidden at the left (left {left_hidden})")
        strip_on_screen(x, rect, "left", wm)
        x.save_screenshot("5-hidden-at-left")
        x.move_pointer(0, rect.y + rect.height // 2)
        x.wait_for_rect(window, lambda r: r.x == REVEALED and r.y == rect.y, "revealed at the left")
        x.save_screenshot("6-revealed-at-left")
        x.move_pointer(*AWAY)
        x.wait_for_rect(window, lambda r: r.x == left_hidden and r.y == rect.y, "hidden at the left again")

        # The same at the right edge, once its right edge reaches the screen's.
        x.run("xdotool", "windowmove", str(window), str(SCREEN_WIDTH - size.width), "200")
        right_hidden = hidden_right_start(size.width, wm)
        rect = x.wait_for_rect(window, lambda r: r.x == right_hidden and r.y > 4, f"hidden at the right (left {right_hidden})")
        strip_on_screen(x, rect, "right", wm)
        x.save_screenshot("7-hidden-at-right")
        x.move_pointer(SCREEN_WIDTH - 1, rect.y + rect.height // 2)
        revealed_right = revealed_right_start(size.width)
        x.wait_for_rect(window, lambda r: r.x == revealed_right and r.y == rect.y, f"revealed at the right (left {revealed_right})")
        x.save_screenshot("8-revealed-at-right")
        x.move_pointer(*AWAY)
        x.wait_for_rect(window, lambda r: r.x == right_hidden and r.y == rect.y, "hidden at the right again")

        # Against no edge the window stays where it is, with the pointer off it and over it.
        x.run("xdotool", "windowmove", str(window), "300", "250")
        free = x.wait_for_rect(window, lambda r: r.x > 4 and r.y > 4 and r.x + r.width < SCREEN_WIDTH, "away from the edges")
        stays_put(x, window, free, "pointer off the window")
        x.move_pointer(*free.center())
        stays_put(x, window, free, "pointer over the window")
        x.save_screenshot("9-against-no-edge")

        # And the timer still runs: pushed against the top edge, the window hides there.
        x.move_pointer(*AWAY)
        x.run("xdotool", "windowmove", str(window), str(free.x), "0")
        x.wait_for_rect(window, lambda r: r.y == top_hidden, "hidden at the top after all that")
        check(process.poll() is None, f"the program ended; it said: {x.log('program')}")


if __name__ == "__main__":
    wm = sys.argv[3] if len(sys.argv) > 3 else None
    main(lambda program, layout: test(program, layout, wm))
