"""A private X display for one end-to-end test: Xvfb, the program, real pointer events, screenshots.

Everything a session starts is ended when it closes, also when the test fails. Only Debian's tools
(Xvfb, xdotool, xwininfo, ImageMagick's import) and Python's standard library are used.
"""

import ctypes
import ctypes.util
import json
import os
import re
import select
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TWIPS_PER_PIXEL = 15  # the Linux layer's scale: 15 twips to a logical pixel
SCREEN = "1280x1024x24"
# How long to wait for Xvfb, a window or a state before calling it a failure: deadlines, generous because
# `make test` runs these tests two at a time beside Wine on a 2-core machine; a state that comes sooner
# ends the wait sooner.
STARTUP_TIMEOUT_S = 60
STATE_TIMEOUT_S = 30


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def mutter_43():
    """Whether the installed Mutter is 43 (Debian 12), which keeps some painted windows black
    (mutter_black_window.py)."""
    out = subprocess.run(["mutter", "--version"], capture_output=True, text=True, check=True).stdout
    return out.split()[1].startswith("43.")


def rgb(colour):
    """&H00BBGGRR as an (r, g, b) tuple."""
    return (colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF)


class Rect:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height

    def center(self):
        return (self.x + self.width // 2, self.y + self.height // 2)

    def contains(self, x, y):
        return self.x <= x < self.x + self.width and self.y <= y < self.y + self.height

    def __repr__(self):
        return f"Rect({self.x}, {self.y}, {self.width}, {self.height})"


class Layout:
    """The window description, the reference table and the desktops of several monitors docking is tried on, as
    the program itself and its unit tests hold them."""

    def __init__(self, layout_tool):
        data = json.loads(subprocess.run([layout_tool], check=True, capture_output=True, text=True).stdout)
        self.caption = data["caption"]
        self.client_width = round(data["clientWidth"] / TWIPS_PER_PIXEL)
        self.client_height = round(data["clientHeight"] / TWIPS_PER_PIXEL)
        self.idle = rgb(data["idleColour"])
        self.highlight = rgb(data["highlightColour"])
        self.controls = data["controls"]
        self.rows = data["rows"]
        self.monitor_layouts = data["monitorLayouts"]

    def control(self, name, index=-1):
        for control in self.controls:
            if control["name"] == name and control["index"] == index:
                return control
        raise KeyError(name)

    def rect(self, name, index=-1):
        control = self.control(name, index)
        return Rect(*(round(control[key] / TWIPS_PER_PIXEL) for key in ("left", "top", "width", "height")))

    def picture_boxes(self):
        return [self.rect(c["name"], c["index"]) for c in self.controls if c["kind"] == "picture"]

    def age_labels(self):
        return [row["ageLabel"] for row in self.rows]

    def row(self, age_label):
        return next(row for row in self.rows if row["ageLabel"] == age_label)


class Screenshot:
    def __init__(self, ppm):
        # A binary PPM: "P6", width, height, maximum value, one blank, then the RGB bytes.
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        check(header is not None, "unexpected screenshot format")
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = ppm[header.end():]

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.pixels[offset:offset + 3])

    def points(self, rect, skip=()):
        for y in range(rect.y, rect.y + rect.height):
            for x in range(rect.x, rect.x + rect.width):
                if not any(r.contains(x, y) for r in skip):
                    yield x, y

    def matching(self, rect, predicate, skip=()):
        """The points of rect (less those in skip) whose colour satisfies predicate."""
        return {(x, y) for x, y in self.points(rect, skip) if predicate(self.pixel(x, y))}


# The window managers a session can run, each with its default configuration: the program to find, the
# command and what it needs in its environment. Each runs on the session's own bus and XDG folders (see
# start_window_manager). onscreen is the tests' own, keeping windows on the screen as KWin does.
ONSCREEN_WM = os.path.join(os.path.dirname(os.path.abspath(__file__)), "onscreen_wm.py")
WINDOW_MANAGERS = {
    "onscreen": (ONSCREEN_WM, [sys.executable, ONSCREEN_WM], {}),
    "openbox": ("openbox", ["openbox", "--sm-disable"], {}),
    "mutter": ("mutter", ["mutter", "--x11", "--replace", "--sm-disable"], {}),
    # Without compositing, as KWin runs where OpenGL is missing; Breeze draws its title bars.
    "kwin": ("kwin_x11", ["kwin_x11", "--replace"], {"KWIN_COMPOSE": "N", "QT_QPA_PLATFORM": "xcb"}),
    "xfwm4": ("xfwm4", ["xfwm4", "--replace"], {}),
}


