#!/usr/bin/env bash
# The whole update in a real window on a virtual X display, by keyboard alone, on
# tactico-demo's sample; the log tells which screen is on show. With --patch the
# update folder holds update.patch alone: a record of another version is first
# shown the incompatible screen and changes nothing, then the 3.69 record is
# updated from the patch.
# Usage: real_window_test.sh PROGRAM FONT_FOLDER [--patch]
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
work_folder tactico-real-window
start_xvfb 211 1024x768
unset TACTICO_PLATFORM

# Keys before a screen is built are discarded with the other input latched before
# that paint, so each step is repeated until it lands.
root=$work/sample
patch=${3:-}
"$(dirname "$1")/tactico-demo" prepare --root "$root" --bin "$2" $patch >/dev/null ||
    fail "tactico-demo prepare"
launch() {
    rm -f "$root/run.log"
    (cd "$root/update" && TACTICO_REGISTRY="$root/registry.reg" exec "$1" "/log=$root/run.log") &
    program_pid=$!
    wait_for 30 find_window || fail "no window titled \"Tactico Update\""
}
find_window() { window=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Tactico Update$' | head -n 1) && [[ -n $window ]]; }
on_screen() { grep -q "Screen: $1\$" "$root/run.log"; }
keys_until() {
    local screen=$1 attempt
    shift
    for attempt in $(seq 10); do
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        xdotool key --delay 100 "$@" 2>/dev/null || true
        if wait_for 2 on_screen "$screen"; then return; fi
    done
    fail "the keys $* did not lead to the $screen screen"
}
# return_ends <button>: Enter on the focused button ends the program (exit code 0).
return_ends() {
    local attempt
    for attempt in $(seq 11); do
        [[ $attempt -le 10 ]] || fail "$1 did not end the program"
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        xdotool key Return 2>/dev/null || true
        if wait_for 1 gone; then break; fi
    done
    ended "$1"
}
if [[ $patch == --patch ]]; then
    cp -a "$root/installation" "$root/before"
    cp "$root/registry.reg" "$root/record-3.69"
    sed -i 's/^"Version"=.*/"Version"="Version 3.68 (ENG)"/' "$root/registry.reg"
    cp "$root/registry.reg" "$root/record-3.68"
    launch "$1"
    wait_for 30 on_screen language || fail "no language screen"
    keys_until version space
    keys_until "incompatible update" Return
    # Exit has the focus; Back is greyed. A window's run ends with exit code 0
    # whatever it showed; the log says why.
    return_ends Exit
    grep -q "update.patch does not fit this installation" "$root/run.log" ||
        fail "the log does not say why the patch does not fit"
    diff -r "$root/before" "$root/installation" >/dev/null || fail "the installation changed"
    cmp -s "$root/record-3.68" "$root/registry.reg" || fail "the record changed"
    echo "a patch for another version: the incompatible screen, nothing changed"
    cp "$root/record-3.69" "$root/registry.reg"
fi
launch "$1"
wait_for 30 on_screen language || fail "no language screen"
# Down to Spanish and back up to English, then Space presses it.
keys_until version Down Up space
# The focus is on Next: round the three buttons with Tab, then Enter.
keys_until progress Tab Tab Tab Return
wait_for 60 on_screen "quick start" || fail "the update did not reach the quick-start question"
keys_until completed Return
return_ends Finish
"$(dirname "$1")/tactico-demo" check --root "$root" --language 0 --quick-start deleted ||
    fail "the keyboard run did not update the sample"
if [[ $patch == --patch ]]; then
    grep -q "Using update.patch: it was made for version 3.69" "$root/run.log" ||
        fail "the log does not say update.patch was used"
fi
echo "the update ran to its end by keyboard alone"
