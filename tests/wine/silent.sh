#!/usr/bin/env bash
# Unattended runs of the Windows program under Wine, as an administrator starts
# them (no display needed):
#   tests/wine/silent.sh <native build dir> <windows build dir>
# Each case checks the exit code, the log and what the installation and its
# record hold afterwards.
set -euo pipefail
[[ $# -eq 2 ]] || { echo "usage: $0 <native build dir> <windows build dir>" >&2; exit 2; }
bin=$(realpath "$1")/bin
exe=$(realpath "$2")/bin/tactico-update.exe
fixture=$bin/tactico-wine-fixture
for needed in "$exe" "$fixture" "$bin/tactico-demo"; do
    [[ -f $needed ]] || { echo "missing $needed" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tactico-wine-silent.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
record='HKLM\Software\Brackwater Ltd\Tactico'
installed="Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"
expected="Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"

cleanup() {
    local status=$?
    wineserver -k 2>/dev/null || true
    if [[ $status -ne 0 && -n ${KEEP_WINE_WORK:-} ]]; then
        echo "work folder kept: $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# sample <name>: a fresh 3.69 installation and update folder, the record pointing there.
sample() {
    root=$work/$1
    update=$root/update
    "$bin/tactico-demo" prepare --root "$root" --bin "$bin" >/dev/null || fail "tactico-demo prepare"
    cp "$exe" "$update/"
    wine reg add "$record" /v Version /d "$installed" /f /reg:32 >/dev/null
    wine reg add "$record" /v Location /d "$(winepath -w "$root/installation")" /f /reg:32 >/dev/null
}

# silent <expected exit code> <arguments...>: runs in the update folder with a
# log; its standard output lands in $root/output.
silent() {
    local want=$1 got=0
    shift
    log=$root/run.log
    rm -f "$log"
    (cd "$update" && wine ./tactico-update.exe "$@" "/log=$(winepath -w "$log")" \
        >"$root/output" 2>"$root/errors") || got=$?
    [[ $got -eq $want ]] || { cat "$root/output" "$log" >&2 || true; fail "exit code $got, not $want, for $*"; }
}
logged() { grep -qF -- "$1" "$log" || { cat "$log" >&2; fail "the log lacks: $1"; }; }
recorded() { wine reg query "$record" /v Version /reg:32 | grep -qF "$1"; }

echo "== Wine prefix"
mkdir -p "$WINEPREFIX"
wineserver -p 60
wineboot -i >/dev/null 2>&1 || fail "wineboot"

echo "== an update"
sample ok
silent 0 /SILENT /Lang=ENG /deletequickstart
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
# readme <language>: the update moves the chosen readme into the installation.
readme() {
    cp "$update/readme_$1.txt" "$root/expected.txt"
    shift
    "$@"
    cmp -s "$root/installation/readme.txt" "$root/expected.txt" || fail "not the expected readme"
}
sample french
readme fra french silent 0 --silent
logged "Language: fra"
sample italian
readme ita french silent 0 --silent --lang=ita
echo "ok: the user-interface language without /lang, /lang over it"
wineserver -k 2>/dev/null || true

echo "== failures"
sample missing
wine reg delete "$record" /f /reg:32 >/dev/null
silent 1 /silent
logged "has no \"Version\""
echo "ok: no record: exit code 1"

sample cut
truncate -s 100000 "$update/update.dat"
silent 2 /silent
logged "corrupt"
recorded "$installed" || fail "the record changed"
cmp -s "$root/installation/tactico.exe" "$root/update/tactico.exe" && fail "tactico.exe replaced"
echo "ok: cut package: exit code 2, nothing replaced"

sample unwritable
rm -rf "$root/installation/data"
echo "not a folder" >"$root/installation/data"
silent 3 /silent
failure=$(grep -F "Cannot write" "$log" | head -1)
[[ $failure == *euro.cfg* ]] || { cat "$log" >&2; fail "the log does not name euro.cfg"; }
recorded "$installed" || fail "the record changed"
echo "ok: write failure: exit code 3, logged: ${failure:20}"

silent 4 /silent /bogus
grep -qF "Usage:" "$root/output" || fail "no usage on standard output"
[[ ! -e $log ]] || fail "a bad command line wrote a log"
echo "ok: bad option: exit code 4, the usage, no log"

echo "== pack mode"
sample pack
mv "$update/update.dat" "$root/before.dat"
silent 0 -pack /silent
cmp "$root/before.dat" "$update/update.dat" || fail "update.dat differs"
logged "Setup: Packed files successfully !"
# A folder named like the switch is a folder, not a request.
mkdir -p "$root/old-packs"
silent 1 /silent "/dir=$(winepath -w "$root/old-packs")"
grep -qF "Setup:" "$log" && fail "a value asked for pack mode"
rm "$update/club.dat"
silent 5 -pack /silent
logged "Result: packing failed; exit code 5"
echo "ok: -pack /silent exit codes 0 and 5; -pack in a value is no request"
echo "PASS"
