#!/usr/bin/env python3
"""tolvane.exe under Wine read as a screen reader reads it, through Microsoft Active Accessibility from
another process (tolvane_accessibility.exe): the client area's children are the 39 labels in creation
order, each named by its caption, the ages and the exit push buttons and the others static text, each
where the label is on the screen; pressing an age runs its click, announces each caption it writes as a
name change, and the names read back afterwards are the row's."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_session import check, main  # noqa: E402

ROLE_SYSTEM_STATICTEXT = 0x29
ROLE_SYSTEM_PUSHBUTTON = 0x2B
DISPLAY_LABELS = ["Label9", "Label50", "Label60", "Label70", "Label80"]


def read_children(session, reader):
    status, out, err = session.wine_call([reader, "labels"], 90)
    check(status == 0, f"tolvane_accessibility labels failed ({status}): {out} {err}")
    children = {}
    for line in out.splitlines():
        if line.startswith("child="):
            fields, name = line.split(" name=", 1)
            values = dict(part.split("=", 1) for part in fields.split())
            children[int(values["child"])] = {"role": int(values["role"]), "name": name,
                                              "location": [int(v) for v in values["location"].split(",")]}
    check(f"count={len(children)}" in out, f"the child count and the children listed differ: {out}")
    return children


def test(session, layout, artifacts):
    reader = os.path.join(os.path.dirname(session.program), "tolvane_accessibility.exe")
    session.start_program(layout)
    info = session.bring_into_view(layout)
    labels = [c for c in layout.controls if c["kind"] == "label"]

    children = read_children(session, reader)
    check(sorted(children) == list(range(1, len(labels) + 1)),
          f"{len(children)} children, not the {len(labels)} labels")
    for child_id, label in enumerate(labels, start=1):
        child = children[child_id]
        what = f"child {child_id} ({label['name']}({label['index']}))"
        check(child["name"] == label["caption"], f"{what} is named {child['name']!r}, not {label['caption']!r}")
        role = ROLE_SYSTEM_PUSHBUTTON if label["clickable"] else ROLE_SYSTEM_STATICTEXT
        check(child["role"] == role, f"{what} has role {child['role']}, not {role}")
        rect = layout.rect(label["name"], label["index"])
        expected = [info.client.x + rect.x, info.client.y + rect.y, rect.width, rect.height]
        check(child["location"] == expected, f"{what} is at {child['location']}, not {expected}")
    buttons = sum(1 for c in children.values() if c["role"] == ROLE_SYSTEM_PUSHBUTTON)
    check(buttons == 26, f"{buttons} buttons, not the 25 ages and the exit")

    # Press "2.5岁" through its default action and listen for the announcements.
    ids = {(c["name"], c["index"]): i for i, c in enumerate(labels, start=1)}
    status, out, err = session.wine_call([reader, "press", str(ids[("Label19", -1)])], 90)
    check(status == 0, f"tolvane_accessibility press failed ({status}): {out} {err}")
    row = layout.row("Label19")
    texts = [row[k] for k in ("ageText", "boysWeight", "girlsWeight", "boysHeight", "girlsHeight")]
    announced = [line.split("=", 1)[1] for line in out.splitlines() if line.startswith("namechange=")]
    expected = [f"{ids[(name, -1)]} {text}" for name, text in zip(DISPLAY_LABELS, texts)]
    # Out-of-context events reach the listener asynchronously, and Wine hands them over newest first:
    # each caption once is what counts, not the order.
    check(sorted(announced) == sorted(expected), f"announced {announced}, not {expected}")

    children = read_children(session, reader)
    for name, text in zip(DISPLAY_LABELS, texts):
        check(children[ids[(name, -1)]]["name"] == text, f"{name} reads {children[ids[(name, -1)]]['name']!r}")
    session.save_screenshot("accessibility-after-press")


if __name__ == "__main__":
    main(test)
