#!/usr/bin/env bash
# The Linux program's real window with TACTICO_SCALE=2 on a virtual X display:
#   tests/app/sdl_scale.sh <bin folder>
# A client area of 1280 by 960, each pixel a 2 by 2 block of the headless rendering,
# and clicks at doubled button positions landing.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 1 ]] || usage "<bin folder>"
bin=$(realpath "$1")
fixture=$bin/tactico-display-fixture
scale=2
work_folder tactico-sdl-scale
start_xvfb 171 1920x1200

linux_sample scaled
renderings
(cd "$root/update" && TACTICO_SCALE=$scale TACTICO_PLATFORM= exec "$bin/tactico-update") &
program_pid=$!
wait_for 30 find_window || fail "no window appeared"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[[ $size == "$((640 * scale))x$((480 * scale))" ]] || fail "client area $size"
echo "ok: client area $size"

find_client 30
echo "ok: language screen, each pixel a $scale by $scale block, at $ox,$oy"
clicks_land
echo "ok: clicks at doubled positions pressed English and Next"
