#!/usr/bin/env python3
"""End to end: the screen narrows (RANDR, as when a monitor's resolution changes) while the window is
docked at the right edge, and the next tick docks it at the new edge, on the real pointer.

On a private Xvfb 1920 pixels wide the window is pushed against the right edge and hides there. The
screen narrows to 1600: the hidden window moves to the new edge, leaving its 40-twip strip. The pointer
on the strip reveals it; the screen narrows to 1280 under it, which pulls the pointer in to the new
edge, still over the window: the revealed window moves to lie 10 twips beyond the new edge. The pointer
away hides it there.

Usage: test_screen_resize.py PROGRAM LAYOUT_TOOL
"""

import xsession
from xsession import TWIPS_PER_PIXEL, XSession, check, main

# The widest the screen gets: Xvfb's RANDR lets it shrink from its starting size, never grow beyond it.
xsession.SCREEN = "1920x1080x24"
NARROWER = [(1600, 900), (1280, 1024)]
STRIP_TWIPS = 40
OVERSHOOT_TWIPS = 10
AWAY = (300, 850)  # off the window wherever this test puts it, on every screen size
WINDOW_Y = 200


def pixels(twips):
    return round(twips / TWIPS_PER_PIXEL)


def hidden_left(screen_width):
    return pixels(screen_width * TWIPS_PER_PIXEL - STRIP_TWIPS)


def revealed_left(screen_width, window_width):
    return pixels((screen_width - window_width) * TWIPS_PER_PIXEL + OVERSHOOT_TWIPS)


def set_screen_size(x, width, height):
    """Switches the display's only output to a mode of that size, and the screen with it."""
    mode = f"{width}x{height}"
    modes = x.run("xrandr")
    if f" {mode} " not in modes:
        x.run("xrandr", "--newmode", mode, "0", str(width), "0", "0", "0", str(height), "0", "0", "0")
        x.run("xrandr", "--addmode", "screen", mode)
    x.run("xrandr", "--output", "screen", "--mode", mode, "--fb", mode)
    current = x.run("xrandr").splitlines()[0]
    check(f"current {width} x {height}" in current, f"the screen did not change to {mode}: {current}")


def test(program, layout):
    with XSession() as x:
        x.move_pointer(*AWAY)
        process = x.start([program])
        window = x.find_window(layout.caption)
        width = x.outer_rect(window).width

        # Pushed against the right edge of the 1920-pixel screen, the window hides there.
        x.run("xdotool", "windowmove", str(window), str(1920 - width), str(WINDOW_Y))
        x.wait_for_rect(window, lambda r: r.x == hidden_left(1920) and r.y == WINDOW_Y,
                        f"hidden at the right of 1920 pixels (left {hidden_left(1920)})")

        # Narrowed to 1600 while hidden: the next tick hides it at the new edge.
        (first_width, first_height), (second_width, second_height) = NARROWER
        set_screen_size(x, first_width, first_height)
        rect = x.wait_for_rect(window, lambda r: r.x == hidden_left(first_width) and r.y == WINDOW_Y,
                               f"hidden at the right of {first_width} pixels (left {hidden_left(first_width)})")
        x.save_screenshot("resize-1-hidden-at-1600")

        # Revealed by the pointer on its strip at the new edge...
        x.move_pointer(first_width - 1, rect.y + rect.height // 2)
        x.wait_for_rect(window, lambda r: r.x == revealed_left(first_width, width),
                        f"revealed at the right of {first_width} pixels (left {revealed_left(first_width, width)})")

        # ...then narrowed to 1280 under the pointer, which the server keeps on the screen and so over the
        # window: the next tick reveals it at the new edge.
        set_screen_size(x, second_width, second_height)
        x.wait_for_rect(window, lambda r: r.x == revealed_left(second_width, width),
                        f"revealed at the right of {second_width} pixels (left {revealed_left(second_width, width)})")
        x.save_screenshot("resize-2-revealed-at-1280")

        x.move_pointer(*AWAY)
        x.wait_for_rect(window, lambda r: r.x == hidden_left(second_width) and r.y == WINDOW_Y,
                        f"hidden at the right of {second_width} pixels (left {hidden_left(second_width)})")
        check(process.poll() is None, f"the program ended; it said: {x.log('program')}")


if __name__ == "__main__":
    main(test)
