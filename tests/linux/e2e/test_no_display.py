#!/usr/bin/env python3
"""Without a display the program says so and ends with a failure status, instead of Qt's abort: both
when no display is named at all and when the named one does not answer.

Usage: test_no_display.py PROGRAM LAYOUT_TOOL
"""

import contextlib
import os
import signal
import socket
import subprocess

from xsession import check, main


@contextlib.contextmanager
def unused_display():
    """A display number that no X server answers on, held for the test. An X server claims a number by
    binding the abstract socket of that name, and Xvfb -displayfd, as the other tests start it, takes the
    first number whose socket it can bind: so the test binds the socket itself, without listening, and
    a connection to the number is refused while no other test can take it."""
    number = 99
    while True:
        holder = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            holder.bind(f"\0/tmp/.X11-unix/X{number}")
        except OSError:
            holder.close()
            number += 1
            continue
        if os.path.exists(f"/tmp/.X11-unix/X{number}"):  # a server that listens only there
            holder.close()
            number += 1
            continue
        break
    try:
        yield f":{number}"
    finally:
        holder.close()


def run(program, **env_changes):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(env_changes)
    return subprocess.run([program], env=env, capture_output=True, text=True, timeout=20)


def test(program, layout):
    with unused_display() as silent:
        cases = [("no DISPLAY", {}, "DISPLAY"), ("a display that does not answer", {"DISPLAY": silent}, "cannot open")]
        for what, env, expected in cases:
            result = run(program, **env)
            check(result.returncode > 0, f"with {what}: exit status {result.returncode}"
                  f" ({signal.Signals(-result.returncode).name if result.returncode < 0 else 'none'})")
            check(expected in result.stderr, f"with {what}: the program said {result.stderr!r}")


if __name__ == "__main__":
    main(test)
