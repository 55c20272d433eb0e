#!/usr/bin/env bash
# Starts the program in a real window on a virtual X display, checks the window's
# title and client size, ends it with Escape and checks the exit code.
# Usage: real_window_test.sh PROGRAM FONT_FOLDER
set -euo pipefail
. "$(dirname "$0")/../wine/lib.sh"
work_folder tactico-real-window
start_xvfb 211 1024x768

cp "$2"/*.fnt "$work"/
cd "$work"
unset TACTICO_PLATFORM
"$1" &
program_pid=$!

find_window() {
    window=$(xdotool search --onlyvisible --name '^Tactico Update$' | head -n 1)
    [[ -n "$window" ]]
}
wait_for 30 find_window || fail "no window titled \"Tactico Update\" appeared"

geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"
grep -q 'Geometry: 640x480' <<<"$geometry" || fail "the client area is not 640x480"

# A key that arrives before the first screen is built is discarded with the
# other input latched before that paint, so Escape is repeated until it lands.
for attempt in $(seq 21); do
    [[ $attempt -le 20 ]] || fail "the program did not end after Escape"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key Escape 2>/dev/null || true
    if wait_for 1 gone; then break; fi
done
ended Escape
echo "window opened, Escape ended the program with exit code 0"
