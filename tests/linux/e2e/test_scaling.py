#!/usr/bin/env python3
"""End to end: the captions stay bold, and inside their labels, as the desktop's scaling grows. At each
Xft.dpi the program lays itself out that much larger. The title's ink divided by the square of the
scale stays within 15 % of the figure at 100 % (a face that is bold only by emboldening thins out as
it grows); the ink is the title's pixels weighted by how much of its blue they hold, read from the red
channel against the background's, so that antialiased edges count by their share. After a click on
the row with the widest texts, no text of the title or of a display label reaches its label's
outermost pixel columns, where a wider one would be cut off.

Usage: test_scaling.py PROGRAM LAYOUT_TOOL
"""

from window_checks import VALUE_FIELDS
from xsession import Rect, XSession, check, main, rgb

SCALES = {96: 1.0, 120: 1.25, 144: 1.5, 192: 2.0}  # Xft.dpi and the scale it gives
TITLE = ("Label1", 0)
WIDEST_ROW = "Label24"  # 5岁: "105.3-114.5", the widest text of the table
TOLERANCE = 0.15


def scaled(rect, scale, origin):
    return Rect(origin.x + round(rect.x * scale), origin.y + round(rect.y * scale),
                round(rect.width * scale), round(rect.height * scale))


def ink(shot, layout, name, index, rect):
    colour = rgb(layout.control(name, index)["foreColour"])
    return shot.matching(rect, lambda pixel: all(abs(a - e) <= 60 for a, e in zip(pixel, colour)))


def title_ink(shot, layout, rect):
    """The title's pixels weighted by their share of its blue (which has no red): 1 - red / the red of
    the background around it, the background being most of the label's pixels."""
    check(rgb(layout.control(*TITLE)["foreColour"])[0] == 0, "the title's colour has red in it")
    reds = sorted(shot.pixel(x, y)[0] for x, y in shot.points(rect))
    background = reds[len(reds) * 95 // 100]
    return sum(min(1.0, max(0.0, 1 - red / background)) for red in reds)


def title_ink_at(program, layout, dpi, scale):
    """The title's ink at one scale, after checking that the texts fit."""
    with XSession() as x:
        x.run("sh", "-c", f"echo 'Xft.dpi: {dpi}' | xrdb -merge")
        x.move_pointer(*layout.rect("Label9").center())  # keeps the window from docking
        process = x.start([program])
        client = x.geometry(x.find_window(layout.caption))
        check(abs(client.width - layout.client_width * scale) <= 2,
              f"at {dpi} DPI the client area is {client.width} wide, not {layout.client_width * scale}")
        x.move_pointer(*scaled(layout.rect("Label9"), scale, client).center())
        row = scaled(layout.rect(WIDEST_ROW), scale, client)
        x.click(*row.center())
        green = lambda s: s.pixel(row.x + row.width // 2, row.y + row.height - 2) == layout.highlight  # noqa: E731
        shot = x.wait_for(green, f"{WIDEST_ROW} green after its click at {dpi} DPI")
        x.save_screenshot(f"scaling-{dpi}")
        for name, index in [TITLE, ("Label9", -1), *((label, -1) for label in VALUE_FIELDS)]:
            rect = scaled(layout.rect(name, index), scale, client)
            points = ink(shot, layout, name, index, rect)
            check(points, f"at {dpi} DPI {name} shows no text")
            edges = {px for px, _ in points} & {rect.x, rect.x + rect.width - 1}
            check(not edges, f"at {dpi} DPI {name}'s text reaches its edge columns {sorted(edges)}: cut off")
        check(process.poll() is None, f"the program ended at {dpi} DPI; it said {x.log('program')}")
        return title_ink(shot, layout, scaled(layout.rect(*TITLE), scale, client))


def test(program, layout):
    figures = {dpi: title_ink_at(program, layout, dpi, scale) / scale ** 2 for dpi, scale in SCALES.items()}
    print("title ink / scale²:", {dpi: round(figure) for dpi, figure in figures.items()})
    for dpi, figure in figures.items():
        ratio = figure / figures[96]
        check(abs(ratio - 1) <= TOLERANCE,
              f"at {dpi} DPI the title has {ratio:.2f} of its ink per scale² at 96 DPI: not as bold")


if __name__ == "__main__":
    main(test)
