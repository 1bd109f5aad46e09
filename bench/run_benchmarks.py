#!/usr/bin/env python3
"""Runs every benchmark of bench/ and writes the figures, the commands and the machine to BENCHMARKS.md.

    bench/run_benchmarks.py REPO_DIR      (what `make bench` runs, after building both presets)

Start-up, idle and memory run on one private Xvfb with a throwaway Wine prefix (tests/windows'
WineSession); the Linux and Windows programs and their minimal windows take turns. Nothing here is a
test: the targets are compared and named, never enforced.
"""

import json
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time

REPO = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(REPO, "tests", "windows"))
from wine_session import WineSession  # noqa: E402
from xsession import Layout, Rect, XSession  # noqa: E402
from monitor_places import set_monitor  # noqa: E402

LINUX = os.path.join(REPO, "build", "linux")
LAYOUT_TOOL = os.path.join(LINUX, "tests", "linux", "tolvane_layout")
WINDOWS = os.path.join(REPO, "build", "windows")
BENCH = os.path.join(LINUX, "bench")
OUT = os.path.join(REPO, "BENCHMARKS.md")

STARTUP_RUNS = int(os.environ.get("TOLVANE_BENCH_STARTUP_RUNS", "15"))
# Wine's starts scatter from 90 to 240 ms, the same program's too, so that 15 runs let the medians of the
# content floor and the program swap order from one run of the script to the next; 45 steady them.
WINE_STARTUP_RUNS = int(os.environ.get("TOLVANE_BENCH_WINE_STARTUP_RUNS", "45"))
IDLE_S = int(os.environ.get("TOLVANE_BENCH_IDLE_S", "60"))
SETTLE_S = 12  # after start, before memory is read (see main on Wine's start)
# The idle figures on two monitors come from X servers of their own, started this size: started larger and
# narrowed to one monitor by a RandR mode of our own, Xvfb made the Windows program, which asks Wine for
# its monitors, start some 40 ms later than on a screen of its starting size, and the content floor not.
TWO_MONITOR_SCREEN = "2560x1024x24"
AWAY = (1000, 900)  # on the one monitor, off the window
X11_DRIVER = "HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver"
CLICKS = 2000
TICKS = 100000
# The age labels' light blue, as the X server holds it; both minimal windows paint all of themselves in it.
LIGHT_BLUE = "C0C0FF"
# Of the screen's top-left 200 x 200 pixels: the real window shows several age labels there.
MIN_PIXELS = "2000"
CLK_TCK = os.sysconf("SC_CLK_TCK")


def sh(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, check=True, **kwargs).stdout


def machine():
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    return {
        "date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()),
        "nproc": sh(["nproc"]).strip(),
        "cpu": cpu,
        "kernel": platform.release(),
        "load": " ".join(open("/proc/loadavg").read().split()[:3]),
        "qt": sh(["dpkg-query", "-W", "-f=${Version}", "libqt6widgets6"]).strip(),
        "wine": sh(["dpkg-query", "-W", "-f=${Version}", "wine64"]).strip(),
    }


# Core: Google Benchmark and the allocation count
# -----------------------------------------------

def core():
    binary = os.path.join(BENCH, "core_bench")
    if not os.path.exists(binary):
        return None
    result = subprocess.run([binary, "--benchmark_format=json", "--benchmark_repetitions=5",
                             "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.3"],
                            capture_output=True, text=True)
    proof = [line for line in result.stdout.splitlines() if line.startswith("allocations in")]
    data = json.loads(result.stdout[result.stdout.index("{"):])
    rows = []
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            rows.append((b["run_name"], b.get("label", ""), b["real_time"], b["cpu_time"], b.get("allocs", 0)))
    return {"rows": rows, "proof": proof, "ok": result.returncode == 0}


def instructions_per_tick():
    binary = os.path.join(BENCH, "tick_loop")
    figures = {}
    for mode in ("rest", "over", "alternate"):
        out_file = os.path.join(BENCH, f"callgrind.{mode}.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--toggle-collect=tolvane::Timer1_Timer*",
                        f"--callgrind-out-file={out_file}", binary, mode, str(TICKS)],
                       capture_output=True, text=True, check=True)
        with open(out_file) as f:
            total = next(int(line.split()[1]) for line in f if line.startswith(("summary:", "totals:")))
        figures[mode] = total / TICKS
    return figures


# Start-up, idle, memory, click to repaint: on one Xvfb
# ------------------------------------------------------

def first_paint(session, command):
    result = subprocess.run([os.path.join(BENCH, "first_paint"), LIGHT_BLUE, MIN_PIXELS, "60000", "--", *command],
                            env=session.env, capture_output=True, text=True)
    time.sleep(0.3)  # the killed window gone from the screen before the next start
    if result.returncode != 0:
        raise RuntimeError(f"first_paint {command}: {result.stderr.strip()}")
    return float(result.stdout.strip())


