#!/usr/bin/env bash
# Unattended runs of the Windows program under Wine, as an administrator starts
# them (no display needed):
#   tests/wine/silent.sh <native build dir> <windows build dir>
# Each case checks the exit code, the log and what the installation and its
# record hold afterwards.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 2 ]] || usage "<native build dir> <windows build dir>"
builds "$@"
work_folder tactico-wine-silent
unset DISPLAY WAYLAND_DISPLAY

echo "== Wine prefix"
wine_prefix

echo "== an update"
sample ok
exits 0 /SILENT /Lang=ENG /deletequickstart
"$fixture" check "$root" || fail "not updated"
recorded "$expected" || fail "Version was not recorded"
logged "Installation record: \"Location\" = \"$(winepath -w "$root/installation")\""
logged "Result: updated; exit code 0"
grep -qF "Replaced" "$root/output" || fail "no progress on standard output"
head -3 "$log" | sed 's/^/   /'
echo "ok: exit code 0, 47 files replaced, \"$expected\" recorded, progress on standard output"

echo "== languages"
# Wine takes the user-interface language from the Unix locale, which must exist:
# a French one is made for this run alone.
mkdir -p "$work/locale"
localedef -i fr_FR -f UTF-8 "$work/locale/fr_FR.UTF-8" >/dev/null 2>&1 ||
    [[ -f $work/locale/fr_FR.UTF-8/LC_MESSAGES/SYS_LC_MESSAGES ]] || fail "localedef fr_FR"
french() { LOCPATH=$work/locale LC_ALL= LC_MESSAGES= LANG=fr_FR.UTF-8 "$@"; }
wineserver -k 2>/dev/null || true
# The update moves the readme of the language it chose into the installation.
sample french
cp "$update/readme_fra.txt" "$root/expected.txt"
french exits 0 --silent
cmp -s "$root/installation/readme.txt" "$root/expected.txt" || fail "not the French readme"
logged "Language: fra"
echo "ok: the user-interface language without /lang"
wineserver -k 2>/dev/null || true

echo "== failures"
sample missing
wine reg delete "$record" /f /reg:32 >/dev/null
exits 1 /silent
logged "has no \"Version\""
echo "ok: no record: exit code 1"

sample unwritable
rm -rf "$root/installation/data"
echo "not a folder" >"$root/installation/data"
exits 3 /silent
failure=$(grep -F "Cannot write" "$log" | head -1)
[[ $failure == *euro.cfg* ]] || { cat "$log" >&2; fail "the log does not name euro.cfg"; }
recorded "$installed" || fail "the record changed"
echo "ok: write failure: exit code 3, logged: ${failure:20}"

echo "PASS"
