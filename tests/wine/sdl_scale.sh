#!/usr/bin/env bash
# The Linux program's real window with TACTICO_SCALE=2 on a virtual X display:
#   tests/wine/sdl_scale.sh <bin folder>
# The client area must be 1280 by 960, every pixel a 2 by 2 block of the headless
# rendering of the same screen, and clicks at doubled button positions must land.
# It shares the Wine run's fixture, which makes and finds those renderings.
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 <bin folder>" >&2; exit 2; }
bin=$(realpath "$1")
fixture=$bin/tactico-wine-fixture
if [[ -z ${TACTICO_INSIDE_XVFB:-} ]]; then
    export TACTICO_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$@"
fi

scale=2
work=$(mktemp -d)
pid=""
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null
    rm -rf "$work"
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

"$bin/tactico-demo" prepare --root "$work" --bin "$bin" >/dev/null || fail "tactico-demo prepare"
eval "$("$bin/tactico-demo" buttons --root "$work")"
"$fixture" screens "$work" || fail "headless renderings"
(cd "$work/update" && TACTICO_SCALE=$scale TACTICO_REGISTRY="$work/registry.reg" \
    TACTICO_PLATFORM= exec "$bin/tactico-update") &
pid=$!

find_window() { window=$(xdotool search --onlyvisible --pid "$pid" | head -n 1) && [[ -n $window ]]; }
wait_for 30 find_window || fail "no window appeared"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[[ $size == "$((640 * scale))x$((480 * scale))" ]] || fail "client area $size"
echo "ok: client area $size"

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

wait_for 30 located || fail "the language screen is not the headless rendering at $scale x"
read -r ox oy <"$work/origin"
echo "ok: language screen, each pixel a $scale by $scale block, at $ox,$oy"
click "$LANGUAGE_X" "$LANGUAGE_Y"
expect_screen version
press "$NEXT_X" "$NEXT_Y"
expect_screen next-pressed
xdotool mouseup 1
echo "ok: clicks at doubled positions pressed English and Next"
