#!/usr/bin/env bash
# Starts the program in a real window on a virtual X display, checks the window's
# title and client size, ends it with Escape and checks the exit code.
# Usage: real_window_test.sh PROGRAM FONT_FOLDER
set -euo pipefail

program=$1
font_folder=$2

if [[ -z "${TACTICO_INSIDE_XVFB:-}" ]]; then
    export TACTICO_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

folder=$(mktemp -d)
pid=
cleanup() {
    if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
    rm -rf "$folder"
}
trap cleanup EXIT

cp "$font_folder"/*.fnt "$folder"/
cd "$folder"
unset TACTICO_PLATFORM
"$program" &
pid=$!

# Polls a command for up to 10 seconds.
wait_for() {
    for _ in $(seq 100); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# Polls a command for up to half a second.
wait_for_short() {
    for _ in $(seq 5); do
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
if ! wait_for find_window; then
    echo "no window titled \"Tactico Update\" appeared" >&2
    exit 1
fi

geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"
if ! grep -q 'Geometry: 640x480' <<<"$geometry"; then
    echo "the client area is not 640x480" >&2
    exit 1
fi

# A key that arrives before the first screen is built is discarded with the
# other input latched before that paint, so Escape is repeated until it lands.
finished() { ! kill -0 "$pid" 2>/dev/null; }
ended=
for _ in $(seq 20); do
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key Escape 2>/dev/null || true
    if wait_for_short finished; then ended=1; break; fi
done
if [[ -z "$ended" ]]; then
    echo "the program did not end after Escape" >&2
    exit 1
fi
status=0
wait "$pid" || status=$?
pid=
if [[ $status -ne 0 ]]; then
    echo "exit code $status, expected 0" >&2
    exit 1
fi
echo "window opened, Escape ended the program with exit code 0"
