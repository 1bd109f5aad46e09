#!/usr/bin/env python3
"""The packaged program is built as Debian builds its own: devscripts' hardening-check finds it
position independent, stack protected, fortified, with read-only relocations bound at once. A check it
can only answer "unknown" (stack-clash protection in a program with no large stack frame) does not fail.

Three answers "no" are weighed, as no build flag of ours can change them:
- "Fortify Source functions: no, only unprotected functions found!": the program calls memcpy and its
  kin only where the compiler cannot know the buffer's size. It passes when the build was compiled with
  _FORTIFY_SOURCE (the flags are the second argument, from CMake).
- "Control flow integrity" (x86's CET marks): the linker marks the program only when every object in it
  is marked, and the C start-up file (Scrt1.o) of Debian 12's and 13's glibc is not. It passes while the
  compiler's Scrt1.o lacks the marks; once a release's has them, the program must have them too.
- "Branch Protection" is Arm's (BTI and PAC): it passes on other processors.

Usage: check_hardening.py SCRATCH "COMPILE FLAGS"   (SCRATCH as build_deb.py left it)
"""

import os
import platform
import subprocess
import sys

UNPROVABLE_FORTIFY = "no, only unprotected functions found!"


def start_file_has_cet_marks():
    start = subprocess.run(["g++", "-print-file-name=Scrt1.o"], capture_output=True, text=True).stdout.strip()
    notes = subprocess.run(["readelf", "-n", start], capture_output=True, text=True).stdout
    return "x86 feature: IBT" in notes


def main():
    program = os.path.join(sys.argv[1], "root", "usr", "bin", "tolvane")
    out = subprocess.run(["hardening-check", "--verbose", program], capture_output=True, text=True).stdout
    print(out)
    excused = {"Fortify Source functions": "-D_FORTIFY_SOURCE=" in sys.argv[2],
               "Control flow integrity": not start_file_has_cet_marks(),
               "Branch Protection": platform.machine() != "aarch64"}
    failures = []
    for line in out.splitlines():
        check, _, verdict = line.strip().partition(": ")
        if not verdict.startswith("no"):
            continue
        if check == "Fortify Source functions" and verdict != UNPROVABLE_FORTIFY:
            excused[check] = False
        if excused.get(check):
            print(f"note: {check}: {verdict} (see {os.path.basename(__file__)})")
            continue
        failures.append(f"{check}: {verdict}")
    if not out.strip():
        failures.append("hardening-check said nothing")
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
