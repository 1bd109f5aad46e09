"""A session whose display is XWayland under Mutter as a headless Wayland compositor (GNOME on Wayland).

Mutter starts its own XWayland on a display number it picks and names in its log, with an authority file
in XDG_RUNTIME_DIR; the program and xdotool talk to that. XWayland is rootless: there is no root window
image to take screenshots from, so what the tests see is what the X server reports. Given several
monitors, Mutter puts its virtual monitors side by side from the left, the first the primary, and XWayland
reports each as a RandR output and monitor.
"""

import glob
import os
import re
import time

from xsession import STARTUP_TIMEOUT_S, XSession, check

SIZE = "1280x1024"


class MutterWaylandSession(XSession):
    def __init__(self, monitors=1):
        super().__init__()
        self.monitors = monitors

    def _start_xvfb(self):
        self.env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DISPLAY")}
        self.start_session_bus()
        self.start(["mutter", "--wayland", "--headless", *["--virtual-monitor", SIZE] * self.monitors, "--sm-disable"],
                   name="mutter", group=True)
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while not (found := re.search(r"Using public X11 display (:\d+)", self.log("mutter"))):
            check(time.monotonic() < deadline, "mutter started no XWayland: " + self.log("mutter"))
            time.sleep(0.05)
        self.display = found.group(1)
        authority = glob.glob(os.path.join(self.env["XDG_RUNTIME_DIR"], ".mutter-Xwaylandauth.*"))
        check(authority, "mutter left no XWayland authority file")
        self.env.update(DISPLAY=self.display, XAUTHORITY=authority[0])
        while "window id" not in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"):
            check(time.monotonic() < deadline, "mutter manages no X11 windows: " + self.log("mutter"))
            time.sleep(0.05)
