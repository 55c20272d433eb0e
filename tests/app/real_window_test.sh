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

root=$work/sample
patch=${3:-}
"$(dirname "$1")/tactico-demo" prepare --root "$root" --bin "$2" $patch >/dev/null ||
    fail "tactico-demo prepare"
launch() {
    rm -f "$root/run.log"
    (cd "$root/update" && TACTICO_REGISTRY="$root/registry.reg" exec "$1" "/log=$root/run.log") &
    program_pid=$!
    wait_for 30 find_window || fail "no window titled \"Tactico Update\""
    wait_for 30 reached language || fail "no language screen"
}
# reached <screen>: the log names that screen; "the end": the program has ended.
reached() { if [[ $1 == "the end" ]]; then gone; else grep -q "Screen: $1\$" "$root/run.log"; fi; }
# Keys before a screen is built are discarded with the other input latched before
# that paint, so each step is repeated until it lands.
keys_until() {
    local screen=$1 attempt
    shift
    for attempt in $(seq 10); do
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        xdotool key --delay 100 "$@" 2>/dev/null || true
        if wait_for 2 reached "$screen"; then return; fi
    done
    fail "the keys $* did not lead to $screen"
}
if [[ $patch == --patch ]]; then
    cp -a "$root/installation" "$root/before"
    sed -i.3.69 's/^"Version"=.*/"Version"="Version 3.68 (ENG)"/' "$root/registry.reg"
    cp "$root/registry.reg" "$root/record-3.68"
    launch "$1"
    keys_until version space
    keys_until "incompatible update" Return
    # Exit has the focus; Back is greyed. A window's run ends with exit code 0
    # whatever it showed; the log says why.
    keys_until "the end" Return
    ended Exit
    grep -q "update.patch does not fit this installation" "$root/run.log" ||
        fail "the log does not say why the patch does not fit"
    diff -r "$root/before" "$root/installation" >/dev/null || fail "the installation changed"
    cmp -s "$root/record-3.68" "$root/registry.reg" || fail "the record changed"
    echo "a patch for another version: the incompatible screen, nothing changed"
    cp "$root/registry.reg.3.69" "$root/registry.reg"
fi
launch "$1"
# Down to Spanish and back up to English, then Space presses it.
keys_until version Down Up space
# The focus is on Next: round the three buttons with Tab, then Enter.
keys_until progress Tab Tab Tab Return
wait_for 60 reached "quick start" || fail "the update did not reach the quick-start question"
keys_until completed Return
keys_until "the end" Return
ended Finish
"$(dirname "$1")/tactico-demo" check --root "$root" --language 0 --quick-start deleted ||
    fail "the keyboard run did not update the sample"
[[ $patch != --patch ]] || grep -q "Using update.patch: it was made for version 3.69" "$root/run.log" ||
    fail "the log does not say update.patch was used"
echo "the update ran to its end by keyboard alone"
