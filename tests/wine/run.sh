#!/usr/bin/env bash
# The Windows program under Wine on a virtual X display, on tactico-demo's sample:
#   tests/wine/run.sh <native build dir> <windows build dir>
# Pack mode must pack what the Linux program packs; the update, clicked through,
# must replace every file, record the new version and show the headless renderings.
set -euo pipefail
[[ $# -eq 2 ]] || { echo "usage: $0 <native build dir> <windows build dir>" >&2; exit 2; }
bin=$(realpath "$1")/bin
exe=$(realpath "$2")/bin/tactico-update.exe
fixture=$bin/tactico-wine-fixture
for needed in "$exe" "$fixture" "$bin/tactico-demo"; do
    [[ -f $needed ]] || { echo "missing $needed" >&2; exit 1; }
done

# A folder name outside ASCII: players run the update from folders like
# "C:\Users\José\Downloads", and the program must find its files there.
work=$(mktemp -d "${TMPDIR:-/tmp}/tactico-wine-Košice.XXXXXX")
update=$work/update
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
record='HKLM\Software\Brackwater Ltd\Tactico'
installed="Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"
expected="Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"
xvfb_pid="" program_pid=""

cleanup() {
    local status=$?
    set +e
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    if [[ $status -ne 0 && -n ${KEEP_WINE_WORK:-} ]]; then
        echo "work folder kept: $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_for <seconds> <command...>: polls the command until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# start <log> <arguments...>: the program in the update folder, its calls logged.
start() {
    local log=$work/$1
    shift
    (cd "$update" && WINEDEBUG=+relay exec wine ./tactico-update.exe "$@" 2>"$log") &
    program_pid=$!
}
gone() { ! kill -0 "$program_pid" 2>/dev/null; }
ended() {
    wait_for 30 gone || fail "the program still runs after $1"
    wait "$program_pid" || fail "exit code $? after $1"
    program_pid=""
}

# The program polls the button once a frame: hold it across a few frames.
press() { xdotool mousemove $((ox + $1)) $((oy + $2)) sleep 0.1 mousedown 1; }
click() { press "$@"; sleep 0.3; xdotool mouseup 1; }
capture() { import -window root -depth 8 "$work/capture.ppm"; }
shows() { capture && "$fixture" compare "$work/capture.ppm" "$work/$1.ppm" "$ox" "$oy"; }
expect_screen() { wait_for 20 shows "$1" || { shows "$1" || true; fail "$1 is not the headless rendering"; }; }

echo "== Wine prefix and display"
for n in $(seq 90 130); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    wait_for 10 xdotool getdisplaygeometry && break
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
done
[[ -n $xvfb_pid ]] || fail "no free X display"
mkdir -p "$WINEPREFIX"
wineserver -p 60
wineboot -i >/dev/null 2>&1 || fail "wineboot"
# Message boxes and the shell are checked through the calls the program makes.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.MessageBoxA;shell32.ShellExecuteA' \
    /f >/dev/null
"$(dirname "$0")/readonly.sh" "$2" || fail "the read-only cases"

echo "== pack mode"
"$bin/tactico-demo" prepare --root "$work" --bin "$bin" >/dev/null || fail "tactico-demo prepare"
cp "$exe" "$update/"
mv "$update/update.dat" "$work/linux.dat"
start pack.log -pack
wait_for 60 xdotool search --onlyvisible --name '^Setup$' || fail "no Setup message box"
grep -q 'MessageBoxA(.*"Packed files successfully !".*"Setup"' "$work/pack.log" ||
    fail "the Setup box does not say \"Packed files successfully !\""
# A key sent while the box is still being laid out can go astray: press until it has gone.
box_gone() {
    xdotool search --onlyvisible --name '^Setup$' windowfocus key --window %1 Return 2>/dev/null
    sleep 0.3
    ! xdotool search --onlyvisible --name '^Setup$'
}
wait_for 20 box_gone || fail "the Setup box stays after a key press"
ended "the Setup box"
[[ $(grep -c 'Call user32.MessageBoxA(' "$work/pack.log") -eq 1 ]] || fail "more than one message box"
cmp "$work/linux.dat" "$update/update.dat" || fail "update.dat differs from the Linux build's"
echo "ok: update.dat $(stat -c %s "$update/update.dat") bytes, same as the Linux build"

echo "== the whole update"
points=$("$bin/tactico-demo" buttons --root "$work") || fail "button positions"
eval "$points"
"$fixture" screens "$work" || fail "headless renderings"
# Where the game's 32-bit installer leaves its record on 64-bit Windows.
wine reg add "$record" /v Version /d "$installed" /f /reg:32 >/dev/null
wine reg add "$record" /v Location /d "$(winepath -w "$work/installation")" /f /reg:32 >/dev/null
start update.log
# Finding the language screen on the display also gives the client area's origin.
located() { capture && "$fixture" locate "$work/capture.ppm" "$work/language.ppm" >"$work/origin"; }
wait_for 60 located || fail "the language screen is not the headless rendering"
read -r ox oy <"$work/origin"
echo "ok: language screen at client origin $ox,$oy"
click "$LANGUAGE_X" "$LANGUAGE_Y"
expect_screen version
# Held down, Next alone is redrawn and copied: a rectangle away from the top and
# bottom edges shows whether rows are taken from the right place.
press "$NEXT_X" "$NEXT_Y"
expect_screen next-pressed
xdotool mouseup 1
echo "ok: version screen and Next held down pixel for pixel"
version_written() { wine reg query "$record" /v Version /reg:32 | grep -qF "$expected"; }
wait_for 60 version_written || fail "Version was not written"
# The old quick-start games, one of them read-only, are to be deleted.
click "$YES_X" "$YES_Y"
wait_for 30 "$fixture" check "$work" || { "$fixture" check "$work" || true; fail "not updated"; }
click "$FINISH_X" "$FINISH_Y"
ended Finish
echo "ok: 47 files replaced, quick-start games deleted, \"$expected\" recorded"
# Finish hands the installed readme to the shell. The log shows the program's
# Windows-1252 text with backslashes doubled and bytes past ASCII as \xNN.
readme=$(winepath -w "$work/installation")'\readme.txt'
logged=$(printf '%s' "$readme" | iconv -f UTF-8 -t CP1252 |
    perl -pe 's/\\/\\\\/g; s/([\x80-\xff])/sprintf("\\x%02x", ord $1)/ge')
call=$(grep -aF "Call shell32.ShellExecuteA(00000000," "$work/update.log" || true)
[[ $call == *'"open"'* && $call == *"\"$logged\""* ]] || fail "Finish did not open $readme"
echo "ok: Finish opened $readme through the shell"
"$(dirname "$0")/silent.sh" "$1" "$2" || fail "the unattended runs"
"$(dirname "$0")/all_or_nothing.sh" "$1" "$2" || fail "the all-or-nothing update"
echo "PASS"
