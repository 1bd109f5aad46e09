#!/usr/bin/env python3
"""Soak of the Windows program under Wine on a private Xvfb: many clicks spread over all 25 ages and
many hide/reveal cycles at the top edge (soak_plan.py says how many). Each batch of clicks is half real
pointer clicks (xdotool) and half clicks that tolvane_probe.exe sends straight to the window and after
which it counts the program's GDI objects and windows. Afterwards the window shows the last click's
selection exactly as a single click on that age showed it before the soak, no other window (an error
box) appeared, the program reported no run-time error, and the GDI objects and windows at the last
measurement are as many as at the first; "退出" still ends the program with status 0.

Usage: test_soak_windows.py WINDOWS_BUILD_DIR LAYOUT_TOOL ARTIFACTS_DIR
"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "windows"))
from soak_plan import BATCH, Plan  # noqa: E402
from soak_steps import TopDocking, click_labels, visible_windows, wait_for_selection  # noqa: E402
from wine_session import check, main  # noqa: E402
from window_checks import EXIT_LABEL, screen_point  # noqa: E402

# The probe clicks each age once in order before it counts, then as many more as asked, so its last
# click of a batch is on the last age whenever it is asked for a multiple of 25.
PROBE_ROUND = 25
PROBE_CLICKS = BATCH // 2 - PROBE_ROUND
REAL_CLICKS = BATCH - PROBE_ROUND - PROBE_CLICKS
COUNTS = re.compile(r"^after ticks: gdi_objects=(\d+) .* windows=(\d+)$", re.MULTILINE)


def probe_batch(session):
    """The probe's clicks; (GDI objects, windows) after them and a few ticks. The probe itself fails
    when its counts grew during its clicks."""
    status, out = session.probe("leaks", str(PROBE_CLICKS), allow_failure=True)
    check(status == 0, f"tolvane_probe leaks {PROBE_CLICKS} failed ({status}): {out.strip()}")
    counts = COUNTS.search(out)
    check(counts is not None, f"tolvane_probe said: {out.strip()}")
    return int(counts.group(1)), int(counts.group(2))


def test(session, layout, artifacts):
    plan = Plan()
    print(plan.describe())
    started = time.monotonic()
    program = session.start_program(layout)
    session.bring_into_view(layout)
    window = session.find_window(layout.caption)
    docking = TopDocking(session, window)
    docking.hide()
    revealed = docking.reveal()
    client = session.window_info().client
    windows = visible_windows(session)

    # What the soak's last click, the probe's on the last age, must show at the end.
    ages = layout.age_labels()
    last = ages[-1]
    session.click(*screen_point(layout, last, client))
    expected = wait_for_selection(session, layout, client, last)

    counts = {}
    for batch in range(plan.batches):
        labels = plan.age_order(ages, batch * BATCH, REAL_CLICKS)
        click_labels(session, layout, client, labels)
        wait_for_selection(session, layout, client, labels[-1])
        gdi_objects, program_windows = probe_batch(session)
        clicks = (batch + 1) * BATCH
        check(program.poll() is None, f"the program ended after {clicks} clicks; it said: {session.log('program')}")
        if clicks in plan.measure_at:
            counts[clicks] = (gdi_objects, program_windows)
            print(f"after {clicks} clicks: {gdi_objects} GDI objects, {program_windows} windows")
        for _ in range(plan.cycles_after(batch)):
            docking.cycle()
        rect = session.outer_rect(window)
        check((rect.x, rect.y) == (revealed.x, revealed.y), f"the window came back at {rect}, not at {revealed}")

    session.save_screenshot("soak-windows-end")
    shown = wait_for_selection(session, layout, client, last)
    check(shown == expected, f"after the soak the display labels no longer show {last}'s texts as they did")
    check(visible_windows(session) == windows, f"windows {visible_windows(session)} on the display, not {windows}")
    # Wine's own messages may come on the same stream; the program's would name a run-time error.
    check("run-time error" not in session.log("program").lower(), f"the program wrote: {session.log('program')!r}")
    first, final = (counts[n] for n in plan.measure_at)
    check(first == final, f"GDI objects and windows went from {first} at click {plan.measure_at[0]} to {final}"
          f" at click {plan.measure_at[1]}")

    session.click(*screen_point(layout, EXIT_LABEL, client))
    status = session.wait_exit(program, 'a click on "退出"')
    check(status == 0, f'exit status {status} after "退出"')
    print(f"soak took {time.monotonic() - started:.0f} s")


if __name__ == "__main__":
    main(test)
