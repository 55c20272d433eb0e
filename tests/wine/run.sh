#!/usr/bin/env bash
# The Windows program under Wine on a virtual X display, on tactico-demo's sample:
#   tests/wine/run.sh <native build dir> <windows build dir>
# Pack mode, the update clicked through against the headless renderings, update.patch
# by keyboard (the incompatible screen, then the update), a screen reader's means, a
# code page without the title's letters; then the other scripts.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
builds "$@"

# A folder name outside ASCII: players run the update from folders like
# "C:\Users\José\Downloads", and the program must find its files there.
work_folder tactico-wine-Košice
start_xvfb 90 1024x768
wine_prefix
# Message boxes and the shell are checked through the calls the program makes.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.MessageBoxW;shell32.ShellExecuteW' \
    /f >/dev/null
"$(dirname "$0")/readonly.sh" "$2" || fail "the read-only cases"

sample
mv "$update/update.dat" "$work/linux.dat"
WINEDEBUG=+relay start pack.log -pack
wait_for 60 xdotool search --onlyvisible --name '^Setup$' || fail "no Setup message box"
grep -q 'MessageBoxW(.*L"Packed files successfully !".*L"Setup"' "$work/pack.log" ||
    fail "the Setup box does not say \"Packed files successfully !\""
# A key sent while the box is still being laid out can go astray: press while it stays.
wait_for 20 key_closes '^Setup$' Return || fail "the Setup box stays after a key press"
ended "the Setup box"
[[ $(grep -c 'Call user32.MessageBoxW(' "$work/pack.log") -eq 1 ]] || fail "more than one message box"
cmp "$work/linux.dat" "$update/update.dat" || fail "update.dat differs from the Linux build's"
(cd "$update" && sha256sum --quiet --strict -c update.dat.sha256) || fail "sha256sum -c refuses the digest file"
echo "ok: update.dat $(stat -c %s "$update/update.dat") bytes, same as the Linux build; sha256sum -c accepts its digest"

renderings
WINEDEBUG=+relay start update.log "/log=$(winepath -w "$work/update-run.log")"
# Finding the language screen on the display also gives the client area's origin.
find_client 60
echo "ok: language screen at client origin $ox,$oy"
clicks_land
echo "ok: version screen and Next held down pixel for pixel"
wait_for 60 recorded "$expected" || fail "Version was not written"
# The old quick-start games, one of them read-only, are to be deleted.
click "$YES_X" "$YES_Y"
wait_for 30 "$fixture" check "$work" || { "$fixture" check "$work" || true; fail "not updated"; }
click "$FINISH_X" "$FINISH_Y"
ended Finish
echo "ok: 47 files replaced, quick-start games deleted, \"$expected\" recorded"
# Finish hands the installed readme to the desktop's own shell, never to the
# elevated program's: under Wine, where there is no such shell to ask, it is not
# opened, and the log says why. The log is UTF-8: the folder's name reads right.
readme=$(winepath -w "$work/installation")'\readme.txt'
grep -aF "Call shell32.ShellExecuteW(" "$work/update.log" && fail "the readme was opened elevated"
route=$(grep -aE "(Opening|Not opening) " "$work/update-run.log") ||
    fail "the log does not say how Finish opened $readme"
[[ $route == *"$readme"* ]] || fail "Finish was about another file: $route"
echo "ok: Finish: ${route#* * }"

# update.patch alone, by keyboard: a record of another version is told, on the
# incompatible screen, to get the full update, and nothing changes; the 3.69
# record is updated from the patch. A window's run ends with exit code 0 either way.
sample patch --patch
previous=$installed installed="Version 3.68 (ENG)"
wine reg add "$record" /v Version /d "$installed" /f /reg:32 >/dev/null
log=$root/run.log
start patch.log "/log=$(winepath -w "$log")"
shown_language
keys_until version space
keys_until "incompatible update" Return
keys_until "the end" Return
ended Exit
logged "update.patch does not fit this installation"
unchanged "a patch for another version"
echo "ok: a patch for another version: the incompatible screen, Exit, nothing changed"
installed=$previous
wine reg add "$record" /v Version /d "$installed" /f /reg:32 >/dev/null
rm "$log"
start patch.log "/log=$(winepath -w "$log")"
shown_language
keys_until version space
keys_until progress Return
wait_for 60 reached "quick start" || fail "the patch update did not reach the quick-start question"
keys_until completed Return
keys_until "the end" Return
ended Finish
"$fixture" check "$root" || fail "update.patch alone, by keyboard: not updated"
recorded "$expected" || fail "the record does not name the new version"
logged "Using update.patch: it was made for version 3.69"
echo "ok: update.patch alone, by keyboard: 47 files, \"$expected\" recorded"

# Another process asks the window for its accessible object, reads the language
# screen, presses "Install in English", reads the version screen and closes it.
sample reader
start reader.log
wine "$win/tactico-screen-reader-check.exe" || fail "the screen reader's check"
ended "the screen reader's check"
echo "ok: the language and version screens read through Active Accessibility"

# Russian Windows (code page 1251) has no "ó": the Spanish title must still reach
# the desktop whole.
make_locale ru_RU
# The sample's own path must fit that code page: paths are ANSI text, and
# "Košice" has no "š" there.
cyrillic=$(mktemp -d "${TMPDIR:-/tmp}/tactico-wine-cp1251.XXXXXX")
on_exit() { rm -rf "$cyrillic"; }
work=$cyrillic sample russian
renderings
eval "$("$bin/tactico-demo" buttons --root "$root" --language 1)"
wineserver -k 2>/dev/null || true
LOCPATH=$work/locale LC_ALL= LC_CTYPE= LANG=ru_RU.UTF-8 start russian.log 2>/dev/null
find_client 60
click "$LANGUAGE_X" "$LANGUAGE_Y"
wait_for 20 xdotool search --onlyvisible --name '^Actualización Tactico$' || fail "the title is not \"Actualización Tactico\": $(xdotool search --onlyvisible --name Tactico getwindowname %@)"
wait_for 20 key_closes '^Actualización Tactico$' Escape || fail "Escape did not close the window"
ended Escape
wineserver -k 2>/dev/null || true
echo "ok: \"Actualización Tactico\" under code page 1251"
"$(dirname "$0")/silent.sh" "$1" "$2" || fail "the unattended runs"
"$(dirname "$0")/all_or_nothing.sh" "$1" "$2" || fail "the all-or-nothing update"
"$(dirname "$0")/planted.sh" "$1" "$2" || fail "the planted files"
"$(dirname "$0")/players.sh" "$1" "$2" || fail "the players' cases"
