#!/usr/bin/env bash
# Unattended runs of the Windows program under Wine, as an administrator starts
# them (no display needed):
#   tests/wine/silent.sh <native build dir> <windows build dir>
# The user-interface language chooses the update's language, its words and the
# folder's name reach the log and standard output as UTF-8, a missing record ends
# the run with exit code 1, and update.patch alone updates a 3.69 installation and
# refuses another version with exit code 7.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
builds "$@"
work_folder tactico-wine-silent
unset DISPLAY WAYLAND_DISPLAY
wine_prefix

make_locale fr_FR
wineserver -k 2>/dev/null || true
sample french
LOCPATH=$work/locale LC_ALL= LC_MESSAGES= LANG=fr_FR.UTF-8 exits 0 --silent
logged "Language: fra"
echo "ok: the user-interface language without /lang"
wineserver -k 2>/dev/null || true

# The installation's folder name, UTF-8 inside the program, must come out as
# UTF-8 like the language's words, once and not twice encoded.
sample español
exits 0 /silent /lang=esp
mark=$(head -c 3 "$log" | od -An -tx1 | tr -d ' ')
[[ $mark == efbbbf ]] || fail "a new log starts with $mark, not the UTF-8 byte-order mark"
iconv -f UTF-8 -t UTF-8 "$log" >/dev/null || fail "the log is not UTF-8"
logged "Screen text: Actualización Tactico | "
logged '\español\installation"'
grep -qF "Actualización Tactico" "$root/output" || fail "standard output lacks the Spanish words"
# Run again (the readme has moved into the installation, so it ends early): the
# log is appended to, with no second mark.
(cd "$update" && wine ./tactico-update.exe /silent /lang=esp "/log=$(winepath -w "$log")" \
    >/dev/null 2>&1) || true
[[ $(grep -c "Tactico Update started" "$log") -eq 2 && $(grep -c $'\xEF\xBB\xBF' "$log") -eq 1 ]] ||
    fail "appending to the log added a byte-order mark, or nothing"
echo "ok: the log (with one byte-order mark) and standard output are UTF-8"

sample missing
wine reg delete "$record" /f /reg:32 >/dev/null
exits 1 /silent
logged "has no \"Version\""
echo "ok: no record: exit code 1"

sample patch --patch
exits 0 /silent /lang=eng /deletequickstart
logged "Using update.patch: it was made for version 3.69"
"$fixture" check "$root" || fail "update.patch alone: not updated"
recorded "$expected" || fail "the record does not name the new version"
echo "ok: update.patch alone: exit code 0, the new files in place"
sample other-version --patch
installed="Version 3.68 (ENG)"
wine reg add "$record" /v Version /d "$installed" /f /reg:32 >/dev/null
exits 7 /silent /lang=eng
logged "Screen: incompatible update"
unchanged "a patch for another version"
echo "ok: a patch for another version: exit code 7, nothing changed"

# Packing a patch runs xdelta3 from the PATH alone: one planted where the packing
# runs (the program's folder, the current one) is not started. Wine's PATH has none.
sample planted-xdelta3
cp "$update/update.dat" "$root/base.dat"
change_byte "$update/club.dat" 100
cp "$win/tactico-hold-open.exe" "$update/xdelta3.exe"
exits 5 -pack /silent "/base=$(winepath -w "$root/base.dat")" /baseversion=3.69
logged "needs xdelta3"
echo "ok: -pack /base: an xdelta3.exe beside the program is not started (exit code 5, the log says why)"
