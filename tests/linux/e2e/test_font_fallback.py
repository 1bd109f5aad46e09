#!/usr/bin/env python3
"""End to end: on a machine without the fonts the labels' faces prefer (Noto CJK, AR PL UMing and
UKai), the program still starts, and draws its captions and the widest texts of the table whole, in a
CJK font fontconfig picks: text pixels in every display label after a real click, none in a label's
outermost columns, where a text too wide for its label would be cut off.

Each case is a fontconfig configuration of tests/linux/fonts/: the machine's fonts less Noto CJK and
AR PL, and a machine with WenQuanYi Micro Hei alone.

Usage: test_font_fallback.py PROGRAM LAYOUT_TOOL
"""

import os

from window_checks import MIN_TEXT_PIXELS, VALUE_FIELDS, fill_colour, on_screen, screen_point, text_pixels
from xsession import XSession, check, main

FONTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fonts")
CONFIGURATIONS = ["without_ar_pl", "only_wenquanyi"]
WIDEST_ROW = "Label24"  # 5岁: "105.3-114.5", the widest text of the table


def test(program, layout):
    for configuration in CONFIGURATIONS:
        with XSession() as x:
            x.env["FONTCONFIG_FILE"] = os.path.join(FONTS, configuration + ".conf")
            # The pointer where the window opens keeps it from docking while the test looks at it.
            x.move_pointer(*layout.rect("Label9").center())
            process = x.start([program])
            window = x.find_window(layout.caption)
            client = x.geometry(window)
            x.click(*screen_point(layout, WIDEST_ROW, client))
            shot = x.wait_for(lambda s: fill_colour(s, layout, WIDEST_ROW, client) == layout.highlight,
                              f"{WIDEST_ROW} green after its click, with the fonts of {configuration}")
            x.save_screenshot(f"font-fallback-{configuration}")
            for name in ["Label9", *VALUE_FIELDS]:
                points = text_pixels(shot, layout, name, client)
                check(len(points) >= MIN_TEXT_PIXELS, f"{configuration}: {name} shows no text")
                rect = on_screen(layout.rect(name), client)
                edges = {x_ for x_, _ in points} & {rect.x, rect.x + rect.width - 1}
                check(not edges, f"{configuration}: {name}'s text reaches its edge column(s) {sorted(edges)}: cut off")
            check(process.poll() is None, f"{configuration}: the program ended; it said {x.log('program')}")


if __name__ == "__main__":
    main(test)
