"""The shape of a soak run, shared by the Linux and the Windows soak: how many clicks, in which order,
in batches, with how many hide/reveal cycles of the docking after each batch, and at which two click
counts the program's resources are measured.

The full run (TOLVANE_SOAK=full) is 2,000 clicks and 200 hide/reveal cycles, measured at the 500th
and the 2,000th click; the short one, which `make test` runs, is 600 clicks and 20 cycles, measured at
the 200th and the 600th.
"""

import os

BATCH = 100  # clicks sent in one go; the resources are measured only between batches
# Click k goes to age (k * STRIDE + k // 25) % 25: each run of 25 clicks from a multiple of 25 on goes to
# every age once (80 times each in 2,000 clicks); no label twice running, so no two clicks make a double
# click; and one batch ends on another age than the batch before, which shows when a batch is done.
STRIDE = 7

MODES = {
    # name: (clicks, hide/reveal cycles, the click count of the first measurement)
    "short": (600, 20, 200),
    "full": (2000, 200, 500),
}


class Plan:
    def __init__(self, mode=None):
        self.mode = mode or os.environ.get("TOLVANE_SOAK", "short")
        if self.mode not in MODES:
            raise SystemExit(f"TOLVANE_SOAK={self.mode}: expected one of {', '.join(MODES)}")
        self.clicks, self.cycles, self.first_measure = MODES[self.mode]
        self.batches = self.clicks // BATCH
        self.measure_at = (self.first_measure, self.clicks)

    def age_order(self, ages, start, count):
        """The age labels of clicks start .. start + count - 1."""
        return [ages[(k * STRIDE + k // len(ages)) % len(ages)] for k in range(start, start + count)]

    def cycles_after(self, batch):
        """Hide/reveal cycles after batch (0-based), spread evenly over the run."""
        return self.cycles * (batch + 1) // self.batches - self.cycles * batch // self.batches

    def describe(self):
        return (f"{self.mode} soak: {self.clicks} clicks in batches of {BATCH}, {self.cycles} hide/reveal cycles, "
                f"measured at clicks {self.measure_at[0]} and {self.measure_at[1]}")
