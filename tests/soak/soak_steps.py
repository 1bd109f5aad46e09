"""What the Linux and the Windows soak both do on their private X display: send a batch of real clicks,
wait until the window shows a click's selection and read it off the screen, and hide and reveal the
window at the top edge with the real pointer."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "linux", "e2e"))
from window_checks import MIN_TEXT_PIXELS, VALUE_FIELDS, fill_colour, screen_point, text_pixels  # noqa: E402
from xsession import TWIPS_PER_PIXEL, Failure, check  # noqa: E402

AWAY = (1000, 900)  # a pointer position off the window wherever it is docked at the top
STRIP_Y = 1  # a screen row on the strip that a window hidden at the top leaves
STRIP_TWIPS = 40
REVEALED_TOP = round(-10 / TWIPS_PER_PIXEL)  # -10 twips, the layer's nearest pixel: row -1
# Between two clicks the program gets a moment to run the handler and repaint, as between a user's.
CLICK_GAP_S = "0.02"
DISPLAY_LABELS = ["Label9", *VALUE_FIELDS]


class TopDocking:
    """The window docked at the top edge of the screen, hidden and revealed with the real pointer. The
    window's outer rectangle is read from the X server (frame extents included where there are any)."""

    def __init__(self, session, window):
        self.session = session
        self.window = window
        self.height = session.outer_rect(window).height
        self.hidden_top = round((STRIP_TWIPS - self.height * TWIPS_PER_PIXEL) / TWIPS_PER_PIXEL)

    def hide(self):
        self.session.move_pointer(*AWAY)
        return self.session.wait_for_rect(self.window, lambda r: r.y == self.hidden_top,
                                          f"hidden at the top (top {self.hidden_top})")

    def reveal(self):
        rect = self.session.outer_rect(self.window)
        self.session.move_pointer(rect.x + rect.width // 2, STRIP_Y)
        return self.session.wait_for_rect(self.window, lambda r: r.y == REVEALED_TOP,
                                          f"revealed at the top (top {REVEALED_TOP})")

    def cycle(self):
        """Pointer away, the window hides; pointer on its strip, it comes back. Ends revealed, with the
        pointer over the window, so that it stays."""
        self.hide()
        self.reveal()


def click_labels(session, layout, client, labels):
    """Real presses and releases of the left button at the centre of each label in turn, in one xdotool
    call. client: the window's client area on the screen."""
    arguments = []
    for name in labels:
        x, y = screen_point(layout, name, client)
        arguments += ["mousemove", str(x), str(y), "mousedown", "1", "mouseup", "1", "sleep", CLICK_GAP_S]
    session.run("xdotool", *arguments)


def selection_shown(shot, layout, client, clicked):
    """Whether the screenshot shows clicked green, every other age label light blue and a text in each
    display label (the handler writes the captions after the colours)."""
    return all(fill_colour(shot, layout, name, client) == (layout.highlight if name == clicked else layout.idle)
               for name in layout.age_labels()) and all(
        len(text_pixels(shot, layout, name, client)) >= MIN_TEXT_PIXELS for name in DISPLAY_LABELS)


def wait_for_selection(session, layout, client, clicked):
    """Once the window shows clicked's selection: the text pixels of the age caption and the four value
    labels, relative to the client area."""
    try:
        shot = session.wait_for(lambda s: selection_shown(s, layout, client, clicked), f"{clicked} selected")
    except Failure:
        shot = session.screenshot()
        fills = {name: fill_colour(shot, layout, name, client) for name in layout.age_labels()}
        pointer = session.run("xdotool", "getmouselocation").strip()
        windows = {w: session.geometry(w) for w in visible_windows(session)}
        raise Failure(f"the window does not show {clicked} selected: age label fills {fills}; the client area "
                      f"was at {client}; pointer {pointer}; windows on the display {windows}; the program said "
                      f"{session.log('program')!r}")
    texts = {}
    for name in DISPLAY_LABELS:
        points = text_pixels(shot, layout, name, client)
        check(len(points) >= MIN_TEXT_PIXELS, f"{name} shows no text with {clicked} selected")
        texts[name] = frozenset((x - client.x, y - client.y) for x, y in points)
    return texts


def visible_windows(session):
    """The ids of the X windows mapped on the display: the program's only, on a private display."""
    out = session.run("xdotool", "search", "--onlyvisible", "--name", "")
    return sorted(int(w) for w in out.split())
