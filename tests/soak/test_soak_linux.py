#!/usr/bin/env python3
"""Soak of the Linux program on a private Xvfb: many real clicks spread over all 25 ages and many
hide/reveal cycles at the top edge (soak_plan.py says how many). Afterwards the window shows the last
click's selection exactly as a single click on that age showed it before the soak, no other window
(an error box) appeared, the program wrote nothing to stderr, and its resident set grew by less than
1 MiB between the two measurements; "退出" still ends it with status 0.

Usage: test_soak_linux.py PROGRAM LAYOUT_TOOL
"""

import os
import time

from soak_plan import BATCH, Plan
from soak_steps import TopDocking, click_labels, visible_windows, wait_for_selection
from window_checks import EXIT_LABEL, screen_point
from xsession import Failure, XSession, check, main

MAX_GROWTH_KIB = 1024
EXIT_TIMEOUT_S = 20


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise Failure(f"no VmRSS for process {pid}")


def test(program, layout):
    plan = Plan()
    print(plan.describe())
    started = time.monotonic()
    with XSession() as x:
        # Qt warns on stderr when it has no runtime folder; the check below wants stderr empty.
        runtime = os.path.join(x.workdir, "runtime")
        os.mkdir(runtime, 0o700)
        x.env["XDG_RUNTIME_DIR"] = runtime
        x.move_pointer(1000, 900)
        process = x.start([program])
        window = x.find_window(layout.caption)
        docking = TopDocking(x, window)
        docking.hide()
        docking.reveal()
        client = x.geometry(window)
        windows = visible_windows(x)

        # What the soak's last click must show at the end: the same age clicked once, now.
        ages = layout.age_labels()
        last = plan.age_order(ages, plan.clicks - 1, 1)[0]
        x.click(*screen_point(layout, last, client))
        expected = wait_for_selection(x, layout, client, last)

        resident = {}
        for batch in range(plan.batches):
            labels = plan.age_order(ages, batch * BATCH, BATCH)
            click_labels(x, layout, client, labels)
            wait_for_selection(x, layout, client, labels[-1])
            clicks = (batch + 1) * BATCH
            check(process.poll() is None, f"the program ended after {clicks} clicks; it said: {x.log('program')}")
            if clicks in plan.measure_at:
                resident[clicks] = resident_kib(process.pid)
                print(f"after {clicks} clicks: VmRSS {resident[clicks]} KiB")
            for _ in range(plan.cycles_after(batch)):
                docking.cycle()
            rect = x.geometry(window)
            check((rect.x, rect.y) == (client.x, client.y), f"the window came back at {rect}, not at {client}")

        x.save_screenshot("soak-linux-end")
        shown = wait_for_selection(x, layout, client, last)
        check(shown == expected, f"after the soak the display labels no longer show {last}'s texts as they did")
        check(visible_windows(x) == windows, f"windows {visible_windows(x)} on the display, not {windows}")
        first, final = (resident[n] for n in plan.measure_at)
        growth = final - first
        print(f"resident set growth from click {plan.measure_at[0]} to {plan.measure_at[1]}: {growth} KiB")
        check(growth < MAX_GROWTH_KIB, f"the resident set grew by {growth} KiB")
        check(x.log("program") == "", f"the program wrote: {x.log('program')!r}")

        x.click(*screen_point(layout, EXIT_LABEL, client))
        try:
            status = process.wait(timeout=EXIT_TIMEOUT_S)
        except Exception:
            raise Failure('the program did not end after a click on "退出"')
        check(status == 0, f'exit status {status} after "退出"')
    print(f"soak took {time.monotonic() - started:.0f} s")


if __name__ == "__main__":
    main(test)
