#!/usr/bin/env python3
"""Soak of the Windows program under Wine on a private Xvfb: many clicks spread over all 25 ages and
many hide/reveal cycles at the top edge (soak_plan.py says how many; soak_steps.Soak what is checked).
Each batch of clicks is half real pointer clicks (xdotool) and half clicks that tolvane_probe.exe sends
straight to the window and after which it counts the program's GDI objects and windows. The program
must report no run-time error, and the GDI objects and windows at the last measurement be as many as at
the first.

Usage: test_soak_windows.py WINDOWS_BUILD_DIR LAYOUT_TOOL ARTIFACTS_DIR
"""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "windows"))
from soak_plan import BATCH, Plan  # noqa: E402
from soak_steps import Soak  # noqa: E402
from wine_session import check, main  # noqa: E402

# The probe clicks each age once in order before it counts, then as many more as asked, so its last
# click of a batch is on the last age whenever it is asked for a multiple of 25.
PROBE_ROUND = 25
PROBE_CLICKS = BATCH // 2 - PROBE_ROUND
COUNTS = re.compile(r"^after ticks: gdi_objects=(\d+) .* windows=(\d+)$", re.MULTILINE)


class WindowsSoak(Soak):
    name = "windows"
    real_clicks = BATCH - PROBE_ROUND - PROBE_CLICKS

    def client_area(self):
        return self.session.window_info().client

    def last_age(self, plan, ages):
        return ages[-1]  # the probe's last click of every batch

    def finish_batch(self):
        """The probe's clicks, then (GDI objects, windows) after them and a few ticks. The probe itself
        fails when its counts grew during its clicks."""
        status, out = self.session.probe("leaks", str(PROBE_CLICKS), allow_failure=True)
        check(status == 0, f"tolvane_probe leaks {PROBE_CLICKS} failed ({status}): {out.strip()}")
        counts = COUNTS.search(out)
        check(counts is not None, f"tolvane_probe said: {out.strip()}")
        gdi_objects, windows = int(counts.group(1)), int(counts.group(2))
        return (gdi_objects, windows), f"{gdi_objects} GDI objects, {windows} windows"

    def check_resources(self, first, final, plan):
        check(first == final, f"GDI objects and windows went from {first} at click {plan.measure_at[0]} to {final}"
              f" at click {plan.measure_at[1]}")

    def check_log(self, log):
        # Wine's own messages may come on the same stream; the program's would name a run-time error.
        check("run-time error" not in log.lower(), f"the program wrote: {log!r}")


def test(session, layout, artifacts):
    process = session.start_program(layout)
    session.bring_into_view(layout)
    WindowsSoak(session, layout, process, session.find_window(layout.caption)).run(Plan())


if __name__ == "__main__":
    main(test)
