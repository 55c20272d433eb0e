#!/usr/bin/env bash
# The demo update in a real SDL window on a virtual X display, clicked through
# with xdotool at the buttons' own positions: language, Next, then Finish.
#
#   window_demo.sh <bin folder> <work folder>
# Exit 77 (skipped) when the X tools are missing.
set -euo pipefail
bin=$(cd "$1" && pwd)
work=$2

for tool in xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [[ -z "${DISPLAY:-}" || -z "${WINDOW_DEMO_ON_XVFB:-}" ]]; then
  command -v xvfb-run >/dev/null || { echo "skipped: xvfb-run is not installed"; exit 77; }
  WINDOW_DEMO_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

# Waits up to $1 tenths of a second for the command after it to succeed.
poll() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# A press and, a moment later, the release: a click faster than one frame would
# never reach the wizard, which reads the button once per frame.
click() {
  xdotool mousemove --window "$wid" "$1" "$2"
  sleep 0.1
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
  sleep 0.1
}

"$bin/tactico-demo" prepare --root "$work" >/dev/null
eval "$("$bin/tactico-demo" buttons --root "$work" --language 0)"
registry="$(cd "$work" && pwd)/registry.reg"
update="$(cd "$work/update" && pwd)"

(cd "$update" && TACTICO_REGISTRY="$registry" exec ./tactico-update) &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

find_window() { wid=$(xdotool search --pid "$pid" 2>/dev/null | head -n 1); [[ -n $wid ]]; }
poll 150 find_window || { echo "FAIL: no window appeared"; exit 1; }
size=$(xwininfo -id "$wid" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
echo "window $wid, client $size"
[[ $size == 640x480 ]] || { echo "FAIL: client area is $size, expected 640x480"; exit 1; }
sleep 0.5 # the first paint

readme_moved() { [[ ! -e "$update/readme_eng.txt" ]]; }
version_written() { grep -q '3\.84' "$registry"; }
started=0
for attempt in 1 2 3; do
  click "$LANGUAGE_X" "$LANGUAGE_Y"
  sleep 0.3
  click "$NEXT_X" "$NEXT_Y"
  if poll 50 readme_moved; then started=1; break; fi
  echo "attempt $attempt: the update did not start, clicking again"
done
[[ $started == 1 ]] || { echo "FAIL: the update never started"; exit 1; }
poll 300 version_written || { echo "FAIL: \"Version\" was never written"; exit 1; }

# The quick-start question may come first: Yes there stands where the completion
# screen has its greyed-out Back, so Yes then Finish suits both screens.
exited() { ! kill -0 "$pid" 2>/dev/null; }
for attempt in 1 2 3; do
  sleep 0.3
  click "$YES_X" "$YES_Y"
  sleep 0.3
  click "$FINISH_X" "$FINISH_Y"
  if poll 30 exited; then break; fi
done
exited || { echo "FAIL: the wizard did not end after Finish"; exit 1; }
trap - EXIT
wait "$pid" && status=0 || status=$?
[[ $status == 0 ]] || { echo "FAIL: tactico-update exited with $status"; exit 1; }

"$bin/tactico-demo" check --root "$work" --language 0 --quick-start deleted
