#!/usr/bin/env bash
# End-to-end run of the Windows program under Wine on a virtual X display:
#   tests/wine/run.sh <native build dir> <windows build dir>
# The native build provides the fonts, the Linux program (reference package) and
# tactico-wine-fixture (files, headless renderings, pixel comparison).
#
# 1. pack mode: "Setup" / "Packed files successfully !", and update.dat byte for
#    byte what the Linux program packs from the same files;
# 2. the whole update driven by mouse clicks: language, Next, Finish; every file
#    replaced and "Version" written to the installation record;
# 3. the language and version screens on the display are the headless renderings.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 <native build dir> <windows build dir>" >&2
    exit 2
fi
native=$(realpath "$1")
windows=$(realpath "$2")
exe=$windows/bin/tactico-update.exe
linux=$native/bin/tactico-update
fixture=$native/bin/tactico-wine-fixture
for needed in "$exe" "$linux" "$fixture"; do
    [[ -x $needed || -f $needed ]] || { echo "missing $needed" >&2; exit 1; }
done
fonts=("$native"/bin/*.fnt)
[[ ${#fonts[@]} -eq 7 ]] || { echo "expected 7 fonts in $native/bin" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tactico-wine.XXXXXX")
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
record='HKLM\Software\Brackwater Ltd\Tactico'
installed_version="Version 3.50 (ENG)"
new_version="Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"
xvfb_pid=""
program_pid=""

cleanup() {
    local status=$?
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    if [[ $status -ne 0 && -n ${KEEP_WINE_WORK:-} ]]; then
        echo "work folder kept: $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# wait_for <seconds> <command...>: polls the command until it succeeds.
wait_for() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

process_gone() { ! kill -0 "$1" 2>/dev/null; }

start_display() {
    local n
    for n in $(seq 90 130); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        if wait_for 10 xdotool getdisplaygeometry; then
            return 0
        fi
        kill "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    done
    fail "no free X display"
}

# The visible top-level window of the program whose title is not "Setup".
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --class tactico-update 2>/dev/null); do
        [[ $(xdotool getwindowname "$id") != Setup ]] && { echo "$id"; return 0; }
    done
    return 1
}

capture() { import -window root -depth 8 "$1"; }

# click <x> <y> at client position, holding the button across a few frames: the
# program polls the button once a frame, so a press and release within one
# frame would not count as a click.
click() {
    xdotool mousemove $((origin_x + $1)) $((origin_y + $2))
    sleep 0.1
    xdotool mousedown 1
    sleep 0.3
    xdotool mouseup 1
}

echo "== Wine prefix and display"
start_display
# One server for the whole run, kept up between the programs started below.
mkdir -p "$WINEPREFIX"
wineserver -p 60
wineboot -i >/dev/null 2>&1 || fail "wineboot"
# Message boxes and the shell are checked through the calls the program makes.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.MessageBoxA;shell32.ShellExecuteA' \
    /f >/dev/null

echo "== pack mode"
pack=$work/pack
mkdir -p "$pack" "$work/unused"
"$fixture" files "$pack" "$work/unused" || fail "fixture files"
# The fonts too, or the window that pack mode opens after its report would fail.
cp "$exe" "${fonts[@]}" "$pack/"
(cd "$pack" && WINEDEBUG=+relay exec wine ./tactico-update.exe -pack 2>"$work/pack.log") &
program_pid=$!
wait_for 60 xdotool search --onlyvisible --name '^Setup$' || fail "no Setup message box"
box=$(xdotool search --onlyvisible --name '^Setup$' | head -1)
grep -q 'MessageBoxA(.*"Packed files successfully !".*"Setup"' "$work/pack.log" ||
    fail "the Setup box does not say \"Packed files successfully !\""
# A key sent while the box is still being laid out can go astray: press until it
# has gone.
box_gone() {
    xdotool windowfocus "$box" 2>/dev/null || true
    xdotool key --window "$box" Return 2>/dev/null || true
    sleep 0.3
    ! xdotool search --onlyvisible --name '^Setup$'
}
wait_for 20 box_gone || fail "the Setup box stays after a key press"
wait_for 30 process_gone "$program_pid" || fail "program still running after the Setup box"
wait "$program_pid" || fail "pack mode exit code $?"
boxes=$(grep -c 'Call user32.MessageBoxA(' "$work/pack.log" || true)
[[ $boxes -eq 1 ]] || fail "pack mode showed $boxes message boxes"
program_pid=""
mv "$pack/update.dat" "$work/update-windows.dat"
(cd "$pack" && TACTICO_PLATFORM=headless "$linux" -pack >/dev/null) || fail "Linux pack mode"
cmp "$work/update-windows.dat" "$pack/update.dat" || fail "update.dat differs from the Linux build's"
echo "ok: update.dat $(stat -c %s "$pack/update.dat") bytes, same as the Linux build"

echo "== the whole update"
update=$work/update
install=$work/install
mkdir -p "$update" "$install"
"$fixture" files "$update" "$install" || fail "fixture files"
cp "$exe" "${fonts[@]}" "$update/"
cp "$pack/update.dat" "$update/"
"$fixture" screens "$native/bin" "$installed_version" "$work" || fail "headless renderings"
read -r _ english_x english_y < <(grep '^english ' "$work/points")
read -r _ next_x next_y < <(grep '^next ' "$work/points")
read -r _ finish_x finish_y < <(grep '^finish ' "$work/points")

# Where the game's 32-bit installer leaves its record on 64-bit Windows.
wine reg add "$record" /v Version /d "$installed_version" /f /reg:32 >/dev/null
wine reg add "$record" /v Location /d "$(winepath -w "$install")" /f /reg:32 >/dev/null

(cd "$update" && WINEDEBUG=+relay exec wine ./tactico-update.exe 2>"$work/update.log") &
program_pid=$!
wait_for 60 main_window || fail "no program window"
window=$(main_window)

# The language screen shows once the first paint has been presented; finding it
# on the display also gives the client area's origin.
locate_language() {
    capture "$work/capture.ppm" && "$fixture" locate "$work/capture.ppm" "$work/language.ppm" \
        >"$work/origin"
}
wait_for 30 locate_language || fail "the language screen is not the headless rendering"
read -r origin_x origin_y <"$work/origin"
echo "ok: language screen pixel for pixel at client origin $origin_x,$origin_y"

click "$english_x" "$english_y"
version_shown() {
    capture "$work/capture.ppm" &&
        "$fixture" compare "$work/capture.ppm" "$work/version.ppm" "$origin_x" "$origin_y"
}
if ! wait_for 20 version_shown; then
    "$fixture" compare "$work/capture.ppm" "$work/version.ppm" "$origin_x" "$origin_y" || true
    fail "the version screen is not the headless rendering"
fi
echo "ok: version screen pixel for pixel"

# Held down, Next alone is redrawn and copied: a rectangle away from the top and
# bottom edges, which shows whether rows are taken from the right place.
xdotool mousemove $((origin_x + next_x)) $((origin_y + next_y))
sleep 0.1
xdotool mousedown 1
pressed_shown() {
    capture "$work/capture.ppm" &&
        "$fixture" compare "$work/capture.ppm" "$work/next-pressed.ppm" "$origin_x" "$origin_y"
}
if ! wait_for 20 pressed_shown; then
    xdotool mouseup 1
    "$fixture" compare "$work/capture.ppm" "$work/next-pressed.ppm" "$origin_x" "$origin_y" || true
    fail "Next held down is not the headless rendering"
fi
echo "ok: Next held down pixel for pixel"
xdotool mouseup 1
updated() { "$fixture" check "$update" "$install" 0; }
wait_for 60 updated || { updated || true; fail "the installation was not updated"; }
version_written() { wine reg query "$record" /v Version /reg:32 | grep -qF "$new_version"; }
wait_for 30 version_written || fail "Version was not written"
# Finish ends the program (and asks the shell to show the readme).
click "$finish_x" "$finish_y"
wait_for 30 process_gone "$program_pid" || fail "program still running after Finish"
wait "$program_pid" || fail "exit code $?"
program_pid=""
echo "ok: 47 files replaced, readme installed, \"$new_version\" recorded"
# Finish hands the installed readme to the shell (the log doubles backslashes).
readme_path=$(winepath -w "$install")'\readme.txt'
shell_call=$(grep -aF "Call shell32.ShellExecuteA(00000000," "$work/update.log" || true)
[[ $shell_call == *'"open"'* && $shell_call == *"\"${readme_path//\\/\\\\}\""* ]] ||
    fail "Finish did not open $readme_path through the shell"
echo "ok: Finish opened $readme_path through the shell"
echo "PASS"
