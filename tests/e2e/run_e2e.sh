#!/usr/bin/env bash
# End-to-end check of the real program on a virtual X display: the title bar
# text (read with xprop) for start-up, a lesson and an unknown number; then
# start experiment 0, start the rotation, take a screenshot and probe its
# pixels at points computed from the window size.
#
#   run_e2e.sh <path-to-kristallbeugung> [--update-screenshot]
#
# With --update-screenshot the screenshot, cut to the window, also replaces
# docs/screenshot-experiment-0.png. Needs Xvfb, xdotool, xprop, ImageMagick, python3.
set -euo pipefail

fail() {
    echo "e2e: FAIL: $*" >&2
    exit 1
}

[[ $# -ge 1 ]] || fail "usage: $0 <path-to-kristallbeugung> [--update-screenshot]"
app=$1
shift
update=0
for arg in "$@"; do
    case $arg in
        --update-screenshot) update=1 ;;
        *) fail "unknown argument: $arg" ;;
    esac
done
[[ -x $app ]] || fail "program not found or not executable: $app"
for tool in Xvfb xdotool xprop import convert python3; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
xvfb_pid=
app_pid=

cleanup() {
    local status=$?
    set +e
    if [[ -n $app_pid ]]; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and reports its number, so that runs side
# by side cannot collide. -noreset: otherwise the server resets when its last
# client leaves, as the probing xdotool does, and a program connecting in that
# moment is turned away.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
done
[[ -s $work/display ]] || fail "Xvfb reported no display number"
export DISPLAY=:$(tr -d '[:space:]' <"$work/display")
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"

"$app" >"$work/app.log" 2>&1 &
app_pid=$!

# Polls a command until it succeeds, for up to $1 tenths of a second.
wait_for() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        kill -0 "$app_pid" 2>/dev/null || fail "the program exited early: $(cat "$work/app.log")"
        sleep 0.1
    done
    return 1
}

find_window() { window=$(xdotool search --onlyvisible --name "Kein Experiment aktiv" 2>/dev/null | head -n 1) && [[ -n $window ]]; }
wait_for 150 find_window || fail "no window titled \"Kein Experiment aktiv\" appeared"

eval "$(xdotool getwindowgeometry --shell "$window")"
win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
echo "e2e: window $window at $win_x,$win_y size ${win_w}x$win_h on $DISPLAY"
panel_x=$((win_x + win_w - 177))
# The client area of the layout, 568 pixels high at start-up, lies below the
# menu bar.
client_top=$((win_h - 568))
[[ $client_top -ge 0 && $client_top -le 60 ]] || fail "window height $win_h leaves no room for a 568 pixel client area"

# Clicks at a point given relative to the panel's top-left corner.
click_panel() {
    xdotool mousemove --sync $((panel_x + $1)) $((win_y + client_top + $2)) click 1
}

