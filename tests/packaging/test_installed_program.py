#!/usr/bin/env python3
"""End to end: the program the Debian package installs (unpacked into a scratch root) opens its window
"0-10 Tolvane" on a private Xvfb, with the window class the desktop entry names as StartupWMClass, and
ends with exit status 0 when its exit label is clicked.

Usage: test_installed_program.py SCRATCH LAYOUT_TOOL   (SCRATCH as build_deb.py left it)
"""

import configparser
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "linux", "e2e"))
from xsession import Failure, Layout, XSession, check  # noqa: E402

APP_ID = "io.github.tolvane.Tolvane"
EXIT_LABEL = "Label17"


def desktop_entry(root):
    parser = configparser.RawConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(os.path.join(root, f"usr/share/applications/{APP_ID}.desktop"), encoding="utf-8")
    return parser["Desktop Entry"]


def wm_class(x, window):
    """WM_CLASS's two strings, instance and class, as xprop prints them: "tolvane", "tolvane"."""
    return [part.strip().strip('"') for part in x.property(window, "WM_CLASS").split(",")]


def test(root, layout):
    entry = desktop_entry(root)
    program = os.path.join(root, "usr/bin", entry["Exec"].split()[0])
    check(os.access(program, os.X_OK), f"{program} is not an installed program")
    with XSession() as x:
        # The window opens at the screen's top-left corner and hides behind the top edge on its first
        # tick unless the pointer is over it.
        x.move_pointer(200, 200)
        process = x.start([program])
        window = x.find_window(layout.caption)
        check(process.poll() is None, "the installed program ended by itself")

        instance_and_class = wm_class(x, window)
        check(len(instance_and_class) == 2 and instance_and_class[1] == entry["StartupWMClass"],
              f"WM_CLASS {instance_and_class} does not end in StartupWMClass {entry['StartupWMClass']!r}")

        client = x.geometry(window)
        exit_x, exit_y = layout.rect(EXIT_LABEL).center()
        x.click(client.x + exit_x, client.y + exit_y)
        try:
            status = process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("the installed program is still running after its exit label was clicked")
        check(status == 0, f"exit status {status}; program said: {x.log('program')}")


def main(scratch, layout_tool):
    try:
        test(os.path.join(scratch, "root"), Layout(layout_tool))
    except Failure as failure:
        print("FAIL:", failure)
        return 1
    print("the installed program started and ended")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
