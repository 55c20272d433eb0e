#!/usr/bin/env bash
# The all-or-nothing update of the Windows program under Wine, unattended:
#   tests/wine/all_or_nothing.sh <native build dir> <windows build dir>
# What only Windows shows: a data file held open by the running game, a read-only
# record (no installation) and a package unlike its digest by Windows' own SHA-256
# change nothing; the held file, once let go, updates in a new run. Uses the Wine
# prefix and X display it is given (run.sh's), else its own.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
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

# silent <expected exit code> <arguments...>: an unattended run in English.
silent() { exits "$1" /silent /lang=eng "${@:2}"; }

[[ -n ${DISPLAY:-} ]] || start_xvfb 90 1024x768
wine_prefix given

sample held
# club.dat opened as the running game opens it, until $root/release appears.
held=$(winepath -w "$root/installation/data/club.dat")
wine "$holder" "$held" "$(winepath -w "$root/release")" >"$root/holder" 2>&1 &
holder_pid=$!
wait_for 30 grep -q holding "$root/holder" || { cat "$root/holder" >&2; fail "club.dat not held"; }
silent 3
logged "Undid the update"
# club.dat is the 15th entry: the 14 before it were in place and had to go back.
[[ $(grep -c "Replaced" "$log") -eq 14 ]] || { cat "$log" >&2; fail "not 14 files replaced first"; }
failure=$(grep -aF "Cannot move" "$log" | head -1)
[[ $failure == *'\data\club.dat to '* ]] || { cat "$log" >&2; fail "the log does not name club.dat"; }
unchanged "club.dat held open"
echo "ok: exit code 3, 14 files put back, all 47 and the record as before; ${failure:20}"

touch "$root/release"
wait "$holder_pid" || fail "the holder ended with $?"
holder_pid=""
silent 0 /deletequickstart
# The check finds any file left beside the installation's own.
"$fixture" check "$root" || fail "club.dat let go: not updated"
recorded "$expected" || fail "club.dat let go: \"$expected\" was not recorded"
echo "ok: let go, the next run updates: \"$expected\" recorded, nothing left beside"

sample record
wine "$access" read-only "$key" || fail "the record could not be made read-only"
locked=1
silent 1
logged "No installation record"
! grep -qF "Staged" "$log" || { cat "$log" >&2; fail "files staged for a record it cannot change"; }
unchanged "a read-only record"
wine "$access" writable "$key" || fail "the record could not be made writable again"
locked=""
echo "ok: exit code 1, not found before anything was written, the record as it was"

sample corrupt
change_byte "$update/update.dat" $(($(stat -c %s "$update/update.dat") - 1))
silent 2
logged "update.dat.sha256 lists"
unchanged "update.dat unlike its digest"
echo "ok: its last byte changed: exit code 2, refused at the commit, nothing changed"

