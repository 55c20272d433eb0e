#!/usr/bin/env bash
# The Linux program started as a terminal or a script starts it:
#   tests/silent/command_line_test.sh <bin folder>
# Exit codes, usage, the desktop's language, and a terminal without a display.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
bin=$(realpath "$1")
program=$bin/tactico-update
work_folder tactico-cli
unset LC_ALL LC_MESSAGES

# It may run as root: position-independent, relocations read-only and bound at start.
dynamic=$(readelf -d "$program")
[[ $dynamic == *BIND_NOW* && $dynamic == *PIE* ]] && readelf -lW "$program" | grep -q GNU_RELRO ||
    fail "no PIE, full RELRO and immediate binding"
echo "ok: position-independent, full RELRO, immediate binding"

linux_sample help
run 0 /?
grep -q "^Usage: tactico-update" "$root/out" && grep -q "^Publisher signatures: not checked" "$root/out" ||
    fail "/? shows no usage, or not that this build checks no signatures"
cp "$root/registry.reg" "$root/before.reg"
run 4 --silent --lnag=fra "--log=$root/x.log"
grep -q "^Usage:" "$root/out" && grep -q "unknown option --lnag" "$root/err" || fail "no usage"
[[ ! -e $root/x.log ]] && cmp -s "$root/registry.reg" "$root/before.reg" || fail "touched"
run 4 --silent "--log=$root/no/such.log"
grep -q "Unable to open the log" "$root/err" || fail "no word of the log"
cmp -s "$root/registry.reg" "$root/before.reg" || fail "touched"
echo "ok: /? exit code 0; a bad option or log exit code 4, the usage, nothing touched"

# The readme of the chosen language is moved into the installation. (The update's
# result, its log and its output in that language are the GoogleTest suite's.)
linux_sample system-language
cp "$root/update/readme_esp.txt" "$root/expected.txt"
LANG=es_ES.UTF-8 run 0 --silent
cmp -s "$root/installation/readme.txt" "$root/expected.txt" || fail "not the Spanish readme"
echo "ok: LANG chooses the language"

linux_sample pack
mv "$root/update/update.dat" "$root/before.dat"
run 0 -pack --silent
cmp -s "$root/before.dat" "$root/update/update.dat" || fail "packed differently"
grep -q "Setup: Packed files successfully !" "$root/out" || fail "no pack report"
rm "$root/update/club.dat"
run 5 x-packing --silent
grep -q "Result: packing failed; exit code 5" "$root/out" || fail "no failure report"
echo "ok: -pack --silent exit code 0, the same package; a source missing, exit code 5"

# No display: SDL would fall back to an invisible window and wait for ever.
linux_sample no-display
(cd "$root/update" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$program" \
    >"$root/out" 2>"$root/err") || [[ $? -ne 124 ]] || fail "the program waited without a display"
grep -q "Unable to open graphics" "$root/err" && grep -q -- "--silent" "$root/err" ||
    { cat "$root/err" >&2; fail "no message on standard error"; }
grep -q 'Version 3.69' "$root/registry.reg" || fail "the record changed"
echo "ok: without a display it says so on standard error and ends"

# Without a window, each screen is printed as assistive technology gets it.
linux_sample described
(cd "$root/update" && TACTICO_PLATFORM=headless "$program" >"$root/out" 2>&1) || true
grep -qx '  push button "Install in English" focused' "$root/out" ||
    { cat "$root/out" >&2; fail "the language screen was not described"; }
echo "ok: the headless desktop prints the screen's description"

# -list: every entry, set and line, and whether they agree; the folder as it was.
list_case() { # <name> <exit code> <text the listing holds> <change in the update folder> [prepare option]
    linux_sample "list-$1" ${5:-}
    (cd "$root/update" && eval "$4")
    local before
    before=$(cd "$root/update" && find . -printf '%p %s %T@\n' | sort)
    run "$2" -list
    grep -qF -- "$3" "$root/out" || { cat "$root/out" >&2; fail "-list, $1: no \"$3\""; }
    [[ $(cd "$root/update" && find . -printf '%p %s %T@\n' | sort) == "$before" ]] ||
        fail "-list, $1: the update folder changed"
}
list_case sound 0 "Everything listed agrees" true --patch
grep -qE '^    data/euro\.cfg +delta +[0-9]+ +[0-9]+$' "$root/out" &&
    grep -qE '^  update\.patch +matches$' "$root/out" || { cat "$root/out" >&2; fail "no patch table"; }
list_case changed-byte 2 "update.dat has SHA-256" \
    'printf x | dd of=update.dat bs=1 seek=5000 conv=notrunc status=none'
grep -qE '^  data/euro\.cfg +[0-9]+  [0-9a-f]{64}$' "$root/out" || fail "no entry of update.dat"
list_case absent-file 2 "update.dat.sha256 lists readme_fra.txt, which is not here" \
    'rm readme_fra.txt'
echo "ok: -list shows each entry and line; exit code 2 for a changed byte or a file listed and absent"
