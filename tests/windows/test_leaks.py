#!/usr/bin/env python3
"""End to end under Wine: 1,000 clicks on the age labels, each repainting 30 labels, and a few timer
ticks leave the program with as many GDI objects (and windows) as before. tolvane_probe.exe clicks and
counts; see probe/gui_resources.h for how it counts under Wine, where GetGuiResources is a stub.

Usage: test_leaks.py WINDOWS_BUILD_DIR LAYOUT_TOOL ARTIFACTS_DIR
"""

from wine_session import check, main

CLICKS = 1000
# A deadline, not a measure: a thousand clicks under Wine take half a minute alone, and several times that
# beside the rest of make test on two cores.
LEAKS_TIMEOUT_S = 240


def test(session, layout, artifacts):
    program = session.start_program(layout)
    info = session.bring_into_view(layout)
    status, out = session.probe("leaks", str(CLICKS), allow_failure=True, timeout=LEAKS_TIMEOUT_S)
    print(out.strip())
    check(status == 0, f"the program's GUI objects grew over {CLICKS} clicks and the ticks after them")

    exit_label = layout.rect("Label17")
    x, y = exit_label.center()
    session.click(info.client.x + x, info.client.y + y)
    status = session.wait_exit(program, 'a click on "退出"')
    check(status == 0, f'exit status {status} after "退出"')


if __name__ == "__main__":
    main(test)
