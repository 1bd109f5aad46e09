#!/usr/bin/env python3
"""End to end under Wine: tolvane.exe docks at the top, left and right edges of the screen, driven by the
real pointer, through the Win32 layer's services (GetCursorPos, GetWindowRect, WindowState, Top, Left,
Width, Height, Screen.Width, Show), which tolvane_probe services first checks against user32 one by one.

Right after start, with the pointer elsewhere, the window slides behind the top edge and leaves a
40-twip strip; the pointer on the strip brings it back to 10 twips beyond the edge; moving away hides it
again. The same at the left edge after the window was moved there with the X server (as a window
manager moves it for a drag) and at the right edge after it was moved there from another Windows
process. A window against no edge stays put, with the pointer off it and over it; a minimized window is
left alone; the selection shown survives hiding and revealing. Positions are Windows' own view of the
window (tolvane_probe window), in pixels at 96 DPI, 15 twips to a pixel.

Usage: test_docking.py WINDOWS_BUILD_DIR LAYOUT_TOOL ARTIFACTS_DIR
"""

import os
import subprocess
import time

from test_window import fill_colour, text_pixels
from wine_session import Rect, check, main

TWIPS_PER_PIXEL = 15
STRIP_TWIPS = 40
OVERSHOOT_TWIPS = 10
AWAY = (1100, 950)  # a pointer position off the window wherever the test puts it
CLICKED = "Label19"
VALUE_LABELS = ["Label9", "Label50", "Label60", "Label70", "Label80"]
MIN_TEXT_PIXELS = 20
DOCKING_TIMEOUT_S = 15  # generous: Wine and other tests share the machine
X_MOVE_TIMEOUT_S = 3
STAYS_PUT_S = 1.5  # several ticks of the program's 200 ms timer


def pixels(twips):
    """The layer's conversion of a written Top or Left: the nearest pixel, halves to even."""
    return round(twips / TWIPS_PER_PIXEL)


def wait_for_outer(session, predicate, what, size=None):
    """Windows' view of the window once its outer rectangle satisfies predicate; fails after a while
    saying where the window was. With a size, the window must have kept it: docking only moves."""
    deadline = time.monotonic() + DOCKING_TIMEOUT_S
    info = session.window_info()
    while not predicate(info.outer):
        check(time.monotonic() < deadline, f"the window is at {info.outer}, not {what}")
        time.sleep(0.1)
        info = session.window_info()
    if size is not None:
        check((info.outer.width, info.outer.height) == (size.width, size.height),
              f"{what}, the window is {info.outer.width}x{info.outer.height}, not {size.width}x{size.height}")
    return info


def stays_put(session, window, expected, what, origin=(0, 0)):
    """The window keeps its place for several ticks, by the X server's view, then by Windows' own. origin:
    where Windows' (0, 0), the primary monitor's top-left corner, lies on the X screen."""
    deadline = time.monotonic() + STAYS_PUT_S
    while time.monotonic() < deadline:
        rect = session.outer_rect(window)
        check((rect.x - origin[0], rect.y - origin[1]) == (expected.x, expected.y),
              f"{what}: the window moved to {rect} on the X screen from {expected}")
        time.sleep(0.05)
    outer = session.window_info().outer
    check((outer.x, outer.y) == (expected.x, expected.y), f"{what}: Windows has the window at {outer}")


def followed_x_move(session, top):
    """Whether Windows' view of the window reaches the top the X server moved it to (its left may
    already be the docking's by then)."""
    deadline = time.monotonic() + X_MOVE_TIMEOUT_S
    while session.window_info().outer.y != top:
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


