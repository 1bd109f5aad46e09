"""A session whose display is XWayland under a headless Wayland compositor (GNOME's Mutter or KDE's KWin), with
the compositor's own pointer and a native Wayland window beside the program's.

The compositor starts its own XWayland; the program and xdotool talk to that. XWayland is rootless: there is
no root window image to take screenshots from, so what the tests see is what the X server reports. Given
several monitors, Mutter puts its virtual monitors side by side from the left, the first the primary, and
XWayland reports each as a RandR output and monitor.

The pointer belongs to the compositor: XWayland learns where it is only while it is over an X window, and
xdotool's XTEST moves only XWayland's own idea of it. So the session moves the compositor's pointer, as a
mouse does: parked once at the top-left corner, then by relative motion in small steps, since XWayland tells
an X window that the pointer left for a Wayland surface only after relative motion. Mutter's through its
remote-desktop D-Bus API, on one connection for the whole session (Mutter ends a remote-desktop session with
the connection that made it); KWin's through its fake-input Wayland protocol, by the tests' own client
(tools/kwin_fake_pointer.cpp, named by $TOLVANE_KWIN_FAKE_POINTER).
"""

import glob
import os
import re
import shutil
import subprocess
import time

from xsession import STARTUP_TIMEOUT_S, STATE_TIMEOUT_S, Rect, XSession, check

SIZE = "1280x1024"
WIDTH, HEIGHT = 1280, 1024
STEP = 16  # pixels of one relative motion, as a hand moves a mouse
BORDER = 24  # pixels around a window that a pointer leaving it skips (move_pointer)
BTN_LEFT = 272
# The native Wayland window beside the program's: zenity's dialog. Mutter is told to centre new windows, KWin
# to put it at this corner by a window rule; its size is zenity's own (some 700 by 450 pixels).
WAYLAND_WINDOW = (340, 312)
FIND_STEP = 8  # pixels between the points where the Wayland window's edges are looked for
X11_SOCKETS = "/tmp/.X11-unix"
RESEND_POLLS = 10  # looks at a window taken elsewhere before the move is sent again (MutterWaylandSession)


def _grown(rect):
    return Rect(rect.x - BORDER, rect.y - BORDER, rect.width + 2 * BORDER, rect.height + 2 * BORDER)


def _in_band(rect, x, y):
    return _grown(rect).contains(x, y) and not rect.contains(x, y)


