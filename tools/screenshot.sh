#!/usr/bin/env bash
# Starts a program on a private virtual X display, saves a screenshot of the screen once its window
# "0-10 Tolvane" is up, and ends everything it started.
#
# Usage: tools/screenshot.sh [--window] PROGRAM OUT.png [X,Y ...]
#   --window  the window alone (without a window manager, its client area), not the whole screen
#   X,Y       points of the window's client area to click with the left button, in order, before the shot
set -euo pipefail

only_window=
if [[ ${1:-} == --window ]]; then
    only_window=1
    shift
fi
if [[ $# -lt 2 ]]; then
    echo "usage: $0 [--window] PROGRAM OUT.png [X,Y ...]" >&2
    exit 2
fi
program=$1
out=$2
shift 2
title='0-10 Tolvane'

workdir=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    set +e # every step, whatever the one before it returned
    if [[ -n $program_pid ]]; then kill "$program_pid" 2>/dev/null; wait "$program_pid" 2>/dev/null; fi
    if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
    rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the descriptor once it accepts clients.
# -noreset: otherwise it resets whenever its last client goes, and puts the pointer back in the middle.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $workdir/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$workdir/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
[[ -s $workdir/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$workdir/display")"
unset WAYLAND_DISPLAY

# The window opens at the screen's top-left corner and tucks itself away behind the top edge on its
# first timer tick unless the pointer is over it: so the pointer waits where the window will be.
xdotool mousemove 200 300

"$program" &
program_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" | head -n1) || {
    echo "the window \"$title\" did not appear" >&2
    exit 1
}
# Mapped is not yet ready: a click before the program has painted its window may go unseen.
sleep 1
for point in "$@"; do
    # Two commands: chained to a window, xdotool would send the click as a synthetic event, which Qt
    # ignores; on its own it presses the real pointer's button.
    xdotool mousemove --window "$window" "${point%,*}" "${point#*,}"
    xdotool click 1
done
# Give the program a moment to paint what the clicks changed.
sleep 1
kill -0 "$program_pid" 2>/dev/null || { echo "the program ended before the screenshot" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
# -strip: no time of its making in the PNG, so that an unchanged picture makes an unchanged file.
target=root
[[ -n $only_window ]] && target=$window
import -window "$target" -strip "$out"
echo "Screenshot of the window saved to $out"
