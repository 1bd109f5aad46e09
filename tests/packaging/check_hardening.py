#!/usr/bin/env python3
"""The packaged program is built as Debian builds its own: devscripts' hardening-check finds it
position independent, stack protected, fortified, with read-only relocations bound at once, and, where
the release's hardening flags ask for it (Debian 13), with control-flow protection. A check it can only
answer "unknown" (stack-clash protection in a program with no large stack frame) does not fail.

Two answers are weighed against the flags the build used (the second argument, from CMake):
- "Fortify Source functions: no, only unprotected functions found!" means that the program calls memcpy
  and its kin only where the compiler cannot know the buffer's size, which no flag changes: it passes
  when the build was compiled with _FORTIFY_SOURCE;
- "Control flow integrity: no" passes only when the flags do not ask for -fcf-protection: Debian 12's
  do not, and its C start-up files lack the marks that the linker needs in every object.

Usage: check_hardening.py SCRATCH "COMPILE FLAGS"   (SCRATCH as build_deb.py left it)
"""

import os
import subprocess
import sys

UNPROVABLE_FORTIFY = "no, only unprotected functions found!"


def main():
    program = os.path.join(sys.argv[1], "root", "usr", "bin", "tolvane")
    flags = sys.argv[2]
    excused = {"Fortify Source functions": "-D_FORTIFY_SOURCE=" in flags,
               "Control flow integrity": "-fcf-protection" not in flags}
    out = subprocess.run(["hardening-check", "--verbose", program], capture_output=True, text=True).stdout
    print(out)
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
