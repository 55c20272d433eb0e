#!/usr/bin/env bash
# The demo update in a real SDL window on a virtual X display, clicked through
# with xdotool at the buttons' own positions: language, Next, then Finish.
#
#   window_demo.sh <bin folder> <work folder>
# Exit 77 (skipped) when the X tools are missing.
set -euo pipefail
. "$(dirname "$0")/../wine/lib.sh"
bin=$(cd "$1" && pwd)
folder=$2

for tool in xdotool xwininfo Xvfb; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
# The folder stays for a look afterwards.
trap cleanup EXIT
start_xvfb 251 1024x768

# A press and, a moment later, the release: a click faster than one frame would
# never reach the wizard, which reads the button once per frame.
click_at() {
  xdotool mousemove --window "$wid" "$1" "$2"
  sleep 0.1
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
  sleep 0.1
}

"$bin/tactico-demo" prepare --root "$folder" >/dev/null
eval "$("$bin/tactico-demo" buttons --root "$folder" --language 0)"
registry="$(cd "$folder" && pwd)/registry.reg"
update="$(cd "$folder/update" && pwd)"

(cd "$update" && TACTICO_REGISTRY="$registry" exec ./tactico-update) &
program_pid=$!

find_window() { wid=$(xdotool search --pid "$program_pid" 2>/dev/null | head -n 1); [[ -n $wid ]]; }
wait_for 15 find_window || fail "no window appeared"
size=$(xwininfo -id "$wid" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
echo "window $wid, client $size"
[[ $size == 640x480 ]] || fail "client area is $size, expected 640x480"
sleep 0.5 # the first paint

readme_moved() { [[ ! -e "$update/readme_eng.txt" ]]; }
version_written() { grep -q '3\.84' "$registry"; }
started=0
for attempt in 1 2 3; do
  click_at "$LANGUAGE_X" "$LANGUAGE_Y"
  sleep 0.3
  click_at "$NEXT_X" "$NEXT_Y"
  if wait_for 5 readme_moved; then started=1; break; fi
  echo "attempt $attempt: the update did not start, clicking again"
done
[[ $started == 1 ]] || fail "the update never started"
wait_for 30 version_written || fail "\"Version\" was never written"

# The quick-start question may come first: Yes there stands where the completion
# screen has its greyed-out Back, so Yes then Finish suits both screens.
for attempt in 1 2 3; do
  sleep 0.3
  click_at "$YES_X" "$YES_Y"
  sleep 0.3
  click_at "$FINISH_X" "$FINISH_Y"
  if wait_for 3 gone; then break; fi
done
gone || fail "the wizard did not end after Finish"
ended Finish

"$bin/tactico-demo" check --root "$folder" --language 0 --quick-start deleted
