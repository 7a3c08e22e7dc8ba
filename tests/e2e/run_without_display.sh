#!/usr/bin/env bash
# Start-up with no display variable set: without a platform the program says
# what to do and exits with status 2; a platform chosen by argument or
# environment is left to the toolkit, so with "offscreen" the program runs.
#
#   run_without_display.sh <path-to-kristallbeugung>
set -uo pipefail

fail() {
    echo "startup: FAIL: $*" >&2
    exit 1
}

[[ $# -eq 1 && -x $1 ]] || fail "usage: $0 <path-to-kristallbeugung>"
app=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
log=$(mktemp)
trap 'rm -f "$log"' EXIT

"$app" >"$log" 2>&1
status=$?
[[ $status -eq 2 ]] || fail "with no display the program exited with $status: $(cat "$log")"
grep -q "kein Bildschirm gefunden" "$log" || fail "no hint on the missing display: $(cat "$log")"

# Still running after two seconds means it started; timeout then ends it with 124.
runs() {
    timeout 2 "$@" >"$log" 2>&1
    status=$?
    [[ $status -eq 124 ]] || fail "\"$*\" exited with $status instead of running: $(cat "$log")"
}
runs "$app" -platform offscreen
runs "$app" --platform offscreen
QT_QPA_PLATFORM=offscreen runs "$app"
echo "startup: PASS"
