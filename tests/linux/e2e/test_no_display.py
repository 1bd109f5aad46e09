#!/usr/bin/env python3
"""Without a display the program says so and ends with a failure status, instead of Qt's abort: both
when no display is named at all and when the named one does not answer.

Usage: test_no_display.py PROGRAM LAYOUT_TOOL
"""

import os
import signal
import subprocess

from xsession import check, main


def unused_display():
    number = 99
    while os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
        number += 1
    return f":{number}"


def run(program, **env_changes):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(env_changes)
    return subprocess.run([program], env=env, capture_output=True, text=True, timeout=20)


def test(program, layout):
    cases = [("no DISPLAY", {}, "DISPLAY"), ("a display that does not answer", {"DISPLAY": unused_display()},
                                                "cannot open")]
    for what, env, expected in cases:
        result = run(program, **env)
        check(result.returncode > 0, f"with {what}: exit status {result.returncode}"
              f" ({signal.Signals(-result.returncode).name if result.returncode < 0 else 'none'})")
        check(expected in result.stderr, f"with {what}: the program said {result.stderr!r}")


if __name__ == "__main__":
    main(test)
