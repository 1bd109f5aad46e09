#!/usr/bin/env python3
"""Soak of the Linux program on a private Xvfb: many real clicks spread over all 25 ages and many
hide/reveal cycles at the top edge (soak_plan.py says how many; soak_steps.Soak what is checked). The
program must write nothing to stderr, and its resident set grow by less than 1 MiB between the two
measurements.

Usage: test_soak_linux.py PROGRAM LAYOUT_TOOL
"""

import os

from soak_plan import Plan
from soak_steps import Soak
from xsession import Failure, XSession, check, main

MAX_GROWTH_KIB = 1024


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise Failure(f"no VmRSS for process {pid}")


class LinuxSoak(Soak):
    name = "linux"

    def client_area(self):
        return self.session.geometry(self.window)

    def last_age(self, plan, ages):
        return plan.age_order(ages, plan.clicks - 1, 1)[0]

    def finish_batch(self):
        resident = resident_kib(self.process.pid)
        return resident, f"VmRSS {resident} KiB"

    def check_resources(self, first, final, plan):
        growth = final - first
        print(f"resident set growth from click {plan.measure_at[0]} to {plan.measure_at[1]}: {growth} KiB")
        check(growth < MAX_GROWTH_KIB, f"the resident set grew by {growth} KiB")

    def check_log(self, log):
        check(log == "", f"the program wrote: {log!r}")


def test(program, layout):
    with XSession() as x:
        # Qt warns on stderr when it has no runtime folder; the check of its log wants stderr empty.
        runtime = os.path.join(x.workdir, "runtime")
        os.mkdir(runtime, 0o700)
        x.env["XDG_RUNTIME_DIR"] = runtime
        x.move_pointer(1000, 900)
        process = x.start([program])
        LinuxSoak(x, layout, process, x.find_window(layout.caption)).run(Plan())


if __name__ == "__main__":
    main(test)
