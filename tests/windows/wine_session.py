"""Wine on a private Xvfb for one end-to-end test of the Windows program.

A WineSession is the Linux tests' XSession (a private Xvfb, real pointer events, screenshots) plus a
throwaway WINEPREFIX made for it and removed after, the program started through Wine, and
tolvane_probe.exe, which looks at the program from inside the Windows API. Closing the session ends
every Wine process of the prefix (wineserver -k) and everything the XSession started.

The prefix maps the fonts the layout names, "宋体" and "隶书", to the CJK fonts Debian installs
(fonts-arphic-uming, fonts-arphic-ukai) through Wine's font replacements, and has Wine draw window
frames itself, as there is no window manager to draw them.
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "linux", "e2e"))
from xsession import Failure, Layout, Rect, XSession, check, rgb  # noqa: E402

SKIP = 77  # CTest's SKIP_RETURN_CODE for these tests
WINEBOOT_TIMEOUT_S = 180
PROBE_TIMEOUT_S = 90
EXIT_TIMEOUT_S = 30
REVEAL_TIMEOUT_S = 10
STRIP_Y = 1  # a screen row on the strip a window hidden at the top leaves
SETTLE_S = 0.6  # a few ticks of the program's 200 ms timer

WINE_FONTS = "/usr/share/wine/fonts"
FONT_REPLACEMENTS = {"宋体": "AR PL UMing CN", "隶书": "AR PL UKai CN"}


def find_wine():
    for candidate in ("wine64", "/usr/lib/wine/wine64", "wine"):
        path = shutil.which(candidate)
        if path:
            return path
    return None


def registry_file(path, values):
    """A .reg file of values {key: {name: value}}; strings become REG_SZ and ints REG_DWORD. regedit
    reads version 5 files as UTF-16, which the Chinese value names need."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, entries in values.items():
        lines.append(f"[{key}]")
        for name, value in entries.items():
            data = f"dword:{value:08x}" if isinstance(value, int) else '"' + value.replace("\\", "\\\\") + '"'
            lines.append(f'"{name}"={data}')
        lines.append("")
    with open(path, "w", encoding="utf-16") as f:
        f.write("\r\n".join(lines) + "\r\n")


class WindowInfo:
    """What tolvane_probe.exe window says about the program's window (Windows' own view, in pixels)."""

    def __init__(self, text):
        self.fields = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)

    def numbers(self, key):
        return [int(v) for v in self.fields[key].split(",")]

    def flag(self, key):
        return self.fields.get(key) == "1"

    @property
    def outer(self):
        left, top, right, bottom = self.numbers("outer")
        return Rect(left, top, right - left, bottom - top)

    @property
    def client(self):
        x, y = self.numbers("client_origin")
        width, height = self.numbers("client_size")
        return Rect(x, y, width, height)

    @property
    def monitors(self):
        """The desktop's monitors as Windows lists them: (Rect, primary) each."""
        found = []
        for monitor in filter(None, self.fields.get("monitors", "").split(";")):
            left, top, right, bottom, primary = (int(v) for v in monitor.split(","))
            found.append((Rect(left, top, right - left, bottom - top), primary == 1))
        return found


