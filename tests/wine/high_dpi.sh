#!/usr/bin/env bash
# The Windows program under Wine on a display at 200 (or 300) per cent:
#   tests/wine/high_dpi.sh <native build dir> <windows build dir> [2|3]
# A client area of twice (three times) 640 by 480, each pixel a block of the
# headless rendering, and clicks at scaled button positions landing.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 2 || $# -eq 3 ]] || usage "<native build dir> <windows build dir> [2|3]"
builds "$1" "$2"
scale=${3:-2}
work_folder tactico-wine-dpi

# Large enough for the scaled window: the scale drops where it does not fit.
start_xvfb 131 "$((960 * scale))x$((600 * scale))"
wine_prefix
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * scale)) /f >/dev/null
# Wine reads the DPI when its server starts.
wineserver -k
wineserver -w

sample
renderings
start program.log
find_client 60
echo "ok: language screen, each pixel a $scale by $scale block, client origin $ox,$oy"

# Whether the X window Wine made holds the frame or the client area alone, equal
# margins left, right and below the picture mean the client area is the picture.
window=$(xdotool search --onlyvisible --name '^Tactico Update$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$((ox - X)) right=$((X + WIDTH - ox - 640 * scale)) bottom=$((Y + HEIGHT - oy - 480 * scale))
[[ $left -eq $right && $left -eq $bottom ]] ||
    fail "client area is not $((640 * scale))x$((480 * scale)): borders $left, $right, $bottom"
echo "ok: client area $((640 * scale))x$((480 * scale)) (window ${WIDTH}x${HEIGHT}, border $left)"

clicks_land
echo "ok: clicks at positions times $scale pressed English and Next"