def startup(builds):
    """builds: {name: (session, [floor, content floor, program] commands, runs)}; the runs take the three
    in turn. Returns {name: [(median, all runs) for each of the three]}."""
    results = {}
    for name, (session, commands, runs) in builds.items():
        for command in commands:  # warm the caches (and Wine's services) before counting
            first_paint(session, command)
        times = [[] for _ in commands]
        for _ in range(runs):
            for each, command in zip(times, commands):
                each.append(first_paint(session, command))
        results[name] = [(statistics.median(each), each) for each in times]
    return results


def session_bus(sessions):
    """A D-Bus session bus for the sessions' programs, as every desktop has one: without it each Qt program
    autolaunches a bus daemon of its own at start, which no desktop user pays for and which outlives a
    killed program. Returns the daemon, to be ended after the runs."""
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
    address = daemon.stdout.readline().strip()
    if not address:
        daemon.kill()
        raise RuntimeError("dbus-daemon gave no address")
    for session in sessions:
        session.env["DBUS_SESSION_BUS_ADDRESS"] = address
    return daemon


def find_process(session, name, started_after=0):
    """The pid of the newest process on the session's display whose command line names this file (Wine's
    loader may run the program in a process of its own). Other tests may run the same programs at the
    same time on displays of their own."""
    display = f"DISPLAY={session.display}".encode()
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read().replace(b"\0", b" ").decode(errors="replace")
            with open(f"/proc/{pid}/environ", "rb") as f:
                environment = f.read().split(b"\0")
            start = int(open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()[19])
        except OSError:
            continue
        if name in command and "first_paint" not in command and start >= started_after and display in environment:
            found.append((start, int(pid)))
    return max(found)[1] if found else None


def cpu_seconds(pid):
    """The CPU time the process's threads have had, to the nanosecond: the scheduler's own count
    (/proc/PID/task/TID/schedstat), where utime and stime come in clock ticks of 10 ms, too coarse for a
    program that runs a few microseconds five times a second."""
    total = 0
    for thread in os.listdir(f"/proc/{pid}/task"):
        try:
            total += int(open(f"/proc/{pid}/task/{thread}/schedstat").read().split()[0])
        except (OSError, IndexError, ValueError):
            continue  # a thread that has just ended
    return total / 1e9


