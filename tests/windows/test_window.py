#!/usr/bin/env python3
"""End to end under Wine: tolvane.exe's window (place, size, frame, icons, topmost), the age labels'
colours and the display labels' texts before and after real clicks, the fonts' fit, and the three ways
the program ends with exit status 0: "退出", a close through the X window system (WM_DELETE_WINDOW), and
the close button of the title bar; on the way, the window docking at the top edge. Then the window told
that it moved to a monitor at 150 % (144 DPI) and back, as Windows tells a per-monitor aware program
(WM_DPICHANGED; Wine gives all monitors one DPI, so the probe sends it), and last the window started at
144 DPI, which must show the same client area, pixel for pixel, as the one laid out again.

Usage: test_window.py WINDOWS_BUILD_DIR LAYOUT_TOOL ARTIFACTS_DIR
"""

import os
import subprocess
import time

from wine_session import Failure, check, main, rgb

EXIT_LABEL = "Label17"
DISPLAY_LABELS = ["Label9", "Label50", "Label60", "Label70", "Label80"]
# The first age, the last, one in the middle, and the first again.
CLICKS = ["Label19", "Label2", "Label30", "Label19"]
MIN_TEXT_PIXELS = 20
DOCKING_TIMEOUT_S = 10
DPI_CLICK = "Label19"


def screen_rect(layout, name, client, index=-1):
    rect = layout.rect(name, index)
    rect.x += client.x
    rect.y += client.y
    return rect


def covered(layout, client):
    """The picture boxes on the screen: they lie above the labels."""
    boxes = layout.picture_boxes()
    for box in boxes:
        box.x += client.x
        box.y += client.y
    return boxes


