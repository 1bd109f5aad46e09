#!/usr/bin/env python3
"""The picture of the window that README and the AppStream metainfo show (docs/tolvane-window.png, made by
`make screenshot`) is still what the program draws: the program draws the same window again, with the
same age selected, and both pictures have the same size and the same colours at every opaque label's
place (its bottom corners and middle, where captions never reach); the selected age is green. Texts are
left out: their pixels depend on the fonts a machine has.

Usage: test_readme_screenshot.py PROGRAM LAYOUT_TOOL
"""

import os
import subprocess
import sys
import tempfile

from xsession import Layout, Screenshot, check

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
PICTURE = os.path.join(SOURCE, "docs", "tolvane-window.png")
SELECTED = "Label19"  # "2.5岁", as `make screenshot` clicks it


def read_png(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    return Screenshot(ppm)


def fill(shot, rect):
    y = rect.y + rect.height - 2
    return [shot.pixel(x, y) for x in (rect.x + 1, rect.x + rect.width // 2, rect.x + rect.width - 2)]


def main(program, layout_tool):
    layout = Layout(layout_tool)
    with tempfile.TemporaryDirectory() as scratch:
        drawn_path = os.path.join(scratch, "drawn.png")
        x, y = layout.rect(SELECTED).center()
        subprocess.run([os.path.join(SOURCE, "tools", "screenshot.sh"), "--window", program, drawn_path, f"{x},{y}"],
                       check=True, timeout=120)
        committed, drawn = read_png(PICTURE), read_png(drawn_path)
    check((committed.width, committed.height) == (drawn.width, drawn.height) ==
          (layout.client_width, layout.client_height),
          f"the committed picture is {committed.width}x{committed.height}, the program draws "
          f"{drawn.width}x{drawn.height} (`make screenshot` makes it again)")
    labels = [c["name"] for c in layout.controls if c["kind"] == "label" and c["opaque"]]
    for name in labels:
        rect = layout.rect(name)
        check(fill(committed, rect) == fill(drawn, rect),
              f"{name}: the committed picture has {fill(committed, rect)}, the program draws {fill(drawn, rect)} "
              "(`make screenshot` makes it again)")
    check(set(fill(committed, layout.rect(SELECTED))) == {layout.highlight}, "the picture's selected age is not green")
    print(f"the picture matches the program at {len(labels)} labels")
    print("1 passed, 0 failed")


if __name__ == "__main__":
    try:
        main(*sys.argv[1:])
    except Exception as failure:  # Failure from check, or a tool that failed
        print("FAIL:", failure)
        print("0 passed, 1 failed")
        sys.exit(1)