def strip_on_screen(session, outer, edge, origin=(0, 0)):
    """A screenshot shows the hidden window's strip at the edge and the empty screen just beyond it."""
    shot = session.screenshot()
    empty = shot.pixel(shot.width - 1, shot.height - 1)  # the root window, which nothing covers there
    outer = Rect(outer.x + origin[0], outer.y + origin[1], outer.width, outer.height)
    middle_x, middle_y = outer.x + outer.width // 2, outer.y + outer.height // 2
    if edge == "top":
        inside, beyond = (middle_x, outer.y + outer.height - 1), (middle_x, outer.y + outer.height)
    elif edge == "left":
        inside, beyond = (outer.x + outer.width - 1, middle_y), (outer.x + outer.width, middle_y)
    else:
        inside, beyond = (outer.x, middle_y), (outer.x - 1, middle_y)
    check(shot.pixel(*inside) != empty, f"no strip of the window at {inside} on the {edge} edge")
    check(shot.pixel(*beyond) == empty, f"more than the strip of the window shows at the {edge} edge, at {beyond}")


def save_screen(session, artifacts, name):
    subprocess.run(["import", "-window", "root", os.path.join(artifacts, f"windows-docking-{name}.png")],
                   env=session.env, check=True, timeout=30)


def shown_selection(session, layout):
    """The age labels' fills and the display labels' text pixels, each relative to its label, once the
    clicked label shows green."""
    client = session.window_info().client
    shot = session.wait_for(lambda s: fill_colour(s, layout, CLICKED, client) == layout.highlight,
                            f"{CLICKED} green at {client}")
    fills = {name: fill_colour(shot, layout, name, client) for name in layout.age_labels()}
    for name, fill in fills.items():
        check(fill == (layout.highlight if name == CLICKED else layout.idle), f"{name} is {fill}")
    texts = {}
    for name in VALUE_LABELS:
        points = text_pixels(shot, layout, name, client)
        check(len(points) >= MIN_TEXT_PIXELS, f"{name} shows no text")
        texts[name] = frozenset(points)  # relative to the label already
    return fills, texts