# The title bar shows the caption and nothing else.
net_wm_name() { xprop -id "$window" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'; }
title_is() { [[ $(net_wm_name) == "$1" ]]; }
expect_title() {
    wait_for 100 title_is "$1" || fail "_NET_WM_NAME is \"$(net_wm_name)\", not \"$1\""
    echo "e2e: title \"$1\""
}

# "Experiment Nr.": Edit2 at (8+8, 8+16) in the panel, Button9 at (8+56, 8+18).
start_experiment() {
    click_panel $((8 + 8 + 12)) $((8 + 16 + 14))
    xdotool key --clearmodifiers ctrl+a BackSpace
    xdotool type --delay 50 "$1"
    click_panel $((8 + 56 + 12)) $((8 + 18 + 12))
}

expect_title "Kein Experiment aktiv"
start_experiment 12
expect_title "Experiment 12: Ewald-Konstruktion des Beugungswinkels"
start_experiment 15
expect_title "Unbekanntes Experiment"
start_experiment 0
expect_title "Experiment 0: Alle Optionen aktiv"

# "Kristall drehen" -> "Start": Button3 at (8+8, 64+16) in the panel.
click_panel $((8 + 8 + 20)) $((64 + 16 + 12))
sleep 2

import -window root "$work/shot.png"
convert "$work/shot.png" -depth 8 "$work/shot.ppm"

python3 - "$work/shot.ppm" "$win_x" "$win_y" "$win_w" "$win_h" "$client_top" <<'PY'
import math
import sys

path, wx, wy, ww, wh, top = sys.argv[1], *map(int, sys.argv[2:])
with open(path, "rb") as f:
    data = f.read()
# Binary PPM: "P6", width, height, maxval, one whitespace, then RGB bytes.
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace():
        pos += 1
    if data[pos:pos + 1] == b"#":
        pos = data.index(b"\n", pos)
        continue
    end = pos
    while not data[end:end + 1].isspace():
        end += 1
    fields.append(data[pos:end])
    pos = end
assert fields[0] == b"P6" and fields[3] == b"255", "unexpected screenshot format"
width, height = int(fields[1]), int(fields[2])
pixels = data[pos + 1:]


def rgb(x, y):
    x, y = wx + x, wy + y
    if not (0 <= x < width and 0 <= y < height):
        return (-1, -1, -1)
    i = 3 * (y * width + x)
    return tuple(pixels[i:i + 3])


def near(x, y, test, radius=2):
    return any(test(rgb(round(x) + dx, round(y) + dy))
               for dx in range(-radius, radius + 1) for dy in range(-radius, radius + 1))


blue = lambda p: p[2] >= 180 and p[0] <= 90 and p[1] <= 90
red = lambda p: p[0] >= 180 and p[1] <= 110 and p[2] <= 110
dark = lambda p: 0 <= max(p) <= 110

scale = (ww - 177) / 6350
base_y = wh - 21
cx, cy = 2267.8572 * scale, base_y - 2727.2727 * scale
radius = 1100 * scale
failures = []

if not near(cx, cy, blue):
    failures.append(f"no blue crystal mark near ({cx:.1f}, {cy:.1f}); found {rgb(round(cx), round(cy))}")

angles = range(15, 360, 30)
missing = [a for a in angles
           if not near(cx + radius * math.cos(math.radians(a)), cy - radius * math.sin(math.radians(a)), red)]
# Another drawing may cover the circle at a point or two; a misplaced or
# missing circle misses nearly all of them.
if len(missing) > 2:
    failures.append(f"Ewald circle (centre {cx:.1f},{cy:.1f}, radius {radius:.1f}) not red at angles {missing}")

axis_y = round(base_y - 300 * scale)
label_x = round(267.5 * scale)
dark_count = sum(dark(rgb(x, y)) for x in range(label_x - 15, label_x + 25) for y in range(axis_y + 3, axis_y + 20))
if dark_count < 5:
    failures.append(f"no axis label below the diffractogram axis at y {axis_y} around x {label_x}")

cream = rgb(ww - 177 + 8 + 130, top + 64 + 30)
if max(abs(a - b) for a, b in zip(cream, (0xFF, 0xFB, 0xF0))) > 6:
    failures.append(f"panel group \"Kristall drehen\" is {cream}, not cream #FFFBF0")

if failures:
    print("e2e: FAIL: " + "; ".join(failures), file=sys.stderr)
    sys.exit(1)
print(f"e2e: crystal mark at ({cx:.1f}, {cy:.1f}), Ewald circle r {radius:.1f} "
      f"({12 - len(missing)}/12 points red), {dark_count} label pixels, panel cream")
PY

if [[ $update -eq 1 ]]; then
    mkdir -p "$repo/docs"
    # The window alone; the rest of the virtual screen is empty.
    convert "$work/shot.png" -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage \
        "$repo/docs/screenshot-experiment-0.png"
    echo "e2e: screenshot of the window copied to docs/screenshot-experiment-0.png"
fi
echo "e2e: PASS"
