#!/usr/bin/env python3
"""End to end: the real window on a private Xvfb read over the real AT-SPI bus with pyatspi, the library
the Orca screen reader is built on, after real clicks: its children in the window's tab order, named by
their captions, the value labels described by their sex and measure, the selected age checked, and the
selection's moves announced as state changes of the ages concerned. Run inside dbus-run-session.

Usage: test_screen_reader.py PROGRAM LAYOUT_TOOL
"""

import os
import time

from screen_reader import description_of, labels_in_reading_order
from window_checks import VALUE_FIELDS, screen_point
from xsession import STARTUP_TIMEOUT_S, Failure, XSession, check, main

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
PICTURE_BOXES = 4  # after the labels in the tab order
# Clicked in this order: the selection comes to "2.5岁", then moves to "1月".
CLICKS = ["Label19", "Label2"]


class Reader:
    """A screen reader's view of the program over AT-SPI, and the checked-state changes it hears."""

    def __init__(self):
        import pyatspi  # the session bus of dbus-run-session must be there before it loads
        from gi.repository import GLib
        self.pyatspi, self.context = pyatspi, GLib.MainContext.default()
        self.changes = []
        pyatspi.Registry.registerEventListener(self._heard, "object:state-changed:checked")

    def _heard(self, event):
        self.changes.append((event.source.name, event.detail1))

    def until(self, predicate, what, timeout=STARTUP_TIMEOUT_S):
        """Pumps the bus until predicate() gives a true value, and returns it."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            while self.context.iteration(False):
                pass
            try:
                found = predicate()
            except Exception:  # an object that went away under a query: ask again
                found = None
            if found:
                return found
            time.sleep(0.05)
        raise Failure("a screen reader never got " + what)

    def window(self, title):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for app in desktop:
            for window in app or []:
                if window is not None and window.name == title:
                    return window
        return None

    def read(self, window):
        """Each child as (name, description, role, checked)."""
        children = []
        for child in window:
            children.append((child.name, child.description, child.getRoleName(),
                             child.getState().contains(self.pyatspi.STATE_CHECKED)))
        return children


def shown_name(label, row):
    """A label's caption after a click on the row's age."""
    if label["index"] == -1 and label["name"] == "Label9":
        return row["ageText"]
    if label["index"] == -1 and label["name"] in VALUE_FIELDS:
        return row[VALUE_FIELDS[label["name"]]]
    return label["caption"]


def test(program, layout):
    with XSession() as x:
        check("DBUS_SESSION_BUS_ADDRESS" in os.environ, "not inside dbus-run-session")
        x.start([BUS_LAUNCHER, "--launch-immediately"], name="at-spi", group=True)
        x.move_pointer(*layout.rect("Label9").center())  # over the window, so that it does not dock away
        env = dict(x.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        x.start([program], env=env)
        client = x.geometry(x.find_window(layout.caption))
        reader = Reader()
        window = reader.until(lambda: reader.window(layout.caption), f'the window "{layout.caption}"')

        labels = labels_in_reading_order(layout)
        ages = {row["ageLabel"]: row["ageText"] for row in layout.rows}
        for clicked in CLICKS:
            reader.changes.clear()
            x.click(*screen_point(layout, clicked, client))
            row = layout.row(clicked)
            names = [shown_name(label, row) for label in labels]
            children = reader.until(lambda: (lambda c: c if [n for n, *_ in c[:len(names)]] == names else None)(
                reader.read(window)), f"the captions after a click on {clicked}")
            check(len(children) == len(labels) + PICTURE_BOXES,
                  f"{len(children)} children, not {len(labels)} labels and {PICTURE_BOXES} photos")
            for label, (_, description, role, checked) in zip(labels, children):
                what = f"{label['name']}({label['index']})"
                check(description == description_of(label),
                      f"{what} is described {description!r}, not {description_of(label)!r}")
                is_age = label["name"] in ages and label["index"] == -1
                check(checked == (is_age and label["name"] == clicked),
                      f"{what} ({role}) is {'' if checked else 'not '}checked after a click on {clicked}")
            expected = {(ages[clicked], 1)} | ({(ages[CLICKS[0]], 0)} if clicked != CLICKS[0] else set())
            reader.until(lambda: set(reader.changes) == expected,
                         f"the state changes {sorted(expected)} after a click on {clicked}, only {reader.changes}")

        noise = [line for line in x.log("program").splitlines() if "ccessib" in line]
        check(not noise, f"the program wrote {noise[:3]}")


if __name__ == "__main__":
    main(test)
