#!/usr/bin/env bash
# Starts the program in a real window on a virtual X display, checks the window's
# title and client size, ends it with Escape and checks the exit code.
# Usage: real_window_test.sh PROGRAM FONT_FOLDER
set -euo pipefail

if [[ -z "${TACTICO_INSIDE_XVFB:-}" ]]; then
    export TACTICO_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

fail() { echo "$*" >&2; exit 1; }

folder=$(mktemp -d)
pid=
cleanup() {
    if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
    rm -rf "$folder"
}
trap cleanup EXIT

cp "$2"/*.fnt "$folder"/
cd "$folder"
unset TACTICO_PLATFORM
"$1" &
pid=$!

# Polls a command every tenth of a second, up to the given number of times.
wait_for() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

window=
find_window() {
    window=$(xdotool search --onlyvisible --name '^Tactico Update$' 2>/dev/null | head -n 1)
    [[ -n "$window" ]]
}
wait_for 300 find_window || fail "no window titled \"Tactico Update\" appeared"

geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"
grep -q 'Geometry: 640x480' <<<"$geometry" || fail "the client area is not 640x480"

# A key that arrives before the first screen is built is discarded with the
# other input latched before that paint, so Escape is repeated until it lands.
finished() { ! kill -0 "$pid" 2>/dev/null; }
for attempt in $(seq 21); do
    [[ $attempt -le 20 ]] || fail "the program did not end after Escape"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key Escape 2>/dev/null || true
    if wait_for 5 finished; then break; fi
done
status=0
wait "$pid" || status=$?
pid=
[[ $status -eq 0 ]] || fail "exit code $status, expected 0"
echo "window opened, Escape ended the program with exit code 0"
