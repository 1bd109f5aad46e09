#!/usr/bin/env python3
"""End to end: the real window on a private Xvfb read over the real AT-SPI bus with pyatspi, the library
the Orca screen reader is built on, after real clicks: its children in the window's tab order, named by
their captions, the value labels described by their sex and measure, the selected age alone checked, and
the selection's moves heard as checked-state changes of the ages concerned. Run inside dbus-run-session.

Usage: test_screen_reader.py PROGRAM LAYOUT_TOOL
"""

import time

from screen_reader import description_of, labels_in_reading_order
from window_checks import VALUE_FIELDS, screen_point
from xsession import STARTUP_TIMEOUT_S, Failure, XSession, check, main

PICTURE_BOXES = 4  # after the labels in the tab order
CLICKS = ["Label19", "Label2"]  # the selection comes to "2.5岁", then moves to "1月"


def shown_name(label, row):
    """A label's caption after a click on the row's age."""
    fields = dict(VALUE_FIELDS, Label9="ageText")
    return row[fields[label["name"]]] if label["index"] == -1 and label["name"] in fields else label["caption"]


def test(program, layout):
    with XSession() as x:
        x.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], name="at-spi", group=True)
        x.move_pointer(*layout.rect("Label9").center())  # over the window, so that it does not dock away
        x.start([program], env=dict(x.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
        client = x.geometry(x.find_window(layout.caption))

        import pyatspi  # only now: it connects to the session bus and the accessibility bus as it loads
        from gi.repository import GLib
        heard = []
        pyatspi.Registry.registerEventListener(lambda e: heard.append((e.source.name, e.detail1)),
                                               "object:state-changed:checked")

        def until(predicate, what):
            deadline = time.monotonic() + STARTUP_TIMEOUT_S
            while time.monotonic() < deadline:
                while GLib.MainContext.default().iteration(False):
                    pass
                try:
                    found = predicate()
                except Exception:  # an object that went away under the query: ask again
                    found = None
                if found:
                    return found
                time.sleep(0.05)
            raise Failure(f"a screen reader never got {what}; it heard {heard}")

        window = until(lambda: next((w for app in pyatspi.Registry.getDesktop(0) for w in app or []
                                     if w is not None and w.name == layout.caption), None), "the window")
        labels = labels_in_reading_order(layout)
        ages = {row["ageLabel"]: row["ageText"] for row in layout.rows}
        for clicked in CLICKS:
            heard.clear()
            x.click(*screen_point(layout, clicked, client))
            names = [shown_name(label, layout.row(clicked)) for label in labels] + [""] * PICTURE_BOXES
            children = until(lambda: [c for c in window] if [c.name for c in window] == names else None,
                             f"the names {names} after a click on {clicked}")
            for label, child in zip(labels, children):
                what = f"{label['name']}({label['index']})"
                check(child.description == description_of(label),
                      f"{what} is described {child.description!r}, not {description_of(label)!r}")
                checked = child.getState().contains(pyatspi.STATE_CHECKED)
                check(checked == (label["name"] == clicked and label["index"] == -1),
                      f"{what} ({child.getRoleName()}) is {'' if checked else 'not '}checked after {clicked}")
            expected = {(ages[clicked], 1)} | ({(ages[CLICKS[0]], 0)} if clicked != CLICKS[0] else set())
            until(lambda: set(heard) == expected, f"the state changes {sorted(expected)} after {clicked}")

        noise = [line for line in x.log("program").splitlines() if "ccessib" in line]
        check(not noise, f"the program wrote {noise[:3]}")


if __name__ == "__main__":
    main(test)
