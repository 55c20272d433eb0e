#!/usr/bin/env bash
# The all-or-nothing update of the Windows program under Wine:
#   tests/wine/all_or_nothing.sh <native build dir> <windows build dir>
# The Windows side of it: a data file held open by the running game, a record
# that may be read but not changed (which counts as no installation), and a
# package whose digest (computed by Windows' own SHA-256) does not match must each
# leave every installation file and the record as they were, with nothing of the
# update's left beside them; the held file, once let go, must update in a new run.
# The runs are unattended (/silent): their exit code tells the screen they ended
# on. Uses the Wine prefix and X display it is given (run.sh's), else its own.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 2 ]] || usage "<native build dir> <windows build dir>"
builds "$@"
holder=$win/tactico-hold-open.exe access=$win/tactico-record-access.exe
need "$holder" "$access"
key='Software\Brackwater Ltd\Tactico'
holder_pid="" locked=""
on_exit() {
    [[ -n $holder_pid ]] && kill "$holder_pid" 2>/dev/null
    [[ -n $locked ]] && wine "$access" writable "$key"
}

# A name past ASCII: the undo's paths go through the ANSI code page too.
work_folder tactico-all-or-nothing-Malmö

# hold <file>: opened as the running game opens it, until let_go.
hold() {
    wine "$holder" "$(winepath -w "$1")" "$(winepath -w "$root/release")" >"$root/holder" 2>&1 &
    holder_pid=$!
    wait_for 30 grep -q holding "$root/holder" || { cat "$root/holder" >&2; fail "$1 not held"; }
}
let_go() {
    touch "$root/release"
    wait "$holder_pid" || fail "the holder ended with $?"
    holder_pid=""
}

# silent <expected exit code> <arguments...>: an unattended run in English.
silent() { exits "$1" /silent /lang=eng "${@:2}"; }

# Wine keeps Windows' read-only attribute as the Unix write bits; the execute bits
# it sets from the name alone (a renamed .exe gains them), so they are left out.
listing() { (cd "$1" && find . -printf '%P %y %s\n' -type f ! -perm -u=w -printf '%P read-only\n' | sort); }

# Every file byte for byte as before, read-only where it was, nothing added, and the
# record still naming the old version.
untouched() {
    diff -r "$root/before" "$root/installation" >&2 || fail "$1: the installation changed"
    diff <(listing "$root/before") <(listing "$root/installation") >&2 ||
        fail "$1: files added or removed, or read-only no longer"
    recorded "$installed" || fail "$1: the record changed"
}

[[ -n ${DISPLAY:-} ]] || start_xvfb 90 1024x768
wine_prefix given

echo "== a data file held open by the game"
sample held
hold "$root/installation/data/club.dat"
silent 3
logged "Undid the update"
# club.dat is the 15th entry: the 14 before it were in place and had to go back.
[[ $(grep -c "Replaced" "$log") -eq 14 ]] || { cat "$log" >&2; fail "not 14 files replaced first"; }
failure=$(grep -aF "Cannot move" "$log" | head -1)
[[ $failure == *'\data\club.dat to '* ]] || { cat "$log" >&2; fail "the log does not name club.dat"; }
untouched "club.dat held open"
echo "ok: exit code 3, 14 files put back, all 47 and the record as before; ${failure:20}"

let_go
silent 0 /deletequickstart
"$fixture" check "$root" || fail "club.dat let go: not updated"
recorded "$expected" || fail "club.dat let go: \"$expected\" was not recorded"
[[ -z $(find "$root/installation" -name '*-update' -o -name '*.journal') ]] || fail "left beside the installation"
grep -qF "Replaced" "$root/output" || fail "no progress on standard output"
echo "ok: let go, the next run updates: \"$expected\" recorded, nothing left beside, progress on standard output"

echo "== a record that cannot be written"
sample record
wine "$access" read-only "$key" || fail "the record could not be made read-only"
locked=1
silent 1
logged "No installation record"
! grep -qF "Staged" "$log" || { cat "$log" >&2; fail "files staged for a record it cannot change"; }
untouched "a read-only record"
wine "$access" writable "$key" || fail "the record could not be made writable again"
locked=""
echo "ok: exit code 1, not found before anything was written, the record as it was"

echo "== a package that is not the one its digest names"
sample corrupt
change_byte "$update/update.dat" $(($(stat -c %s "$update/update.dat") - 1))
silent 2
logged "update.dat.sha256 lists"
untouched "update.dat unlike its digest"
echo "ok: its last byte changed: exit code 2, refused at the commit, nothing changed"

echo "PASS"