class XSession:
    def __init__(self, screen=None):
        """screen: the Xvfb screen's WIDTHxHEIGHTxDEPTH; SCREEN when left out."""
        self.screen = screen
        self.processes = []
        # Processes started as leaders of a process group of their own, ended with their whole group.
        self.group_leaders = set()
        self.workdir = tempfile.mkdtemp(prefix="tolvane-e2e-")
        self.env = None

    def __enter__(self):
        try:
            self._start_xvfb()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _start_xvfb(self):
        # Xvfb picks a free display number itself and writes it once it accepts clients. -noreset
        # keeps it from resetting, pointer included, whenever its last client goes.
        read_end, write_end = os.pipe()
        try:
            self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen or SCREEN, "-nolisten", "tcp",
                        "-noreset"], pass_fds=(write_end,), env=os.environ.copy(), name="xvfb")
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            check(chunk, "Xvfb did not start: " + self.log("xvfb"))
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.env["DISPLAY"] = self.display

    def log(self, name):
        try:
            with open(os.path.join(self.workdir, name + ".log"), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def start(self, command, name="program", env=None, group=False, **kwargs):
        """Starts a process with its output in NAME.log; group: in a process group of its own, so that
        whatever it starts ends with it (dbus-run-session and the window manager it runs)."""
        log = open(os.path.join(self.workdir, name + ".log"), "wb")
        process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, env=env or self.env,
                                   start_new_session=group, **kwargs)
        log.close()
        self.processes.append(process)
        if group:
            self.group_leaders.add(process.pid)
        return process

    def run(self, *command):
        result = subprocess.run(list(command), env=self.env, capture_output=True, text=True,
                                timeout=STARTUP_TIMEOUT_S)
        check(result.returncode == 0, f"{command[0]} failed: {result.stderr.strip()}")
        return result.stdout

    def _is_client(self, window):
        """Whether a window is there and is no frame of Mutter's: since Mutter 44 a client of Mutter's own
        (mutter-x11-frames) draws each frame, names it after the window it holds and marks it with
        _MUTTER_FRAME_FOR from the start, also while the window is not (or no longer) inside it."""
        result = subprocess.run(["xprop", "-id", str(window), "_MUTTER_FRAME_FOR"], env=self.env, capture_output=True,
                                text=True, timeout=STARTUP_TIMEOUT_S)
        return result.returncode == 0 and "window id" not in result.stdout

    def find_window(self, title):
        """The id of the mapped window called title, passing over Mutter 48's frames, which carry the title
        too. The program makes its window once and keeps it: a second window of that name is a fault."""
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while True:
            result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], env=self.env,
                                    capture_output=True, text=True, timeout=STARTUP_TIMEOUT_S)
            named = {int(w) for w in result.stdout.split()} if result.returncode == 0 else set()
            own = sorted(w for w in named if self._is_client(w))
            check(len(own) <= 1, f'{len(own)} windows called "{title}" at once: {own}')
            if own:
                return own[0]
            if time.monotonic() > deadline:
                running = ", ".join(f"{p.args[0]} {'running' if p.poll() is None else f'ended ({p.returncode})'}"
                                    for p in self.processes)
                raise Failure(f'no window "{title}" appeared within {STARTUP_TIMEOUT_S} s ({running}); '
                              f'xdotool said {result.stderr.strip()!r}; program said: {self.log("program")}')
            time.sleep(0.05)

    def xwininfo(self, window, *options):
        """What xwininfo says of a window. It also asks about the window's parent, a manager's frame that the
        manager may destroy between two of its requests when it lets go of the window (Mutter 48's frames
        client does so a moment after Mutter): then asked again, until the state deadline."""
        deadline = time.monotonic() + STATE_TIMEOUT_S
        while True:
            try:
                return self.run("xwininfo", *options, "-id", str(window))
            except Failure:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.05)

    def geometry(self, window):
        """The window's client area on the screen, as the X server has it."""
        fields = {}
        for line in self.xwininfo(window).splitlines():
            key, _, value = line.strip().partition(":")
            fields[key] = value.strip()
        return Rect(int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
                    int(fields["Width"]), int(fields["Height"]))

    def frame_extents(self, window):
        """(left, right, top, bottom): the frame a window manager drew around the window, zeros without."""
        extents = self.property(window, "_NET_FRAME_EXTENTS")
        return tuple(int(v) for v in extents.split(",")) if extents else (0, 0, 0, 0)

    def outer_rect(self, window):
        """The window's outer rectangle on the screen, frame included: what the program calls its
        window rectangle, and its Left, Top, Width and Height at 15 twips a pixel."""
        client = self.geometry(window)
        left, right, top, bottom = self.frame_extents(window)
        return Rect(client.x - left, client.y - top, client.width + left + right, client.height + top + bottom)

    def wait_for_rect(self, window, predicate, what, timeout=STATE_TIMEOUT_S):
        """The window's outer rectangle once it satisfies predicate; the program moves the window on its
        200 ms timer, and a window manager answers when it gets to it."""
        deadline = time.monotonic() + timeout
        while True:
            rect = self.outer_rect(window)
            if predicate(rect):
                return rect
            if time.monotonic() > deadline:
                raise Failure(f"the window never was {what}: it is at {rect}; program said: {self.log('program')}")
            time.sleep(0.05)

    def move_pointer(self, x, y, leaving=None):
        """XTEST's pointer straight to (x, y); leaving is for a compositor's pointer (wayland_session.py)."""
        self.run("xdotool", "mousemove", str(x), str(y))

    def move_window(self, window, left, top, arrived=None):
        """The window taken to (left, top), as a user drags it there (xdotool's move, which a manager carries out);
        arrived() tells a session that may have to send it again (wayland_session.py) that it is there."""
        self.run("xdotool", "windowmove", str(window), str(left), str(top))

    def click(self, x, y):
        """A real press and release of the left button at a screen point."""
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def screenshot(self):
        result = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env, capture_output=True,
                                timeout=STARTUP_TIMEOUT_S)
        check(result.returncode == 0, "import failed: " + result.stderr.decode(errors="replace"))
        return Screenshot(result.stdout)

    def window_shot(self, window):
        """The window's own pixels as the X server has them, whatever a compositing manager shows."""
        result = subprocess.run(["import", "-window", str(window), "-depth", "8", "ppm:-"], env=self.env,
                                capture_output=True, timeout=STARTUP_TIMEOUT_S)
        check(result.returncode == 0, "import failed: " + result.stderr.decode(errors="replace"))
        return Screenshot(result.stdout)

    def save_screenshot(self, name):
        """Keeps a PNG of the screen for people to look at, when $TOLVANE_SCREENSHOTS names a folder."""
        folder = os.environ.get("TOLVANE_SCREENSHOTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")], env=self.env,
                           check=True, timeout=STARTUP_TIMEOUT_S)

    def wait_for(self, predicate, what, timeout=STATE_TIMEOUT_S):
        """A screenshot that satisfies predicate once the screen has settled: the same pixels in two
        screenshots running. The program paints when its loop gets to it, and a click's handler repaints
        each label as it changes it, so a single screenshot may catch it halfway (the clicked age green,
        the value labels not yet written)."""
        deadline = time.monotonic() + timeout
        previous = None
        while True:
            shot = self.screenshot()
            if not predicate(shot):
                shot = None
            elif previous is not None and previous.pixels == shot.pixels:
                return shot
            if time.monotonic() > deadline:
                raise Failure("the screen never showed " + what + ("" if shot is None else ", settled"))
            previous = shot
            if shot is None:
                time.sleep(0.05)

    def send_wm_delete(self, window):
        """What a window manager sends when the user closes a window: WM_PROTOCOLS / WM_DELETE_WINDOW."""
        self._client_message(window, window, "WM_PROTOCOLS", ["WM_DELETE_WINDOW", 0], event_mask=0)

    def request_close(self, window):
        """Asks the window manager to close the window, as a pager or wmctrl -c does (_NET_CLOSE_WINDOW)."""
        substructure_notify_and_redirect = (1 << 19) | (1 << 20)
        self._client_message(None, window, "_NET_CLOSE_WINDOW", [0, 2], event_mask=substructure_notify_and_redirect)

    def _client_message(self, destination, window, message_type, data, event_mask):
        """Sends a 32-bit ClientMessage about window to destination (None: the root window). Atom names
        in data are interned; numbers go as they are."""

        class XClientMessageEvent(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                        ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                        ("data", ctypes.c_long * 5)]

        class XEvent(ctypes.Union):
            _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]

        xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                    ctypes.POINTER(XEvent)]
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

        display = xlib.XOpenDisplay(self.display.encode())
        check(display, "cannot open " + self.display)
        try:
            event = XEvent()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = window
            event.xclient.message_type = xlib.XInternAtom(display, message_type.encode(), 0)
            event.xclient.format = 32
            for i, value in enumerate(data):
                event.xclient.data[i] = xlib.XInternAtom(display, value.encode(), 0) if isinstance(value, str) else value
            target = destination if destination is not None else xlib.XDefaultRootWindow(display)
            xlib.XSendEvent(display, target, 0, event_mask, ctypes.byref(event))
            xlib.XFlush(display)
        finally:
            xlib.XCloseDisplay(display)

    def start_session_bus(self):
        """A D-Bus session bus and XDG folders of the session's own, for a window manager and the program:
        desktop window managers talk to their settings services over the bus and would otherwise read and
        write the user's ~/.config."""
        if "DBUS_SESSION_BUS_ADDRESS" in self.env and self.env["DBUS_SESSION_BUS_ADDRESS"].startswith("unix:path=" + self.workdir):
            return
        for name in ("config", "data", "cache", "runtime"):
            os.makedirs(os.path.join(self.workdir, name), mode=0o700, exist_ok=True)
        self.env.update(XDG_CONFIG_HOME=os.path.join(self.workdir, "config"),
                        XDG_DATA_HOME=os.path.join(self.workdir, "data"),
                        XDG_CACHE_HOME=os.path.join(self.workdir, "cache"),
                        XDG_RUNTIME_DIR=os.path.join(self.workdir, "runtime"))
        socket = os.path.join(self.workdir, "runtime", "bus")
        self.start(["dbus-daemon", "--session", "--nofork", "--nosyslog", "--address=unix:path=" + socket],
                   name="dbus", group=True)
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while not os.path.exists(socket):
            check(time.monotonic() < deadline, "the session bus did not start: " + self.log("dbus"))
            time.sleep(0.02)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + socket

    def start_window_manager(self, name="openbox"):
        """A window manager of WINDOW_MANAGERS on the session's own bus; returns once it manages the screen."""
        program, command, extra_env = WINDOW_MANAGERS[name]
        check(shutil.which(program) or os.path.exists(program), f"{program} is not installed")
        self.start_session_bus()
        ready = lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")
        if name == "openbox":
            # Openbox announces itself long before its main loop runs, and a window mapped in between stays
            # unmapped until some later event wakes Openbox (openbox_startup_race.py shows it); the command
            # it runs at the end of its start-up marks the end of that gap.
            started = os.path.join(self.workdir, "openbox.started")
            command = command + ["--startup", shlex.join(["touch", started])]
            ready = lambda: os.path.exists(started)
        self.start(command, name=name, env={**self.env, **extra_env}, group=True)
        deadline = time.monotonic() + STARTUP_TIMEOUT_S
        while time.monotonic() < deadline:
            if ready():
                return
            time.sleep(0.05)
        raise Failure(f"{name} did not start: " + self.log(name))

    def property(self, window, name):
        """A window property as xprop prints it after the "=" (or ":"), empty when it is not set."""
        out = self.run("xprop", "-id", str(window), name).strip()
        for separator in (" = ", ":"):
            if separator in out and "not found" not in out and "no such atom" not in out:
                return out.split(separator, 1)[1].strip()
        return ""

    def close(self):
        for process in reversed(self.processes):
            if process.pid in self.group_leaders:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
            if process.pid in self.group_leaders:
                try:  # whatever of the group outlived its leader
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        shutil.rmtree(self.workdir, ignore_errors=True)


def main(test):
    """Runs test(program, layout) with the command line's program and layout tool; exit status 0 on success."""
    program, layout_tool = sys.argv[1], sys.argv[2]
    try:
        test(program, Layout(layout_tool))
    except Failure as failure:
        print("FAIL:", failure)
        print("0 passed, 1 failed")
        sys.exit(1)
    print("1 passed, 0 failed")