class WineSession(XSession):
    def __init__(self, build_dir, screen=None):
        super().__init__(screen)
        self.program = os.path.join(build_dir, "tolvane.exe")
        self.probe_exe = os.path.join(build_dir, "tolvane_probe.exe")
        self.wine = find_wine()
        self.prefix = None
        self.server = None

    def __enter__(self):
        super().__enter__()
        try:
            self._make_prefix()
        except BaseException:
            self.close()
            raise
        return self

    def _make_prefix(self):
        self.prefix = os.path.join(self.workdir, "wineprefix")
        self.env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            # No offer to download Mono or Gecko, which the program does not need; and no copies of the
            # Start menu shortcuts an installer makes in the host's own menus (winemenubuilder).
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "LC_ALL": "C.UTF-8",
        })
        # One wine server for the whole session, started first with no output of ours to hold: the
        # server and the services it starts live on, and would keep open the output pipes of the
        # process that happened to start them.
        self.server = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"
        os.makedirs(self.prefix)
        self._start_server()
        self.wine_run(["wineboot", "--init"], WINEBOOT_TIMEOUT_S)
        self._link_wine_fonts()
        self.set_registry({
            "HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements": FONT_REPLACEMENTS,
            "HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver": {"Decorated": "N"},
        })

    def _start_server(self):
        subprocess.run([self.server, "-p"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=WINEBOOT_TIMEOUT_S, check=True)

    def _link_wine_fonts(self):
        """Wine's own fonts (fonts-wine: Marlett for the frame's buttons, Tahoma ...) where the prefix's
        programs look for them; Debian's Wine does not find them in its data folder."""
        fonts = os.path.join(self.prefix, "drive_c", "windows", "Fonts")
        os.makedirs(fonts, exist_ok=True)
        for name in os.listdir(WINE_FONTS) if os.path.isdir(WINE_FONTS) else []:
            if not os.path.exists(os.path.join(fonts, name)):
                os.symlink(os.path.join(WINE_FONTS, name), os.path.join(fonts, name))

    def wine_call(self, arguments, timeout):
        """Runs a Windows program to its end; its output goes through files, never pipes (see above).
        Returns the exit status, standard output and standard error."""
        outputs = [os.path.join(self.workdir, f"call.{stream}") for stream in ("out", "err")]
        with open(outputs[0], "wb") as out, open(outputs[1], "wb") as err:
            process = subprocess.Popen([self.wine, *arguments], env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=err)
        try:
            status = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise Failure(f"wine {' '.join(arguments)} did not finish within {timeout} s")
        texts = []
        for path in outputs:
            with open(path, "rb") as f:
                texts.append(f.read().decode("utf-8", errors="replace").replace("\r\n", "\n"))
        return status, texts[0], texts[1]

    def wine_run(self, arguments, timeout):
        status, out, err = self.wine_call(arguments, timeout)
        check(status == 0, f"wine {' '.join(arguments)} failed ({status}): {out.strip()} {err.strip()}")
        return out

    def set_registry(self, values):
        path = os.path.join(self.workdir, "settings.reg")
        registry_file(path, values)
        self.wine_run(["regedit", "/S", path], PROBE_TIMEOUT_S)

    def set_dpi(self, dots_per_inch):
        """The display's logical DPI, as the Windows control panel sets it, applied as Windows applies
        it: at the next sign-in. Until then Windows keeps the old system DPI beside the monitor's new one
        and stretches the windows of programs that are DPI aware for the system only; Wine 10 likewise
        takes the monitor's DPI once, when the session sets up its display devices."""
        self.set_registry({"HKEY_CURRENT_USER\\Control Panel\\Desktop": {"LogPixels": dots_per_inch}})
        self.restart()

    def restart(self):
        """Ends the prefix's processes and server, as at a sign-out; the next program starts a session that
        sets up the display anew: its DPI, and its monitors (which Wine's Xinerama path reads only then)."""
        for argument in ("-k", "-w"):
            subprocess.run([self.server, argument], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=WINEBOOT_TIMEOUT_S)
        self._start_server()

    def start_program(self, layout):
        """Starts the program with the pointer already where its window's top strip will be (see
        bring_into_view)."""
        self.move_pointer(layout.client_width // 2, STRIP_Y)
        return self.start([self.wine, self.program])

    def probe(self, *arguments, allow_failure=False, timeout=PROBE_TIMEOUT_S):
        status, out, err = self.wine_call([self.probe_exe, *arguments], timeout)
        if not allow_failure:
            check(status == 0, f"tolvane_probe {' '.join(arguments)} failed ({status}): {out} {err}")
        return status, out

    def window_info(self):
        return WindowInfo(self.probe("window")[1])

    def bring_into_view(self, layout):
        """The window hides behind the top edge on a tick (every 200 ms) when the pointer is off it, and
        comes back, 10 twips beyond the edge, when the pointer is on the strip it leaves there. The
        pointer waits on that strip, which lies inside the window whether it is at the top, hidden or
        back, until the window is in view; then it moves onto the window, where it stays for the rest
        of the test, so that the window stays put. Returns the window as it then is."""
        info = self.window_info()
        self.move_pointer(info.outer.x + info.outer.width // 2, STRIP_Y)
        time.sleep(SETTLE_S)
        deadline = time.monotonic() + REVEAL_TIMEOUT_S
        info = self.window_info()
        while info.outer.y < -1:
            check(time.monotonic() < deadline, f"the window stays hidden at {info.outer}")
            time.sleep(0.2)
            info = self.window_info()
        x, y = layout.rect("Label9").center()
        self.move_pointer(info.client.x + x, info.client.y + y)
        return self.window_info()

    def wait_exit(self, process, what):
        try:
            return process.wait(timeout=EXIT_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program is still running after {what}")

    def close(self):
        # Every Windows process of the prefix and its server, then Xvfb, the program and the files.
        if self.server:
            subprocess.run([self.server, "-k"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
        super().close()


def main(test, session_class=WineSession, screen=None):
    """Runs test(session, layout, artifacts) in a session_class session with the command line's Windows
    build folder, the layout tool and a folder for screenshots, on an Xvfb screen of that size
    (WIDTHxHEIGHTxDEPTH; the Linux tests' when left out). Without the program or Wine it fails in CI and
    skips elsewhere."""
    build_dir, layout_tool, artifacts = sys.argv[1], sys.argv[2], sys.argv[3]
    missing = [p for p in ("tolvane.exe", "tolvane_probe.exe") if not os.path.exists(os.path.join(build_dir, p))]
    reason = None
    if missing:
        reason = f"{', '.join(missing)} not built in {build_dir} (cmake --preset windows && cmake --build --preset windows)"
    elif find_wine() is None:
        reason = "Wine is not installed (make deps)"
    if reason:
        if os.environ.get("CI"):
            print("FAIL:", reason)
            print("0 passed, 1 failed")
            sys.exit(1)
        print("SKIP:", reason)
        sys.exit(SKIP)
    os.makedirs(artifacts, exist_ok=True)
    try:
        with session_class(build_dir, screen) as session:
            test(session, Layout(layout_tool), artifacts)
    except Failure as failure:
        print("FAIL:", failure)
        print("0 passed, 1 failed")
        sys.exit(1)
    print("1 passed, 0 failed")
