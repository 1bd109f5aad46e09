#!/usr/bin/env python3
"""End to end: the real window on a private Xvfb, its size and place, the age labels' colours and the
value labels' texts before and after real clicks, and "退出" ending the program with status 0.

Usage: test_selection.py PROGRAM LAYOUT_TOOL
"""

from window_checks import EXIT_LABEL, MIN_TEXT_PIXELS, VALUE_FIELDS, fill_colour, screen_point, text_pixels
from xsession import Failure, XSession, check, main, rgb

# Clicked in this order: an age in the middle of the table, the first, the last, the first again.
CLICKS = ["Label19", "Label2", "Label30", "Label2"]


def test(program, layout):
    with XSession() as x:
        # The window docks behind the top edge on its first tick unless the pointer is over it: keep the
        # pointer where the window opens (its outer corner at the screen's), over the age caption label.
        x.move_pointer(*layout.rect("Label9").center())
        process = x.start([program])
        window = x.find_window(layout.caption)

        client = x.geometry(window)
        check((client.width, client.height) == (layout.client_width, layout.client_height),
              f"client area is {client.width}x{client.height}")
        # Without a window manager there is no frame: the client area's corner is the window's.
        check((client.x, client.y) == (0, 0), f"window at {client.x},{client.y}, not at the screen's corner")

        first = layout.age_labels()[0]
        shot = x.wait_for(lambda s: fill_colour(s, layout, first, client) == layout.idle, "the idle age labels")
        for name in layout.age_labels():
            check(fill_colour(shot, layout, name, client) == layout.idle, f"{name} is not light blue at start")
        check(fill_colour(shot, layout, EXIT_LABEL, client) == rgb(layout.control(EXIT_LABEL)["backColour"]),
              "the exit label is not red")
        for name in VALUE_FIELDS:
            check(not text_pixels(shot, layout, name, client), f"{name} shows text before any click")
        check(len(text_pixels(shot, layout, "Label9", client)) >= MIN_TEXT_PIXELS, "Label9 shows no caption")

        shown = {}
        for clicked in CLICKS:
            x.click(*screen_point(layout, clicked, client))
            shot = x.wait_for(lambda s: fill_colour(s, layout, clicked, client) == layout.highlight,
                              f"{clicked} green after its click")
            for name in layout.age_labels():
                if name != clicked:
                    check(fill_colour(shot, layout, name, client) == layout.idle,
                          f"{name} is not light blue after a click on {clicked}")
            check(fill_colour(shot, layout, EXIT_LABEL, client) == rgb(layout.control(EXIT_LABEL)["backColour"]),
                  "the exit label changed colour")
            texts = {}
            for name in ["Label9", *VALUE_FIELDS]:
                texts[name] = frozenset(text_pixels(shot, layout, name, client))
                check(len(texts[name]) >= MIN_TEXT_PIXELS, f"{name} shows no text after a click on {clicked}")
            if clicked in shown:
                check(shown[clicked] == texts, f"a second click on {clicked} shows other texts")
            shown[clicked] = texts

        # Different rows have different texts in every display label (the table has no two rows alike).
        first_click, second_click = CLICKS[0], CLICKS[1]
        for name in ["Label9", *VALUE_FIELDS]:
            check(layout.row(first_click)[VALUE_FIELDS.get(name, "ageText")] !=
                  layout.row(second_click)[VALUE_FIELDS.get(name, "ageText")], "rows alike")
            check(shown[first_click][name] != shown[second_click][name],
                  f"{name} shows the same after clicks on {first_click} and {second_click}")

        x.click(*screen_point(layout, EXIT_LABEL, client))
        try:
            status = process.wait(timeout=20)
        except Exception:
            raise Failure("the program did not end after a click on the exit label")
        check(status == 0, f"exit status {status} after the exit label; program said: {x.log('program')}")


if __name__ == "__main__":
    main(test)
