#!/usr/bin/env python3
"""tolvane.exe under Wine read as a screen reader reads it, through Microsoft Active Accessibility from
another process (tolvane_accessibility.exe): the client area's children are the 39 labels in the window's
tab order, each named by its caption, the value labels described by their sex and measure, the ages and
the exit push buttons and the others static text, each where the label is on the screen; pressing an age
runs its click, announces each caption it writes as a name change, and the names read back afterwards are
the row's; the pressed age alone is checked, and pressing another announces the state change of the two."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_session import check, main  # noqa: E402
from screen_reader import description_of, labels_in_reading_order  # noqa: E402  (beside xsession)

ROLE_SYSTEM_STATICTEXT = 0x29
ROLE_SYSTEM_PUSHBUTTON = 0x2B
STATE_SYSTEM_CHECKED = 0x10
DISPLAY_LABELS = ["Label9", "Label50", "Label60", "Label70", "Label80"]


def read_children(session, reader):
    status, out, err = session.wine_call([reader, "labels"], 90)
    check(status == 0, f"tolvane_accessibility labels failed ({status}): {out} {err}")
    children = {}
    for line in out.splitlines():
        if line.startswith("child="):
            fields, name = line.split(" name=", 1)
            values = dict(part.split("=", 1) for part in fields.split())
            children[int(values["child"])] = {"role": int(values["role"]), "state": int(values["state"]),
                                              "name": name, "description": "",
                                              "location": [int(v) for v in values["location"].split(",")]}
        elif line.startswith("description="):
            child_id, text = line.split("=", 1)[1].split(" ", 1)
            children[int(child_id)]["description"] = text
    check(f"count={len(children)}" in out, f"the child count and the children listed differ: {out}")
    return children


def press(session, reader, child_id):
    status, out, err = session.wine_call([reader, "press", str(child_id)], 90)
    check(status == 0, f"tolvane_accessibility press failed ({status}): {out} {err}")
    # Out-of-context events reach the listener asynchronously, and Wine hands them over newest first:
    # each change once is what counts, not the order.
    return {kind: sorted(line.split("=", 1)[1] for line in out.splitlines() if line.startswith(kind + "="))
            for kind in ("namechange", "statechange")}


def checked(children):
    return [i for i, c in sorted(children.items()) if c["state"] & STATE_SYSTEM_CHECKED]


def test(session, layout, artifacts):
    reader = os.path.join(os.path.dirname(session.program), "tolvane_accessibility.exe")
    session.start_program(layout)
    info = session.bring_into_view(layout)
    labels = labels_in_reading_order(layout)

    children = read_children(session, reader)
    check(sorted(children) == list(range(1, len(labels) + 1)),
          f"{len(children)} children, not the {len(labels)} labels")
    for child_id, label in enumerate(labels, start=1):
        child = children[child_id]
        what = f"child {child_id} ({label['name']}({label['index']}))"
        check(child["name"] == label["caption"], f"{what} is named {child['name']!r}, not {label['caption']!r}")
        check(child["description"] == description_of(label),
              f"{what} is described {child['description']!r}, not {description_of(label)!r}")
        role = ROLE_SYSTEM_PUSHBUTTON if label["clickable"] else ROLE_SYSTEM_STATICTEXT
        check(child["role"] == role, f"{what} has role {child['role']}, not {role}")
        rect = layout.rect(label["name"], label["index"])
        expected = [info.client.x + rect.x, info.client.y + rect.y, rect.width, rect.height]
        check(child["location"] == expected, f"{what} is at {child['location']}, not {expected}")
    buttons = sum(1 for c in children.values() if c["role"] == ROLE_SYSTEM_PUSHBUTTON)
    check(buttons == 26, f"{buttons} buttons, not the 25 ages and the exit")
    check(checked(children) == [], f"children {checked(children)} checked before any age is chosen")

    # Press "2.5岁" through its default action and listen for the announcements.
    ids = {(c["name"], c["index"]): i for i, c in enumerate(labels, start=1)}
    changes = press(session, reader, ids[("Label19", -1)])
    row = layout.row("Label19")
    texts = [row[k] for k in ("ageText", "boysWeight", "girlsWeight", "boysHeight", "girlsHeight")]
    expected = sorted(f"{ids[(name, -1)]} {text}" for name, text in zip(DISPLAY_LABELS, texts))
    check(changes["namechange"] == expected, f"announced {changes['namechange']}, not {expected}")
    check(changes["statechange"] == [f"{ids[('Label19', -1)]} {STATE_SYSTEM_CHECKED}"],
          f"state changes {changes['statechange']} after pressing 2.5岁")

    children = read_children(session, reader)
    for name, text in zip(DISPLAY_LABELS, texts):
        check(children[ids[(name, -1)]]["name"] == text, f"{name} reads {children[ids[(name, -1)]]['name']!r}")
    check(checked(children) == [ids[("Label19", -1)]], f"children {checked(children)} checked, not 2.5岁")

    # The selection moves: both ages concerned announce their new state.
    changes = press(session, reader, ids[("Label2", -1)])
    expected = sorted([f"{ids[('Label2', -1)]} {STATE_SYSTEM_CHECKED}", f"{ids[('Label19', -1)]} 0"])
    check(changes["statechange"] == expected, f"state changes {changes['statechange']}, not {expected}")
    check(checked(read_children(session, reader)) == [ids[("Label2", -1)]], "1月 is not the checked age")
    session.save_screenshot("accessibility-after-press")


if __name__ == "__main__":
    main(test)