def rss_kib(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


def boot_ticks():
    return int(float(open("/proc/uptime").read().split()[0]) * CLK_TCK)


# A window hidden at the top leaves 1 to 4 pixels of itself on the monitor; revealed, it stands one pixel
# beyond the top edge (tests/windows/test_monitors.py's hidden_at and revealed_at).
def hidden(rect):
    return rect.y + rect.height <= 4


def revealed(rect):
    return rect.y == -1


STATES = (("revealed, the pointer resting on it", revealed), ("hidden at the top, the pointer away", hidden))


def two_monitors(session):
    """Two monitors of 1280 x 1024 side by side on the session's screen of 2560 x 1024, the left one the
    primary, made with RandR 1.5 as the tests of both programs make them; returns a point on the right one,
    away from the window, which opens on the primary."""
    for index, rect in enumerate((Rect(0, 0, 1280, 1024), Rect(1280, 0, 1280, 1024))):
        set_monitor(session, index, rect, index == 0)
    return (2500, 1000)


def cpu_shares(pids, seconds):
    """pids: {name: pid}; each one's CPU time over the period as a share of one core, in per cent."""
    before = {name: cpu_seconds(pid) for name, pid in pids.items()}
    clock = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - clock
    return {name: (cpu_seconds(pid) - before[name]) / elapsed * 100 for name, pid in pids.items()}, elapsed


def idle_desktop(desktops, caption, away, memory, monitors):
    """desktops: {build: (session, [(name, command, file name to find its process by)], program's name)},
    each build on its own X server; the references start first, so that the program's window, mapped last,
    lies above theirs where no window manager keeps it there. For each state the pointer is put where the
    state needs it on every server and the real windows waited for with a deadline, then all processes
    (and each Wine session's wineserver) measured at once. memory: read every process's resident memory
    SETTLE_S after the start. monitors: how many the programs must see (Windows' view read through the
    tests' probe; Qt reads RandR's monitors from the server itself). Returns ({name: KiB} or None, {state: ({name: %}, seconds)})."""
    started_after = boot_ticks() - CLK_TCK
    start = time.monotonic()
    processes, windows, pids = [], {}, {}
    for build, (session, programs, _) in desktops.items():
        session.move_pointer(*away)
        for name, command, _ in programs:
            processes.append(session.start(command, name=name.replace(" ", "_")))
    for build, (session, programs, program) in desktops.items():
        windows[build] = session.find_window(caption)
        for name, _, match in programs:
            pids[name] = find_process(session, match, started_after)
        if isinstance(session, WineSession):
            pids[f"wineserver ({build})"] = find_process(session, "wineserver")
            seen = session.window_info().monitors
            if len(seen) != monitors:
                raise RuntimeError(f"{build}: Windows lists {len(seen)} monitors, not {monitors}: {seen}")
    rss = None
    if memory:
        time.sleep(max(0.0, start + SETTLE_S - time.monotonic()))
        rss = {name: rss_kib(pid) for name, pid in pids.items() if not name.startswith("wineserver")}
    figures = {}
    for state, in_state in STATES:
        for build, (session, _, _) in desktops.items():
            window = windows[build]
            if in_state is revealed:
                # On the strip at the top edge, which brings the window back; then onto the window's middle.
                strip = session.outer_rect(window)
                session.move_pointer(strip.x + strip.width // 2, 0)
                back = session.wait_for_rect(window, revealed, f"{build}: revealed")
                session.move_pointer(*back.center())
            else:
                session.move_pointer(*away)
            session.wait_for_rect(window, in_state, f"{build}: {state}")
        shares, elapsed = cpu_shares(pids, IDLE_S)
        for build, (session, _, _) in desktops.items():
            rect = session.outer_rect(windows[build])
            if not in_state(rect):
                raise RuntimeError(f"{build}: left the state \"{state}\" while measured, at {rect}")
        figures[state] = (shares, elapsed)
    for process in processes:
        process.terminate()
        process.wait(timeout=30)
    return rss, figures


def click_repaint(x_session, wine_session):
    figures = {}
    for name, session, command, env in (
            ("Linux, Qt offscreen", x_session, [os.path.join(BENCH, "click_repaint_qt"), str(CLICKS)],
             {"QT_QPA_PLATFORM": "offscreen"}),
            ("Linux, Qt xcb on Xvfb", x_session, [os.path.join(BENCH, "click_repaint_qt"), str(CLICKS)],
             {"QT_QPA_PLATFORM": "xcb"}),
            ("Windows, Wine on Xvfb", wine_session,
             [wine_session.wine, os.path.join(WINDOWS, "bench", "click_repaint_win32.exe"), str(CLICKS)], {})):
        out = subprocess.run(command, env={**session.env, **env}, capture_output=True, text=True, timeout=300).stdout
        match = re.search(r"median_ms=([\d.]+) p90_ms=([\d.]+) max_ms=([\d.]+)", out)
        figures[name] = tuple(float(v) for v in match.groups()) if match else None
    return figures


def sizes():
    rows = []
    for name, path, strip in (
            ("Linux: build/linux/tolvane", os.path.join(LINUX, "tolvane"), "strip"),
            ("Linux floor: bench/minimal_qt_window", os.path.join(BENCH, "minimal_qt_window"), "strip"),
            ("Windows: build/windows/tolvane.exe", os.path.join(WINDOWS, "tolvane.exe"), "x86_64-w64-mingw32-strip"),
            ("Windows floor: bench/minimal_win32_window.exe",
             os.path.join(WINDOWS, "bench", "minimal_win32_window.exe"), "x86_64-w64-mingw32-strip")):
        stripped = os.path.join(BENCH, "stripped-" + os.path.basename(path))
        sh([strip, "-o", stripped, path])
        rows.append((name, os.path.getsize(path), os.path.getsize(stripped)))
    return rows


# The report
# ----------

# What the targets that the program misses on this machine come from, as far as it is known; kept by hand.
WHY = [
    "- Linux start-up and memory against the minimal Qt window: the floor draws one rectangle and no text. "
    "The program decodes the 1024 × 768 background JPEG (3 MiB as a pixmap, though the window shows "
    "472 × 502 of it), the four photos and the icon through Qt's image plugins, and opens the CJK fonts "
    "through fontconfig and FreeType to shape and draw 39 captions: in one run `pmap -x` put 7.4 MiB of its "
    "resident memory in the two font files (NotoSerifCJK-Bold.ttc 3.4, ukai.ttc 3.9), 6.1 MiB in anonymous "
    "memory (the pictures among it) and the rest in more of Qt's, HarfBuzz's, ICU's and FreeType's pages "
    "touched. Cropping the background to the window at build time would save about 2 MiB and some decoding; "
    "the fonts are what Chinese captions need. The content floors pay for the JPEG and for the same two "
    "faces, and the program against them is the fairer comparison.",
    "- Linux start-up against the content floor, where the rest goes: `perf record -F 4000` over 8 starts of "
    "each under first_paint (on this machine while another job kept its load near 5) gave the program's main "
    "thread 37.4 ms of CPU a start against the floor's 36.1. In both, most of it is the same: the dynamic "
    "loader binding symbols (about 8 ms), the kernel's exec, mappings and page faults (about 13 ms), "
    "fontconfig reading its configuration (about 5 ms with expat) and Qt's platform set-up. What the program "
    "adds runs on its other threads: 5.3 ms on the thread that decodes the background (the JPEG and its "
    "conversion to 32 bits, which the floor does on its main thread) and the icon, and 0.7 ms more in Qt's "
    "X event reader (the icon and the window's hints sent to the server). With a second core free the "
    "decoding overlaps the main thread; on a busy machine it competes with it for a core, and that is the "
    "ratio's last few per cent. Of the decoding thread's time, 1.2 to 1.9 ms are the icon's: Qt's ICO "
    "plugin applies the 32 × 32 icon's 1-bit mask with QImage::setAlphaChannel, whose conversion builds "
    "Qt's sRGB lookup table (QColorTrcLut::fromTransferFunction, powf); the same icon as a 32-bit PNG "
    "decodes in 0.07 ms (both measured alone, after one other image in the same process). Handing the "
    "Linux layer its icon as a PNG with alpha would save that.",
    "- Windows start-up and memory under Wine against the minimal Win32 window: the same work on the other "
    "side: COM and the Windows Imaging Component (windowscodecs, ole32, oleaut32) loaded to decode the "
    "pictures, the 3 MiB background bitmap, and Wine's font system loading the CJK fonts that stand in for "
    "\"宋体\" and \"隶书\". Under Wine much of this is Wine's own cost of those DLLs; on Windows they are "
    "shared with the system. Against its content floor, which draws with the same logical fonts, the "
    "program also imports OLEACC.dll (its labels' accessibility) and OLEAUT32.dll at load and loads "
    "dwmapi.dll (the visible frame's bounds) before its pictures (`WINEDEBUG=+timestamp,+loaddll`). Wine's "
    "starts of one and the same program scatter from about 90 to 240 ms here, so with 15 runs the ratio to "
    "the content floor came out anywhere from 1.03× to 1.48× in four runs on a quiet machine; hence 45.",
    "- Linux idle CPU: a round trip to the X server costs far more than the docking step (two thread "
    "hand-overs in Qt's event reader and a sleep, about 0.07 points of a core at five a second), so a tick "
    "at rest makes none, in either state: the window's place is kept from the server's events, and the "
    "pointer, resting on the window or away from it, from the last reading until the server reports it "
    "moving over the window or crossing into or out of it (one tick in twenty-five reads it anyway). What "
    "is left above the empty timer is that one reading in twenty-five and the step's own work through Qt's "
    "event loop. Over 10 s in each state `strace -f -c` counted the same system calls for both, one poll a "
    "tick, and for the program 2 pointer readings (writev, recvmsg) and about 10 futex calls besides; "
    "`perf record -F 20000` over 20 s, hidden, sampled 27.5 ms of CPU in the program against 26.7 ms in the "
    "empty timer (about 0.004 points), 4 ms of it the program's own code and QtGui's. The scheduler's "
    "counts above put the program 0.01 to 0.06 points above the empty timer, the more the quieter the "
    "machine: in three runs of the script at 1-minute loads from 1.7 down to 0.3 the empty timer's own "
    "share rose from 0.04 to 0.12 % and the program's margin with it (seen, not proven: a tick that "
    "touches more code pays more for caches that an idle machine lets go cold).",
    "- Windows under Wine, idle CPU: every tick's GetCursorPos and GetWindowRect and the timer itself are "
    "requests to the wineserver, and the empty timer's reference makes the timer's own. `strace -f -c` on "
    "both over 5 s, hidden at the top (25 ticks), counted a tick's system calls: the reference 4 reads, 3 "
    "writes and no poll, the program about 8 reads, 8 writes and 2 polls, that is a few more wineserver "
    "requests and two waits for a reply from its X connection that the reference never makes; under Wine "
    "that is about 0.05 to 0.1 points of a core. The wineserver's own share is listed per state; it serves "
    "the program and its reference together and cannot be split between them. Not comparable with Windows "
    "itself, where these calls do not leave the process's session.",
    "- Windows click to repaint, where it misses: the layer still draws each label at once as the handler "
    "changes it, 7 times per click (of 30 writes, the rest change nothing), each time into its kept back buffer and onto the window (a GetDC, the "
    "label's rectangle painted, one BitBlt); under Wine each of those is a few requests to the wineserver, "
    "so a machine busy with other work stretches it. Painting once when the handler returns would make it "
    "one copy per click, at the cost of the labels showing their new state only then.",
]

def verdict(ok):
    return "meets the target" if ok else "**misses the target**"


PROGRAMS = {"Linux": "Linux program", "Windows": "Windows program (Wine)"}
TIMER_FLOORS = {"Linux": "Linux empty 200 ms timer", "Windows": "Windows empty 200 ms timer (Wine)"}


def write_report(m, core_figures, ipt, start, idle, clicks, size_rows, load_after):
    exe = os.path.join(WINDOWS, "tolvane.exe")
    minimal_exe = os.path.join(WINDOWS, "bench", "minimal_win32_window.exe")
    lines = [
        "# Benchmarks",
        "",
        "Written by `make bench` (bench/run_benchmarks.py); every figure below comes from the last run.",
        "The figures are only as quiet as the machine was: see the load averages.",
        "",
        "## Machine and run",
        "",
        f"- run: {m['date']}; load average (1, 5, 15 min) before {m['load']}, after {load_after}",
        f"- `nproc`: {m['nproc']}; CPU (/proc/cpuinfo): {m['cpu']}; `uname -r`: {m['kernel']}",
        f"- Qt {m['qt']} (Debian), Wine {m['wine']} (Debian); Linux build RelWithDebInfo, Windows build Release",
        "  (MinGW-w64), both as `make build` makes them",
        "",
        "Reproduce: `make bench` (builds both presets, then runs `bench/run_benchmarks.py .`, about 9 minutes",
        "after the build).",
        "Environment knobs of the script only (the programs read none): `TOLVANE_BENCH_STARTUP_RUNS` (15),",
        "`TOLVANE_BENCH_WINE_STARTUP_RUNS` (45), `TOLVANE_BENCH_IDLE_S` (60).",
        "",
    ]

    lines += ["## Core (Google Benchmark)", "",
              "`build/linux/bench/core_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "
              "--benchmark_min_time=0.3`; medians of 5 repetitions. The recording fake is the unit tests' "
              "`tests/fake_toolkit` (it appends a string to its log for every operation); the null toolkit "
              "(`bench/null_toolkit.h`) keeps the state and logs nothing, which is the core's own cost. "
              "`allocs` counts calls of the global operator new per iteration (the binary replaces it, "
              "bench/allocation_counter.cpp).", ""]
    if core_figures:
        lines += ["| benchmark | case | wall time | CPU time | allocations per iteration |", "|---|---|---|---|---|"]
        for name, label, real, cpu, allocs in core_figures["rows"]:
            lines.append(f"| {name.split('/')[0]} | {label} | {real:.1f} ns | {cpu:.1f} ns | {allocs:g} |")
        lines += ["", "Proof that the work allocates nothing (before the benchmarks, on the null toolkit; the "
                  "binary fails if any count is not 0):", ""]
        lines += [f"- {line}" for line in core_figures["proof"]]
        lines += ["", "Debian's libbenchmark prints \"Library was built as DEBUG\": that is the benchmark "
                  "library itself; the code measured is built RelWithDebInfo (-O2)."]
    else:
        lines.append("core_bench was not built: Google Benchmark (libbenchmark-dev) is missing.")
    lines += ["", "Instructions per docking tick, under callgrind, counted inside `Timer1_Timer` only, on the null "
              f"toolkit, over {TICKS} ticks (`valgrind --tool=callgrind --toggle-collect='tolvane::Timer1_Timer*' "
              f"build/linux/bench/tick_loop MODE {TICKS}`):", ""]
    lines += [f"- {mode}: {value:.0f} instructions per tick" for mode, value in
              (("at rest (pointer away, the window hidden again)", ipt["rest"]),
               ("pointer over (the window brought back)", ipt["over"]),
               ("hiding and revealing in turn", ipt["alternate"]))]
    lines += ["", "The platform layer's own work in a real tick (asking the X server for the pointer and the "
              "window's place) is not in these counts; the idle figures below include it.", ""]

    lines += ["## Start-up: process start to first painted frame", "",
              f"`build/linux/bench/first_paint {LIGHT_BLUE} {MIN_PIXELS} 60000 -- COMMAND`: reads the clock, "
              "starts the program, and reads the screen's top-left 200 × 200 pixels back from the X server every "
              f"millisecond until at least {MIN_PIXELS} of them are the age labels' light blue (#C0C0FF): the "
              "frame is seen as any X client sees it, once the server has it, and the program is neither "
              "changed nor told. The floors are minimal windows of the same size that paint themselves in that "
              "colour: `bench/minimal_qt_window.cpp` (Qt 6 Widgets) and `bench/minimal_win32_window.cpp` "
              f"(user32/gdi32, linked statically as tolvane.exe is). Each build with its floor on one Xvfb "
              "(1280 × 1024 × 24, no window manager), the Linux and the Windows builds on two. Wine's runs come "
              "first: once Qt programs have come and gone, even on another X server, Wine takes 3.5 or 10.6 s "
              "instead of about 0.2 s to start any program, the minimal one too (seen here, not explained; the "
              f"memory figures below are therefore read 12 s after the start). One warm-up of each, then {STARTUP_RUNS} runs (Wine: {WINE_STARTUP_RUNS}) "
              "taking the bare floor, the content floor and the program in turn; medians. "
              "Under Wine, one persistent wineserver for all runs, so that neither pays for starting Wine's "
              "services. The 1 ms poll costs the X server a little, equally for all three.", ""]
    lines += ["The content floors (`bench/content_floor_qt.cpp`, `bench/content_floor_win32.cpp`) add to the "
              "minimal window what any program showing this content pays for and nothing else: they decode the "
              "same background JPEG, draw it, and draw 13 light-blue cells with captions in the program's two "
              "faces, \"宋体\" 12 pt and \"隶书\" 15.75 pt, bold, chosen by the program's own code: on Linux the Qt "
              "layer's `labelFont` (toolkit/qt/label_font.cpp, linked from the layer's library), which asks for "
              "Noto Serif CJK SC Bold before AR PL UMing and AR PL UKai for the Kai face; under Wine the Win32 "
              "layer's `logicalFont` (toolkit/win32/font_cache.cpp), the same logical fonts, so that Wine's "
              "replacements in the prefix (\"宋体\" to AR PL UMing CN, \"隶书\" to AR PL UKai CN) pick the same "
              "faces. All start-ups run with a D-Bus session bus, as on a desktop "
              "(`dbus-daemon --session`, its address in DBUS_SESSION_BUS_ADDRESS). Target: at most 1.1× the "
              "content floor.", ""]
    lines += ["| build | bare floor | content floor | program | against bare | against content | |",
              "|---|---|---|---|---|---|---|"]
    for name, ((bare, _), (content, _), (program, _)) in start.items():
        lines.append(f"| {name} | {bare:.1f} ms | {content:.1f} ms | {program:.1f} ms | {program / bare:.2f}× | "
                     f"{program / content:.2f}× | {verdict(program / content <= 1.1)} |")
    lines += ["", "All runs (ms):", ""]
    for name, runs in start.items():
        for label, (_, each) in zip(("bare floor", "content floor", "program"), runs):
            lines.append(f"- {name} {label}: {', '.join(f'{v:.0f}' for v in each)}")
    lines.append("")

    lines += ["## Click to repaint", "",
              f"From the button's press to the end of the repaint of the labels the click changes, {CLICKS} "
              "clicks alternating between \"2.5岁\" and \"1月\" (each click rewrites 25 colours and 5 captions; "
              "two age labels and the five display labels look different after it). In-process, on the real "
              "window of each layer:", "",
              "- Linux: `build/linux/bench/click_repaint_qt` sends the press and release (QMouseEvent) to the "
              "window and processes events until the window's paint event has ended; on Qt's offscreen "
              "platform (raster painting into the backing store, no server) and on xcb under Xvfb (the frame "
              "handed to the X server);",
              "- Windows: `wine build/windows/bench/click_repaint_win32.exe` sends WM_LBUTTONDOWN and "
              "WM_LBUTTONUP through the window procedure; the layer repaints each label a write changes at once, only its "
              "rectangle, into one back buffer kept for the window's life and from there onto the window, "
              "so the time runs to the last of those repaints, GDI's batch flushed (GdiFlush). Wine copies the "
              "window's surface to the X server later, outside the timed part.", "",
              "Target: median under 2 ms.", "",
              "| build | median | 90th percentile | largest | |", "|---|---|---|---|---|"]
    for name, figures in clicks.items():
        if figures:
            lines.append(f"| {name} | {figures[0]:.3f} ms | {figures[1]:.3f} ms | {figures[2]:.3f} ms | "
                         f"{verdict(figures[0] < 2)} |")
        else:
            lines.append(f"| {name} | failed | | | |")
    lines.append("")

    rss, desktops = idle
    seconds = max(elapsed for states in desktops.values() for _, elapsed in states.values())
    lines += ["## Idle and memory", "",
              "Each program rests beside its reference, the same minimal window with a 200 ms timer that does "
              "nothing (`bench/minimal_qt_window.cpp` and `bench/minimal_win32_window.cpp` built a second time "
              "with TOLVANE_EMPTY_TIMER: minimal_qt_timer_window, minimal_win32_timer_window.exe), the Linux pair "
              "on one Xvfb and the Windows pair under Wine on the other, all four at once, the references started "
              "first. Two states, in turn: *revealed*: the pointer put on the strip the hidden window leaves at "
              "the top edge (`xdotool mousemove`), the window waited for one pixel beyond that edge (its geometry "
              "as `xwininfo` reads it, polled with a deadline), then the pointer moved onto the window's middle, "
              "where it rests; *hidden*: the pointer put away from the window, the window waited for until no "
              "more than 4 pixels of it are on the screen. Each state is checked again after it is measured. "
              f"CPU time: the scheduler's count in nanoseconds (/proc/PID/task/*/schedstat, all threads) over "
              f"{seconds:.0f} s per state, as a share of one core. Under Wine the process is the program's own; "
              "the wineserver, which serves both Wine programs of the pair, is listed apart, per state. On one "
              "monitor (the screen of 1280 × 1024) and on two: a screen of 2560 × 1024 holding two monitors of "
              "1280 × 1024 side by side, the left one the primary, made with `xrandr --setmonitor` (RandR 1.5) as "
              "the tests make them; Wine, which reads such monitors only on its Xinerama path, with "
              "\"UseXRandR\"=\"N\" in the prefix and its session restarted. Target: each program at most 0.03 "
              "points of a core above its reference in both states. The two monitors' runs have an Xvfb and a Wine "
              "prefix of their own, started at that size.", "",
              "| monitors | state | build | program | empty 200 ms timer | above it | | wineserver |",
              "|---|---|---|---|---|---|---|---|"]
    for monitors, states in desktops.items():
        for state, (cpu, _) in states.items():
            for build in ("Linux", "Windows"):
                program, reference = cpu[PROGRAMS[build]], cpu[TIMER_FLOORS[build]]
                server = cpu.get(f"wineserver ({build})")
                lines.append(f"| {monitors} | {state} | {build} | {program:.3f} % | {reference:.3f} % | "
                             f"{program - reference:+.3f} | {verdict(program - reference <= 0.03)} | "
                             f"{'' if server is None else f'{server:.3f} %'} |")
    lines += ["", f"Resident memory (VmRSS), read {SETTLE_S} s after the start of the run on one monitor, where "
              "the bare and the content floors rest beside the pairs. Target: at most 3 MiB above the bare floor.",
              "", "| program | resident after start |", "|---|---|"]
    for name in rss:
        lines.append(f"| {name} | {rss[name] / 1024:.1f} MiB |")
    lines.append("")
    for build, floor in (("Linux", "Linux floor"), ("Windows", "Windows floor (Wine)")):
        program = PROGRAMS[build]
        extra = (rss[program] - rss[floor]) / 1024
        content = (rss[program] - rss[floor.replace("floor", "content floor")]) / 1024
        lines.append(f"- {program}: {extra:+.1f} MiB resident against its bare floor, {verdict(extra <= 3)}, "
                     f"{content:+.1f} MiB against its content floor.")
    lines.append("")

    lines += ["## Size", "", "Stripped copies made with `strip -o` (`x86_64-w64-mingw32-strip -o` for the Windows "
              "files); the Windows files have the C and C++ runtimes linked in, the Linux ones use the system's "
              "shared Qt.", "", "| file | as built | stripped |", "|---|---|---|"]
    for name, built, stripped in size_rows:
        lines.append(f"| {name} | {built / 1024:.0f} KiB | {stripped / 1024:.0f} KiB |")
    lines.append("")

    misses = []
    for name, (_, (content, _), (program, _)) in start.items():
        if program / content > 1.1:
            misses.append(f"start-up, {name}: {program / content:.2f}× the content floor")
    for name, figures in clicks.items():
        if figures and figures[0] >= 2:
            misses.append(f"click to repaint, {name}: median {figures[0]:.3f} ms")
    for build, floor in (("Linux", "Linux floor"), ("Windows", "Windows floor (Wine)")):
        extra = (rss[PROGRAMS[build]] - rss[floor]) / 1024
        if extra > 3:
            misses.append(f"memory, {PROGRAMS[build]}: {extra:+.1f} MiB")
    for monitors, states in desktops.items():
        for state, (cpu, _) in states.items():
            for build in ("Linux", "Windows"):
                above = cpu[PROGRAMS[build]] - cpu[TIMER_FLOORS[build]]
                if above > 0.03:
                    misses.append(f"idle CPU, {PROGRAMS[build]}, {monitors}, {state}: {above:+.3f} points "
                                  "above the empty 200 ms timer")
    lines += ["## Targets missed in this run", ""]
    lines += [f"- {miss}" for miss in misses] if misses else ["None."]
    lines += ["", "## Why, and what it would take", "", *WHY, ""]
    with open(OUT, "w") as f:
        f.write("\n".join(lines))
    print("\n".join(lines))


def main():
    for path in (os.path.join(LINUX, "tolvane"), os.path.join(WINDOWS, "tolvane.exe"),
                 os.path.join(BENCH, "first_paint"), os.path.join(WINDOWS, "bench", "minimal_win32_window.exe"),
                 LAYOUT_TOOL, os.path.join(WINDOWS, "tolvane_probe.exe")):
        if not os.path.exists(path):
            sys.exit(f"run_benchmarks: {path} is not built (make build)")
    m = machine()
    print("core ...", flush=True)
    core_figures = core()
    ipt = instructions_per_tick()
    print("size ...", flush=True)
    size_rows = sizes()
    # The Linux and the Windows programs each on an Xvfb of their own, so that neither sees the other's
    # windows.
    with XSession() as x_session, WineSession(WINDOWS) as session:
        wine = session.wine
        linux_floor = [os.path.join(BENCH, "minimal_qt_window")]
        linux_timer = [os.path.join(BENCH, "minimal_qt_timer_window")]
        linux_program = [os.path.join(LINUX, "tolvane")]
        windows_floor = [wine, os.path.join(WINDOWS, "bench", "minimal_win32_window.exe")]
        windows_timer = [wine, os.path.join(WINDOWS, "bench", "minimal_win32_timer_window.exe")]
        windows_program = [wine, os.path.join(WINDOWS, "tolvane.exe")]
        linux_content = [os.path.join(BENCH, "content_floor_qt")]
        windows_content = [wine, os.path.join(WINDOWS, "bench", "content_floor_win32.exe")]
        bus = session_bus((x_session, session))
        print("start-up ...", flush=True)
        # The pointer over the windows' corner, so that the real windows stay in view to be seen painting
        # rather than docking on their first tick, which on a busy machine may come first.
        x_session.move_pointer(100, 100)
        session.move_pointer(100, 100)
        # Wine first: once Qt programs have run, even on another X server, Wine's start-up grows from
        # 0.2 s to 3.5 or 10.6 s for any program, the minimal one too (seen, not explained).
        start = startup({
            "Windows (Wine on Xvfb)": (session, [windows_floor, windows_content, windows_program], WINE_STARTUP_RUNS),
            "Linux (Qt 6 on Xvfb)": (x_session, [linux_floor, linux_content, linux_program], STARTUP_RUNS)})
        print("click to repaint ...", flush=True)
        clicks = click_repaint(x_session, session)
        caption = Layout(LAYOUT_TOOL).caption
        linux_pair = [(TIMER_FLOORS["Linux"], linux_timer, "minimal_qt_timer_window")]
        windows_pair = [(TIMER_FLOORS["Windows"], windows_timer, "minimal_win32_timer_window.exe")]
        print("idle and memory, one monitor ...", flush=True)
        rss, one = idle_desktop({
            "Linux": (x_session, [*linux_pair, ("Linux floor", linux_floor, "minimal_qt_window"),
                                  ("Linux content floor", linux_content, "content_floor_qt"),
                                  (PROGRAMS["Linux"], linux_program, "build/linux/tolvane")], PROGRAMS["Linux"]),
            "Windows": (session, [*windows_pair, ("Windows floor (Wine)", windows_floor, "minimal_win32_window.exe"),
                                  ("Windows content floor (Wine)", windows_content, "content_floor_win32.exe"),
                                  (PROGRAMS["Windows"], windows_program, "tolvane.exe")], PROGRAMS["Windows"]),
        }, caption, AWAY, memory=True, monitors=1)
        bus.terminate()
        bus.wait(timeout=30)
    print("idle, two monitors ...", flush=True)
    with XSession(TWO_MONITOR_SCREEN) as x_session, WineSession(WINDOWS, TWO_MONITOR_SCREEN) as session:
        bus = session_bus((x_session, session))
        away = two_monitors(x_session)
        two_monitors(session)
        # Wine reads monitors made by RandR 1.5 only on its Xinerama path, and only when its session starts.
        session.set_registry({X11_DRIVER: {"UseXRandR": "N"}})
        session.restart()
        _, two = idle_desktop({
            "Linux": (x_session, [*linux_pair, (PROGRAMS["Linux"], linux_program, "build/linux/tolvane")],
                      PROGRAMS["Linux"]),
            "Windows": (session, [*windows_pair, (PROGRAMS["Windows"], windows_program, "tolvane.exe")],
                        PROGRAMS["Windows"]),
        }, caption, away, memory=False, monitors=2)
        bus.terminate()
        bus.wait(timeout=30)
    idle = (rss, {"one monitor": one, "two monitors": two})
    load_after = " ".join(open("/proc/loadavg").read().split()[:3])
    write_report(m, core_figures, ipt, start, idle, clicks, size_rows, load_after)
    if core_figures and not core_figures["ok"]:
        sys.exit("run_benchmarks: core_bench failed (a tick or a selection allocated)")


if __name__ == "__main__":
    main()
