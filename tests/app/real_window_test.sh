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
log=$root/run.log
launch() {
    rm -f "$log"
    (cd "$root/update" && TACTICO_REGISTRY="$root/registry.reg" exec "$1" "/log=$log") &
    program_pid=$!
    shown_language
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
    logged "update.patch does not fit this installation"
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
[[ $patch != --patch ]] || logged "Using update.patch: it was made for version 3.69"
echo "the update ran to its end by keyboard alone"
