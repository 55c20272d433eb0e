#!/usr/bin/env bash
# The demo update in a real SDL window on a virtual X display, clicked through
# with xdotool at the buttons' own positions: language, Next, Yes, then Finish.
#
#   window_demo.sh <bin folder> <work folder>
# Exit 77 (skipped) when the X tools are missing.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
bin=$(realpath "$1")

for tool in xdotool xwininfo Xvfb; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
# The folder stays for a look afterwards.
trap cleanup EXIT
start_xvfb 251 1024x768

"$bin/tactico-demo" prepare --root "$2" >/dev/null
root=$(realpath "$2")
eval "$("$bin/tactico-demo" buttons --root "$root" --language 0)"
log=$root/run.log
(cd "$root/update" && TACTICO_REGISTRY="$root/registry.reg" exec ./tactico-update "/log=$log") &
program_pid=$!

find_window() {
    window=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Tactico Update$' | head -n 1)
    [[ -n $window ]]
}
wait_for 30 find_window || fail "no window titled \"Tactico Update\" appeared"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[[ $size == 640x480 ]] || fail "client area is $size, expected 640x480"
eval "$(xdotool getwindowgeometry --shell "$window")"
ox=$X oy=$Y
echo "window $window, client $size at $ox,$oy"

at_screen language "$LANGUAGE_X" "$LANGUAGE_Y"
at_screen version "$NEXT_X" "$NEXT_Y"
at_screen "quick start" "$YES_X" "$YES_Y"
at_screen completed "$FINISH_X" "$FINISH_Y"
ended Finish
"$bin/tactico-demo" check --root "$root" --language 0 --quick-start deleted