class WaylandSession(XSession):
    """The compositor-independent half: the pointer moved by relative steps, the Wayland window, and what
    XWayland reports of the pointer."""

    def __init__(self, monitors=1):
        super().__init__()
        self.monitors = monitors
        self.pointer = None  # where the compositor has its pointer since it was parked
        self.wayland_window = self.on_wayland_window = None  # start_wayland_window's finds: (left, bottom), a point

    def _start_xvfb(self):
        self.env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DISPLAY")}
        self.start_session_bus()
        # What systemd-tmpfiles makes at boot (tmpfiles.d/x11.conf) and a container without it lacks until an X
        # server makes it: Mutter would make it itself under the umask, 0755, and then refuse it as not writable.
        os.makedirs(X11_SOCKETS, exist_ok=True)
        if os.stat(X11_SOCKETS).st_uid == os.getuid():
            os.chmod(X11_SOCKETS, 0o1777)
        self._start_compositor()
        self.park_pointer()

    def park_pointer(self):
        self._motion(-4 * WIDTH * self.monitors, -4 * HEIGHT)
        self.pointer = (0, 0)

    def move_pointer(self, x, y, leaving=None):
        """The compositor's pointer taken to (x, y) in steps of at most STEP pixels along the way. leaving: a
        window's rectangle that the pointer leaves without touching the band of BORDER pixels around it, as a
        hand moving a little faster there does: a window manager's invisible resize borders lie there (Mutter's
        frame window takes them), and an X event from them would tell the program that the pointer is outside
        the window, which it must learn without one."""
        px, py = self.pointer
        steps = max(1, (max(abs(x - px), abs(y - py)) + STEP - 1) // STEP)
        for i in range(1, steps + 1):
            nx, ny = px + (x - px) * i // steps, py + (y - py) * i // steps
            if i < steps and leaving and _in_band(leaving, nx, ny):
                continue
            self._motion(nx - self.pointer[0], ny - self.pointer[1])
            self.pointer = (nx, ny)

    def click(self, x, y):
        self.move_pointer(x, y)
        self._button(BTN_LEFT, True)
        self._button(BTN_LEFT, False)

    def x_pointer(self):
        """Where XWayland has the pointer, and the top-level window it names (0: none, the root's alone)."""
        out = self.run("xdotool", "getmouselocation", "--shell")
        fields = dict(line.split("=", 1) for line in out.split())
        window = int(fields["WINDOW"])
        root = int(self.run("xwininfo", "-root").split("Window id:")[1].split()[0], 16)
        return int(fields["X"]), int(fields["Y"]), 0 if window == root else window

    def start_wayland_window(self, rest):
        """zenity's dialog as a native Wayland client above an X window of the test's own that covers the screen,
        found by the pointer: moved from the screen's left edge towards the middle, then from the bottom, XWayland
        loses it where the Wayland window begins (not from the top: KWin draws the title bar of the window
        beneath itself, off the X server). Sets wayland_window's left and bottom edges, and a point on it, clear
        of its buttons, that an X window as wide as the program's across its left edge leaves free. The
        pointer is left at rest, off the Wayland window, where XWayland last saw it: on an X window that goes."""
        self.start(["xmessage", "-geometry", f"{WIDTH}x{HEIGHT}+0+0", "beneath"], name="beneath")
        beneath = self.find_window("xmessage")
        self.start(["zenity", "--info", "--width", "600", "--height", "400", "--text", "a Wayland window"],
                   name="zenity", env={**self.env, "GDK_BACKEND": "wayland"})
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while (left := self._first_off_x([(x, HEIGHT // 2) for x in range(8, WIDTH // 2, FIND_STEP)], 0)) is None:
            check(time.monotonic() < deadline, "no Wayland window came up: " + self.log("zenity"))
        bottom = self._first_off_x([(left + 100, y) for y in range(HEIGHT - 8, HEIGHT // 2, -FIND_STEP)], 1)
        check(bottom is not None, f"the Wayland window found at x {left} has no bottom edge")
        self.wait_x_pointer(lambda p: p[:2] == rest and p[2] != 0, f"at {rest}", lambda: self.move_pointer(*rest))
        self.run("xdotool", "windowkill", str(beneath))
        self.wayland_window = (left, bottom)
        self.on_wayland_window = (left + 300, bottom - 150)

    def on_wayland_window_beside(self, rect):
        """A point on the Wayland window that the X window at rect, kept above it, leaves free with its band of
        BORDER pixels: on_wayland_window, or one near the Wayland window's left edge (the window docked at the
        right edge covers on_wayland_window where the Wayland window lies further right, as under Mutter 48)."""
        left, bottom = self.wayland_window
        point = next((p for p in (self.on_wayland_window, (left + 40, bottom - 150)) if not _grown(rect).contains(*p)),
                     None)
        check(point is not None, f"no point of the Wayland window at x {left} is clear of the window at {rect}")
        return point

    def _first_off_x(self, points, axis):
        """The coordinate axis (0: x, 1: y) of the first of the points where XWayland loses the pointer moved along
        them; None if it never does. Each point is looked at once XWayland has followed the pointer there."""
        for point in points:
            self.move_pointer(*point)
            if self.wait_x_pointer(lambda p: p[:2] == point or p[2] == 0, f"at {point} or off X windows")[2] == 0:
                return point[axis]
        return None

    def stays_on_x(self, own, covered):
        """Whether the pointer, moved from an X window's point own onto its point covered, stays on X windows
        there (XWayland reports it at covered), or leaves them (the window that XWayland names goes): the
        compositor routes the pointer to the topmost surface, so the answer tells whether a Wayland window covers
        covered."""
        self.wait_x_pointer(lambda p: p[:2] == own and p[2] != 0, f"on an X window at {own}",
                            lambda: self.move_pointer(*own))
        self.move_pointer(*covered)
        return self.wait_x_pointer(lambda p: p[:2] == covered or p[2] == 0, f"at {covered} or off X windows")[2] != 0

    def wait_x_pointer(self, predicate, what, again=lambda: None):
        """What XWayland reports of the pointer once it satisfies predicate; again(): what to do before each look
        (a motion, since XWayland learns of the pointer only from the compositor's events)."""
        deadline = time.monotonic() + STATE_TIMEOUT_S
        while True:
            again()
            if predicate(found := self.x_pointer()):
                return found
            check(time.monotonic() < deadline, f"XWayland never reported the pointer {what}: it reports {found}")
            time.sleep(0.05)


class MutterWaylandSession(WaylandSession):
    """Mutter, GNOME on Wayland: mutter --wayland --headless with virtual monitors."""

    name = "mutter-wayland"

    def _start_compositor(self):
        from gi.repository import Gio, GLib  # Debian's python3-gi

        self.run("gsettings", "set", "org.gnome.mutter", "center-new-windows", "true")
        self.start(["mutter", "--wayland", "--headless", *["--virtual-monitor", SIZE] * self.monitors, "--sm-disable"],
                   name="mutter", group=True)
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while not (found := re.search(r"Using public X11 display (:\d+)", self.log("mutter"))):
            check(time.monotonic() < deadline, "mutter started no XWayland: " + self.log("mutter"))
            time.sleep(0.05)
        self.display = found.group(1)
        authority = glob.glob(os.path.join(self.env["XDG_RUNTIME_DIR"], ".mutter-Xwaylandauth.*"))
        check(authority, "mutter left no XWayland authority file")
        wayland = re.search(r"Using Wayland display name '([^']+)'", self.log("mutter"))
        self.env.update(DISPLAY=self.display, XAUTHORITY=authority[0],
                        WAYLAND_DISPLAY=wayland.group(1) if wayland else "wayland-0")
        while "window id" not in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"):
            check(time.monotonic() < deadline, "mutter manages no X11 windows: " + self.log("mutter"))
            time.sleep(0.05)

        self._glib = GLib
        self._bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self._remote = self._call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                                  "CreateSession", None).unpack()[0]
        self._call(self._remote, "org.gnome.Mutter.RemoteDesktop.Session", "Start", None)

    def move_window(self, window, left, top, arrived=None):
        """The move sent again, as a user drags the window again, until arrived() says it is there: busy, Mutter
        43 now and then left a move asked just after it had framed the window undone (traced with the program's
        writes printed: the program asked nothing, and no ConfigureNotify followed)."""
        deadline = time.monotonic() + STATE_TIMEOUT_S
        while True:
            super().move_window(window, left, top)
            for _ in range(RESEND_POLLS):
                if arrived is None or arrived():
                    return
                time.sleep(0.05)
            if time.monotonic() > deadline:
                return  # the caller's wait says what the window did

    def _call(self, path, interface, method, arguments):
        from gi.repository import Gio

        return self._bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, arguments, None,
                                   Gio.DBusCallFlags.NONE, STARTUP_TIMEOUT_S * 1000, None)

    def _motion(self, dx, dy):
        self._call(self._remote, "org.gnome.Mutter.RemoteDesktop.Session", "NotifyPointerMotionRelative",
                   self._glib.Variant("(dd)", (float(dx), float(dy))))

    def _button(self, button, pressed):
        self._call(self._remote, "org.gnome.Mutter.RemoteDesktop.Session", "NotifyPointerButton",
                   self._glib.Variant("(ib)", (button, pressed)))

    def close(self):
        self._bus = None  # ends the remote-desktop session before Mutter
        super().close()


KWIN_RULES = f"""[General]
count=1
rules=1

[1]
Description=the tests' Wayland window
wmclass=zenity
wmclassmatch=2
position={WAYLAND_WINDOW[0]},{WAYLAND_WINDOW[1]}
positionrule=2
"""


class KWinWaylandSession(WaylandSession):
    """KWin, KDE on Wayland: kwin_wayland --virtual with XWayland. The packaged binary carries file
    capabilities that this kind of container refuses to execute, so a plain copy of it runs, from the session's
    own folder, under its own name (KWin finds its helpers by it). KWin hands out fake input without asking only
    with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1."""

    name = "kwin-wayland"

    def _start_compositor(self):
        tool = os.environ.get("TOLVANE_KWIN_FAKE_POINTER", "")
        check(os.access(tool, os.X_OK), "$TOLVANE_KWIN_FAKE_POINTER names no fake-pointer client: " + tool)
        folder = os.path.join(self.workdir, "bin")
        os.makedirs(folder)
        kwin = os.path.join(folder, "kwin_wayland")
        shutil.copyfile(shutil.which("kwin_wayland"), kwin)
        os.chmod(kwin, 0o755)
        # KWin runs its session's programs with the displays in their environment: one writes them down.
        environment = os.path.join(self.workdir, "kwin.env")
        report = os.path.join(folder, "report-displays")
        with open(report, "w") as f:
            f.write(f"#!/bin/sh\nenv > {environment}.part && mv {environment}.part {environment}\nexec sleep infinity\n")
        os.chmod(report, 0o755)
        with open(os.path.join(self.env["XDG_CONFIG_HOME"], "kwinrulesrc"), "w") as f:
            f.write(KWIN_RULES)
        self.start([kwin, "--virtual", "--xwayland", "--width", str(WIDTH * self.monitors), "--height", str(HEIGHT),
                    "--no-lockscreen", "--no-global-shortcuts", "--", report], name="kwin", group=True,
                   env={**self.env, "KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1"})
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while not os.path.exists(environment):
            check(time.monotonic() < deadline, "kwin_wayland started no XWayland: " + self.log("kwin"))
            time.sleep(0.05)
        with open(environment) as f:
            given = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        self.display = given["DISPLAY"]
        self.env.update(DISPLAY=self.display, WAYLAND_DISPLAY=given["WAYLAND_DISPLAY"])
        if given.get("XAUTHORITY"):
            self.env["XAUTHORITY"] = given["XAUTHORITY"]
        while "window id" not in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"):
            check(time.monotonic() < deadline, "kwin manages no X11 windows: " + self.log("kwin"))
            time.sleep(0.05)
        with open(os.path.join(self.workdir, "fake-pointer.log"), "wb") as log:
            self._hand = subprocess.Popen([tool], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log, text=True,
                                          env=self.env)
        self.processes.append(self._hand)

    def _request(self, line):
        self._hand.stdin.write(line + "\n")
        self._hand.stdin.flush()
        check(self._hand.stdout.readline().strip() == "ok", f"the fake pointer refused {line!r}: " +
              self.log("fake-pointer"))

    def park_pointer(self):
        # KWin keeps a relative move to beyond the screen one pixel inside it: parked where it is told.
        self._request("absolute 0 0")
        self.pointer = (0, 0)

    def _motion(self, dx, dy):
        self._request(f"move {dx} {dy}")

    def _button(self, button, pressed):
        self._request(f"button {button} {int(pressed)}")


COMPOSITORS = {session.name: session for session in (MutterWaylandSession, KWinWaylandSession)}