def click_label(session, layout, name):
    client = session.window_info().client
    rect = layout.rect(name)
    session.click(client.x + rect.x + rect.width // 2, client.y + rect.y + rect.height // 2)


def dock_top(session, layout, artifacts, size):
    """The first tick hides the window; the pointer on its strip reveals it, away hides it again. A
    selection made while revealed is there after the next hide and reveal."""
    hidden = pixels(STRIP_TWIPS - size.height * TWIPS_PER_PIXEL)
    revealed = pixels(-OVERSHOOT_TWIPS)
    info = wait_for_outer(session, lambda r: r.y == hidden, f"hidden at the top (top {hidden})", size)
    check(info.outer.x == 0, f"hiding at the top moved the window sideways to {info.outer}")
    check(info.flag("visible"), "the hidden window is not visible")
    strip_on_screen(session, info.outer, "top")
    save_screen(session, artifacts, "top-1-hidden")

    # The screen's top row, over the strip.
    session.move_pointer(size.width // 2, 0)
    wait_for_outer(session, lambda r: (r.x, r.y) == (0, revealed), f"revealed at the top (top {revealed})", size)
    save_screen(session, artifacts, "top-2-revealed")

    session.wait_for(lambda s: fill_colour(s, layout, CLICKED, session.window_info().client) == layout.idle,
                     "the window painted")
    click_label(session, layout, CLICKED)
    selection = shown_selection(session, layout)

    session.move_pointer(*AWAY)
    info = wait_for_outer(session, lambda r: (r.x, r.y) == (0, hidden), "hidden at the top again", size)
    strip_on_screen(session, info.outer, "top")
    save_screen(session, artifacts, "top-3-hidden")

    session.move_pointer(size.width - 10, 0)
    wait_for_outer(session, lambda r: (r.x, r.y) == (0, revealed), "revealed at the top again", size)
    check(shown_selection(session, layout) == selection, "the selection changed through hiding and revealing")
    session.move_pointer(*AWAY)
    wait_for_outer(session, lambda r: r.y == hidden, "hidden at the top once more", size)


def dock_side(session, artifacts, size, edge, hidden, revealed, pointer_x):
    """The window, moved against the edge with the pointer off it, hides there, comes back with the
    pointer on its strip and hides again; only its left changes."""
    info = wait_for_outer(session, lambda r: r.x == hidden and r.y > 4, f"hidden at the {edge} (left {hidden})", size)
    top = info.outer.y
    strip_on_screen(session, info.outer, edge)
    save_screen(session, artifacts, f"{edge}-1-hidden")
    session.move_pointer(pointer_x, top + info.outer.height // 2)
    wait_for_outer(session, lambda r: (r.x, r.y) == (revealed, top), f"revealed at the {edge} (left {revealed})", size)
    save_screen(session, artifacts, f"{edge}-2-revealed")
    session.move_pointer(*AWAY)
    info = wait_for_outer(session, lambda r: (r.x, r.y) == (hidden, top), f"hidden at the {edge} again", size)
    strip_on_screen(session, info.outer, edge)
    save_screen(session, artifacts, f"{edge}-3-hidden")


def test(session, layout, artifacts):
    # The services first, on a window of the layer in the probe's own process.
    status, out = session.probe("services", allow_failure=True)
    check(status == 0, "the Win32 layer's window services:\n" + out)

    session.move_pointer(*AWAY)
    program = session.start([session.wine, session.program])
    info = session.window_info()
    check(info.outer.x == 0 and info.outer.y <= 0, f"the window opened at {info.outer}, not at the corner")
    check(info.fields["dpi"] == "96", f"the display is at {info.fields['dpi']} DPI")
    size = info.outer
    screen_width = int(info.fields["screen_width"])
    window = session.find_window(layout.caption)

    dock_top(session, layout, artifacts, size)

    # Left: moved by the X server, as a window manager moves a window the user drags. Wine 10 takes no
    # move made behind its back when no window manager runs (the X window moves, Windows' view of it
    # stays); there the window is moved from another Windows program instead, as on the right below.
    session.run("xdotool", "windowmove", str(window), "0", "200")
    if not followed_x_move(session, 200):
        print("note: Wine took no move of the X server's; moving the window from Windows")
        session.probe("move", "0", "200")
    dock_side(session, artifacts, size, "left", pixels(STRIP_TWIPS - size.width * TWIPS_PER_PIXEL),
              pixels(-OVERSHOOT_TWIPS), 0)

    # Right: moved by another Windows program, its right edge on the screen's.
    session.probe("move", str(screen_width - size.width), "300")
    dock_side(session, artifacts, size, "right", pixels(screen_width * TWIPS_PER_PIXEL - STRIP_TWIPS),
              pixels((screen_width - size.width) * TWIPS_PER_PIXEL + OVERSHOOT_TWIPS), screen_width - 1)

    # Against no edge: left alone with the pointer off it and over it.
    session.probe("move", "300", "250")
    free = wait_for_outer(session, lambda r: (r.x, r.y) == (300, 250), "moved to 300, 250", size).outer
    stays_put(session, window, free, "pointer off the window")
    session.move_pointer(*free.center())
    stays_put(session, window, free, "pointer over the window")
    save_screen(session, artifacts, "against-no-edge")

    # Minimized: Windows parks it far off the screen, which the docking step must not take for a window
    # beyond the top edge. Restored, it is where it was.
    session.move_pointer(*AWAY)
    session.probe("minimize")
    parked = wait_for_outer(session, lambda r: r.y < -1000, "minimized")
    check(parked.flag("iconic"), "the minimized window is not iconic")
    deadline = time.monotonic() + STAYS_PUT_S
    while time.monotonic() < deadline:
        info = session.window_info()
        check(info.flag("iconic") and info.outer.y == parked.outer.y,
              f"the minimized window was moved to {info.outer} from {parked.outer}")
    session.probe("restore")
    info = wait_for_outer(session, lambda r: (r.x, r.y) == (free.x, free.y), "restored where it was", size)
    check(not info.flag("iconic"), "the restored window is still iconic")
    stays_put(session, window, free, "restored, pointer off the window")

    # The timer still runs: pushed against the top edge, the window hides there, and only its top moves.
    session.probe("move", str(free.x), "0")
    wait_for_outer(session, lambda r: (r.x, r.y) == (free.x, pixels(STRIP_TWIPS - size.height * TWIPS_PER_PIXEL)),
                   "hidden at the top after all that", size)
    check(program.poll() is None, f"the program ended; it said: {session.log('program')}")


if __name__ == "__main__":
    main(test)
