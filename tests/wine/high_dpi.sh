#!/usr/bin/env bash
# The Windows program under Wine on a display at 200 (or 300) per cent:
#   tests/wine/high_dpi.sh <native build dir> <windows build dir> [2|3]
# The client area must be 1280 by 960 (1920 by 1440), every pixel a 2 by 2 (3 by
# 3) block of the headless rendering of the same screen, and clicks at doubled
# (tripled) button positions must land.
set -euo pipefail
[[ $# -eq 2 || $# -eq 3 ]] || { echo "usage: $0 <native build dir> <windows build dir> [2|3]" >&2; exit 2; }
bin=$(realpath "$1")/bin
exe=$(realpath "$2")/bin/tactico-update.exe
fixture=$bin/tactico-wine-fixture
for needed in "$exe" "$fixture" "$bin/tactico-demo"; do
    [[ -f $needed ]] || { echo "missing $needed" >&2; exit 1; }
done

scale=${3:-2}
work=$(mktemp -d "${TMPDIR:-/tmp}/tactico-wine-dpi.XXXXXX")
update=$work/update
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
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

wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

echo "== Wine at $((96 * scale)) DPI"
# Large enough for the scaled window: the scale drops where it does not fit.
for n in $(seq 131 170); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "$((960 * scale))x$((600 * scale))x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    wait_for 10 xdotool getdisplaygeometry && break
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
done
[[ -n $xvfb_pid ]] || fail "no free X display"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || fail "wineboot"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * scale)) /f >/dev/null
# Wine reads the DPI when its server starts.
wineserver -k
wineserver -w

"$bin/tactico-demo" prepare --root "$work" --bin "$bin" >/dev/null || fail "tactico-demo prepare"
cp "$exe" "$update/"
points=$("$bin/tactico-demo" buttons --root "$work") || fail "button positions"
eval "$points"
"$fixture" screens "$work" || fail "headless renderings"
record='HKLM\Software\Brackwater Ltd\Tactico'
wine reg add "$record" /v Version /d "Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)" /f /reg:32 >/dev/null
wine reg add "$record" /v Location /d "$(winepath -w "$work/installation")" /f /reg:32 >/dev/null

(cd "$update" && exec wine ./tactico-update.exe) &
program_pid=$!

capture() { import -window root -depth 8 "$work/capture.ppm"; }
located() {
    capture && "$fixture" locate "$work/capture.ppm" "$work/language.ppm" "$scale" >"$work/origin"
}
shows() { capture && "$fixture" compare "$work/capture.ppm" "$work/$1.ppm" "$ox" "$oy" "$scale"; }
expect_screen() {
    wait_for 20 shows "$1" || { shows "$1" || true; fail "$1 is not the headless rendering at $scale x"; }
}
press() { xdotool mousemove $((ox + scale * $1)) $((oy + scale * $2)) sleep 0.1 mousedown 1; }
click() { press "$@"; sleep 0.3; xdotool mouseup 1; }

wait_for 60 located || fail "the language screen is not the headless rendering at $scale x"
read -r ox oy <"$work/origin"
echo "ok: language screen, each pixel a $scale by $scale block, client origin $ox,$oy"

# Whether the X window Wine made holds the frame or the client area alone, equal
# margins left, right and below the picture mean the client area is the picture.
window=$(xdotool search --onlyvisible --name '^Tactico Update$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$((ox - X)) right=$((X + WIDTH - ox - 640 * scale)) bottom=$((Y + HEIGHT - oy - 480 * scale))
[[ $left -eq $right && $left -eq $bottom ]] ||
    fail "client area is not $((640 * scale))x$((480 * scale)): borders $left, $right, $bottom"
echo "ok: client area $((640 * scale))x$((480 * scale)) (window ${WIDTH}x${HEIGHT}, border $left)"

click "$LANGUAGE_X" "$LANGUAGE_Y"
expect_screen version
press "$NEXT_X" "$NEXT_Y"
expect_screen next-pressed
echo "ok: clicks at positions times $scale pressed English and Next"
echo "PASS"