def fill_colour(shot, layout, name, client):
    """An opaque label's colour at its bottom corners and bottom middle, where captions never reach;
    None unless the three agree."""
    rect = screen_rect(layout, name, client)
    y = rect.y + rect.height - 2
    colours = {shot.pixel(rect.x + 1, y), shot.pixel(rect.x + rect.width // 2, y),
               shot.pixel(rect.x + rect.width - 2, y)}
    return colours.pop() if len(colours) == 1 else None


def text_pixels(shot, layout, name, client):
    """The label's pixels that are exactly its text colour, relative to the label, less those under a
    picture box."""
    rect = screen_rect(layout, name, client)
    colour = rgb(layout.control(name)["foreColour"])
    return {(x - rect.x, y - rect.y) for x, y in shot.points(rect, covered(layout, client))
            if shot.pixel(x, y) == colour}


def expected_masks(session, layout, age_label, client):
    """What the probe draws for the row, off screen, with the program's own drawing code."""
    _, out = session.probe("masks", age_label)
    masks, lines = {}, out.splitlines()
    while lines:
        _, name, width, height = lines.pop(0).split()
        rows = [lines.pop(0) for _ in range(int(height))]
        rect = screen_rect(layout, name, client)
        boxes = covered(layout, client)
        masks[name] = {(x, y) for y, row in enumerate(rows) for x, c in enumerate(row)
                       if c == "#" and not any(b.contains(rect.x + x, rect.y + y) for b in boxes)}
    return masks


def check_start(session, layout):
    info = session.window_info()
    # Opened with its outer corner at the screen's; the first tick may already have tucked it away
    # behind the top edge, which moves it straight up.
    check(info.outer.x == 0 and info.outer.y <= 0, f"the window opened at {info.outer}, not at the corner")
    info = session.bring_into_view(layout)
    client = info.client
    check((client.width, client.height) == (layout.client_width, layout.client_height),
          f"client area {client.width}x{client.height}, not {layout.client_width}x{layout.client_height}")
    check(info.fields["dpi"] == "96", f"the display is at {info.fields['dpi']} DPI")
    check(info.fields["awareness"] == "2", f"the program runs with DPI awareness {info.fields['awareness']}, "
          "not per monitor (2) as its manifest declares")
    for flag, wanted in [("caption", True), ("sysmenu", True), ("thickframe", True), ("minimizebox", False),
                         ("maximizebox", False), ("topmost", True), ("visible", True)]:
        check(info.flag(flag) == wanted, f"the window's {flag} is {info.flag(flag)}")
    check_icons(session, layout)
    return client


def check_icons(session, layout):
    """The icons the window gives the window system for its title bar and taskbar button (Wine hands
    them on as _NET_WM_ICON): 32 by 32 and 16 by 16, transparent corners, a red or white centre."""
    window = session.find_window(layout.caption)
    out = session.run("xprop", "-id", str(window), "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON")
    check("=" in out, f"the window has no icon: {out.strip()}")
    values = [int(v) for v in out.split("=", 1)[1].split(",")]
    icons = {}
    while len(values) >= 2:
        width, height = values[0], values[1]
        icons[(width, height)] = values[2:2 + width * height]
        values = values[2 + width * height:]
    check(set(icons) >= {(32, 32), (16, 16)}, f"the window's icons are {sorted(icons)}, not 32x32 and 16x16")
    for (width, height), pixels in icons.items():
        argb = lambda x, y: pixels[y * width + x]  # noqa: E731
        check(argb(0, 0) >> 24 == 0, f"the {width}x{height} icon's corner is not transparent")
        r, g, b = (argb(width // 2, height // 2) >> shift & 0xFF for shift in (16, 8, 0))
        check(r >= 0xC0 and (g < 0x80 or g >= 0xC0) and abs(g - b) < 0x40,
              f"the {width}x{height} icon's centre is {r},{g},{b}, neither red nor white")


def click_through_ages(session, layout, client, artifacts):
    idle, highlight = layout.idle, layout.highlight
    exit_red = rgb(layout.control(EXIT_LABEL)["backColour"])
    shot = session.wait_for(lambda s: fill_colour(s, layout, layout.age_labels()[0], client) == idle,
                            "the age labels light blue")
    for name in layout.age_labels():
        check(fill_colour(shot, layout, name, client) == idle, f"{name} is not light blue at start")
    check(fill_colour(shot, layout, EXIT_LABEL, client) == exit_red, "the exit label is not red")
    check(len(text_pixels(shot, layout, "Label9", client)) >= MIN_TEXT_PIXELS, "Label9 shows no caption")
    for name in DISPLAY_LABELS[1:]:
        check(not text_pixels(shot, layout, name, client), f"{name} shows text before any click")

    for clicked in CLICKS:
        # The row's own texts, pixel for pixel as the program's drawing code makes them.
        expected = expected_masks(session, layout, clicked, client)
        x, y = screen_rect(layout, clicked, client).center()
        session.click(x, y)
        # One handler paints all 30 labels; the screen may show them a moment apart.
        shot = wait_for_row(session, layout, clicked, client, expected)
        for name in layout.age_labels():
            if name != clicked:
                check(fill_colour(shot, layout, name, client) == idle,
                      f"{name} is not light blue after a click on {clicked}")
        check(fill_colour(shot, layout, EXIT_LABEL, client) == exit_red, "the exit label changed colour")
        if clicked == "Label19":
            save_window(session, artifacts, "windows-after-2.5.png")


def wait_for_row(session, layout, clicked, client, expected, attempts=100):
    """The first screenshot with the clicked label green and the display labels showing exactly the
    expected texts; a failure says what the last one showed."""
    shot = None
    for _ in range(attempts):
        shot = session.screenshot()
        if fill_colour(shot, layout, clicked, client) == layout.highlight and all(
                text_pixels(shot, layout, name, client) == mask for name, mask in expected.items()):
            return shot
        time.sleep(0.05)
    check(fill_colour(shot, layout, clicked, client) == layout.highlight, f"{clicked} is not green after its click")
    for name, mask in expected.items():
        shown = text_pixels(shot, layout, name, client)
        check(len(shown) >= MIN_TEXT_PIXELS, f"{name} shows no text after a click on {clicked}")
        check(shown == mask, f"{name} after a click on {clicked}: {len(shown)} text pixels, {len(mask)} expected, "
              f"{len(shown ^ mask)} differ")
    return shot


def save_window(session, artifacts, name):
    info = session.window_info()
    outer = info.outer
    top = max(outer.y, 0)
    subprocess.run(["import", "-window", "root", "-crop",
                    f"{outer.width}x{outer.height - (top - outer.y)}+{max(outer.x, 0)}+{top}",
                    os.path.join(artifacts, name)], env=session.env, check=True, timeout=30)


def wait_for_top(session, top, what):
    deadline = time.monotonic() + DOCKING_TIMEOUT_S
    info = session.window_info()
    while info.outer.y != top:
        check(time.monotonic() < deadline, f"the window's top is at {info.outer.y}, not {top}, {what}")
        time.sleep(0.2)
        info = session.window_info()
    return info


def check_docking(session, layout):
    """Timer1's docking step through this layer's services (GetCursorPos, GetWindowRect, Top, Height,
    Show): with the pointer off it, the window at the top edge hides, leaving 40 twips; with the
    pointer on that strip it comes back to 10 twips beyond the edge."""
    outer = session.window_info().outer
    session.move_pointer(outer.x + outer.width + 100, outer.y + outer.height + 100)
    height_twips = outer.height * 15
    wait_for_top(session, round((40 - height_twips) / 15), "with the pointer off it")
    session.move_pointer(outer.x + outer.width // 2, 1)
    info = wait_for_top(session, round(-10 / 15), "with the pointer on its strip")
    x, y = layout.rect("Label9").center()
    session.move_pointer(info.client.x + x, info.client.y + y)


def label_fill(shot, layout, name, client, twips_per_pixel):
    """An opaque label's colour at the middle of its bottom row but one, at any scale."""
    label = layout.control(name)
    return shot.pixel(client.x + round((label["left"] + label["width"] / 2) / twips_per_pixel),
                      client.y + round((label["top"] + label["height"]) / twips_per_pixel) - 2)


def client_area(session, layout, twips_per_pixel, what):
    """The window's client area once it shows the clicked age green at that scale and the screen has
    settled: its size and its pixels."""
    info = session.window_info()
    expected = (round(layout.client_width * 15 / twips_per_pixel), round(layout.client_height * 15 / twips_per_pixel))
    deadline = time.monotonic() + DOCKING_TIMEOUT_S
    while (info.client.width, info.client.height) != expected:
        check(time.monotonic() < deadline, f"{what}: the client area is {info.client.width}x{info.client.height}, "
              f"not {expected[0]}x{expected[1]}")
        time.sleep(0.1)
        info = session.window_info()
    client = info.client
    shot = session.wait_for(lambda s: label_fill(s, layout, DPI_CLICK, client, twips_per_pixel) == layout.highlight,
                            f"{what}: {DPI_CLICK} green")
    rows = [shot.pixels[3 * (y * shot.width + client.x):3 * (y * shot.width + client.x + client.width)]
            for y in range(client.y, client.y + client.height)]
    return (client.width, client.height), b"".join(rows)


def same_pixels(artifacts, name, expected, shown, what):
    """Two client areas alike, pixel for pixel; otherwise both saved beside the screenshots."""
    if expected == shown:
        return
    (width, height), _ = expected
    for suffix, (size, pixels) in (("expected", expected), ("shown", shown)):
        with open(os.path.join(artifacts, f"{name}-{suffix}.ppm"), "wb") as f:
            f.write(b"P6 %d %d 255\n" % size + pixels)
    differ = sum(a != b for a, b in zip(expected[1][0::3], shown[1][0::3])) if expected[0] == shown[0] else width * height
    raise Failure(f"{what}: {differ} pixels differ (see {name}-*.ppm in {artifacts})")


def laid_out_again(session, layout, artifacts):
    """At 96 DPI with a selection made, the window is told it now stands on a monitor of 144 DPI: it lays
    itself out at 10 twips to a pixel, keeps the selection, docks with a strip of 40 twips (4 pixels) and
    comes back 10 twips (1 pixel) beyond the edge; told it is back at 96, it shows exactly what it showed.
    Returns its client area at 144 DPI."""
    program = session.start_program(layout)
    info = session.bring_into_view(layout)
    session.click(*label_point(layout, DPI_CLICK, info.client, 15))
    at96 = client_area(session, layout, 15, "at 96 DPI")
    session.probe("dpi", "96", "144")
    at144 = client_area(session, layout, 10, "laid out again at 144 DPI")
    save_window(session, artifacts, "windows-laid-out-at-144.png")

    outer = session.window_info().outer
    session.move_pointer(outer.x + outer.width + 100, outer.y + outer.height + 100)
    wait_for_top(session, 4 - outer.height, "with the pointer off it at 144 DPI (a strip of 4 pixels)")
    session.move_pointer(outer.x + outer.width // 2, 1)
    info = wait_for_top(session, -1, "with the pointer on its strip at 144 DPI")
    x, y = layout.rect("Label9").center()
    session.move_pointer(info.client.x + x, info.client.y + y)

    session.probe("dpi", "144", "96")
    same_pixels(artifacts, "windows-back-at-96", at96, client_area(session, layout, 15, "back at 96 DPI"),
                "back at 96 DPI, the window is not as it was")
    session.click(*label_point(layout, EXIT_LABEL, session.window_info().client, 15))
    status = session.wait_exit(program, 'a click on "退出" after the DPI changes')
    check(status == 0, f'exit status {status} after "退出" after the DPI changes')
    return at144


def label_point(layout, name, client, twips_per_pixel):
    """The middle of a label on the screen, at any scale."""
    label = layout.control(name)
    return (client.x + round((label["left"] + label["width"] / 2) / twips_per_pixel),
            client.y + round((label["top"] + label["height"] / 2) / twips_per_pixel))


def test(session, layout, artifacts):
    # 1. The window, clicks, fonts, and "退出".
    program = session.start_program(layout)
    client = check_start(session, layout)
    click_through_ages(session, layout, client, artifacts)
    status, out = session.probe("fonts", allow_failure=True)
    check(status == 0, "texts that do not fit their labels:\n" + out)
    session.click(*label_point(layout, EXIT_LABEL, client, 15))
    status = session.wait_exit(program, 'a click on "退出"')
    check(status == 0, f'exit status {status} after "退出"; program said: {session.log("program")}')

    # 2. Docking at the top edge; then closed through the X window system, as a window manager's
    # close button does it.
    program = session.start_program(layout)
    session.bring_into_view(layout)
    check_docking(session, layout)
    session.send_wm_delete(session.find_window(layout.caption))
    status = session.wait_exit(program, "WM_DELETE_WINDOW")
    check(status == 0, f"exit status {status} after WM_DELETE_WINDOW")

    # 3. Closed with the close button of its title bar, by a real click.
    program = session.start_program(layout)
    session.bring_into_view(layout)
    _, out = session.probe("closebutton")
    x, y = (int(v) for v in out.strip().split("=")[1].split(","))
    session.click(x, y)
    status = session.wait_exit(program, "a click on the close button")
    check(status == 0, f"exit status {status} after the close button")

    # 4. Moved to a monitor of 144 DPI and back, as Windows tells a per-monitor aware program.
    laid_out = laid_out_again(session, layout, artifacts)

    # 5. At 150 % scaling the program, DPI aware through its manifest, lays itself out at 10 twips to
    # a pixel: a bigger client area, the same twips; and the same pixels as the window laid out again.
    session.set_dpi(144)
    program = session.start_program(layout)
    info = session.bring_into_view(layout)
    check(info.fields["dpi"] == "144", f"the display is at {info.fields['dpi']} DPI, not 144")
    session.click(*label_point(layout, DPI_CLICK, info.client, 10))
    same_pixels(artifacts, "windows-144", laid_out, client_area(session, layout, 10, "started at 144 DPI"),
                "the window laid out again at 144 DPI and the one started at 144 DPI differ")
    save_window(session, artifacts, "windows-150-percent.png")
    session.click(*label_point(layout, EXIT_LABEL, info.client, 10))
    status = session.wait_exit(program, 'a click on "退出" at 144 DPI')
    check(status == 0, f'exit status {status} after "退出" at 144 DPI')

if __name__ == "__main__":
    main(test)
