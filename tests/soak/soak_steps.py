"""What the Linux and the Windows soak both do on their private X display: the soak itself (Soak), and
its steps: send a batch of real clicks, wait until the window shows a click's selection and read it off
the screen, and hide and reveal the window at the top edge with the real pointer."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "linux", "e2e"))
from soak_plan import BATCH  # noqa: E402
from window_checks import EXIT_LABEL, MIN_TEXT_PIXELS, VALUE_FIELDS, fill_colour, screen_point, text_pixels  # noqa: E402
from xsession import TWIPS_PER_PIXEL, Failure, check  # noqa: E402

AWAY = (1000, 900)  # a pointer position off the window wherever it is docked at the top
STRIP_Y = 1  # a screen row on the strip that a window hidden at the top leaves
STRIP_TWIPS = 40
REVEALED_TOP = round(-10 / TWIPS_PER_PIXEL)  # -10 twips, the layer's nearest pixel: row -1
# Between two clicks the program gets a moment to run the handler and repaint, as between a user's.
CLICK_GAP_S = "0.02"
DISPLAY_LABELS = ["Label9", *VALUE_FIELDS]
EXIT_TIMEOUT_S = 20


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


class Soak:
    """One soak of a program whose window is up on the session's display: the plan's clicks in batches,
    each batch's selection waited for on the screen, the window hidden and revealed between batches and
    found back where it was, the program's resources measured at the plan's two click counts. At the
    end the window shows the last click's selection exactly as a single click on that age showed it
    before the soak, no other window (an error box) appeared, the program said nothing wrong and its
    resources did not grow; "退出" still ends it with status 0. A program's soak says what differs."""

    name = ""  # of the program, in the screenshot's name
    real_clicks = BATCH  # real pointer clicks in a batch

    def __init__(self, session, layout, process, window):
        self.session = session
        self.layout = layout
        self.process = process
        self.window = window

    def client_area(self):
        """The window's client area on the screen."""
        raise NotImplementedError

    def last_age(self, plan, ages):
        """The age label of the soak's last click."""
        raise NotImplementedError

    def finish_batch(self):
        """The rest of a batch after its real clicks; what the program's resources are then, as a value
        to compare and a text to print."""
        raise NotImplementedError

    def check_resources(self, first, final, plan):
        raise NotImplementedError

    def check_log(self, log):
        raise NotImplementedError

    def run(self, plan):
        print(plan.describe())
        started = time.monotonic()
        session, layout = self.session, self.layout
        docking = TopDocking(session, self.window)
        docking.hide()
        revealed = docking.reveal()
        client = self.client_area()
        windows = visible_windows(session)

        # What the soak's last click must show at the end: the same age clicked once, now.
        ages = layout.age_labels()
        last = self.last_age(plan, ages)
        session.click(*screen_point(layout, last, client))
        expected = wait_for_selection(session, layout, client, last)

        resources = {}
        for batch in range(plan.batches):
            labels = plan.age_order(ages, batch * BATCH, self.real_clicks)
            click_labels(session, layout, client, labels)
            wait_for_selection(session, layout, client, labels[-1])
            clicks = (batch + 1) * BATCH
            check(self.process.poll() is None,
                  f"the program ended after {clicks} clicks; it said: {session.log('program')}")
            measured, text = self.finish_batch()
            if clicks in plan.measure_at:
                resources[clicks] = measured
                print(f"after {clicks} clicks: {text}")
            for _ in range(plan.cycles_after(batch)):
                docking.cycle()
            rect = session.outer_rect(self.window)
            check((rect.x, rect.y) == (revealed.x, revealed.y), f"the window came back at {rect}, not at {revealed}")

        session.save_screenshot(f"soak-{self.name}-end")
        shown = wait_for_selection(session, layout, client, last)
        check(shown == expected, f"after the soak the display labels no longer show {last}'s texts as they did")
        check(visible_windows(session) == windows, f"windows {visible_windows(session)} on the display, not {windows}")
        self.check_log(session.log("program"))
        self.check_resources(*(resources[n] for n in plan.measure_at), plan)

        session.click(*screen_point(layout, EXIT_LABEL, client))
        try:
            status = self.process.wait(timeout=EXIT_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            raise Failure('the program did not end after a click on "退出"')
        check(status == 0, f'exit status {status} after "退出"')
        print(f"soak took {time.monotonic() - started:.0f} s")
