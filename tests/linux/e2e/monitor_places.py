"""The program's table of desktops of several monitors (tolvane_layout's "monitorLayouts", from
tests/monitor_layouts.cpp) as the end-to-end tests of both programs use it: the monitors made on an Xvfb with
RandR 1.5 (`xrandr --setmonitor`), the window's place for each entry of the table, and where the pointer
goes to touch a hidden window's strip or to keep off the window.
"""

from xsession import Rect

NAMES = "ABCDEFGH"
# How far below the top of a monitor less tall than the window its middle place is (monitor_layouts.cpp).
CLEAR_OF_THE_TOP = 8


class Desktop:
    """A layout of the table: its monitors in root pixels, its primary, its places."""

    def __init__(self, layout):
        self.name = layout["name"]
        self.size = tuple(layout["screen"])
        self.monitors = [Rect(left, top, right - left, bottom - top) for left, top, right, bottom in layout["monitors"]]
        self.primary = self.monitors[layout["primary"]]
        self.placements = layout["placements"]

    def away_from(self, rect):
        return away_from(self.monitors, rect)


def away_from(monitors, rect):
    """A point on one of the monitors as far from the rectangle's centre as they allow: off the window, wherever
    it hides or comes back near there."""
    cx, cy = rect.center()
    corners = [(m.x + dx, m.y + dy) for m in monitors for dx in (8, m.width - 8) for dy in (8, m.height - 8)]
    return max(corners, key=lambda p: abs(p[0] - cx) + abs(p[1] - cy))


def place_window(m, anchor, size):
    """The window's outer top-left corner for a place of the table, as testing::placeWindow computes it."""
    middle_x = m.x + (m.width - size.width) // 2
    middle_y = max(m.y + CLEAR_OF_THE_TOP, m.y + (m.height - size.height) // 2)
    right = m.x + m.width - size.width
    return {"middle": (middle_x, middle_y), "acrossRight": (m.x + m.width - size.width // 2, middle_y),
            "topEdge": (middle_x, m.y), "leftEdge": (m.x, middle_y), "rightEdge": (right, middle_y),
            "rightLow": (right, m.y + m.height - size.height)}[anchor]


def pointer_on_strip(edge, m, strip):
    """The monitor's very edge within the part of the hidden window it shows: where a user throws the pointer."""
    cx = (max(strip.x, m.x) + min(strip.x + strip.width, m.x + m.width)) // 2
    cy = (max(strip.y, m.y) + min(strip.y + strip.height, m.y + m.height)) // 2
    return {"top": (cx, m.y), "left": (m.x, cy), "right": (m.x + m.width - 1, cy)}[edge]


def set_monitor(x, index, rect, primary):
    """A RandR 1.5 monitor, its size in millimetres at 96 dots per inch; the primary takes over the screen's one
    output and its automatic monitor."""
    mm = lambda pixels: round(pixels * 25.4 / 96)  # noqa: E731
    x.run("xrandr", "--setmonitor", ("*" if primary else "") + NAMES[index],
          f"{rect.width}/{mm(rect.width)}x{rect.height}/{mm(rect.height)}+{rect.x}+{rect.y}",
          "screen" if primary else "none")
