#!/usr/bin/env python3
"""End to end: closing the window through the window system (the WM_DELETE_WINDOW message that a window
manager's close button sends) ends the program with exit status 0.

Usage: test_close.py PROGRAM LAYOUT_TOOL
"""

import subprocess

from xsession import Failure, XSession, check, main


def test(program, layout):
    with XSession() as x:
        # Over the window, so that it stays where it opened (see test_selection.py).
        x.move_pointer(*layout.rect("Label9").center())
        process = x.start([program])
        window = x.find_window(layout.caption)
        check(process.poll() is None, "the program ended by itself")

        x.send_wm_delete(window)
        try:
            status = process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("the program is still running after its window was closed")
        check(status == 0, f"exit status {status} after closing the window; program said: {x.log('program')}")


if __name__ == "__main__":
    main(test)
