#!/usr/bin/env python3
"""Runs a command on a private Xvfb under Openbox and exits with its status.

Usage: run_under_openbox.py COMMAND [ARGUMENT...]
"""

import subprocess
import sys

from xsession import Failure, XSession

if __name__ == "__main__":
    try:
        with XSession() as x:
            x.start_window_manager()
            sys.exit(subprocess.run(sys.argv[1:], env=x.env, timeout=100).returncode)
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
