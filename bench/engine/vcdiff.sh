#!/usr/bin/env bash
# The patch decoder alone against xdelta3 -d on the same deltas: 30 tables of
# records (3-10 % changed, 1 % appended), one delta per table made with the
# packer's options, every table decoded by each, best of RUNS.
# Usage: bench/engine/vcdiff.sh [MiB]   (default 32)
set -euo pipefail
cd "$(dirname "$0")/../.."
mib=${1:-32}
build=${BUILD_DIR:-build}
runs=${RUNS:-3}
driver=$(realpath "$build/bin/engine_bench")
command -v xdelta3 >/dev/null || { echo "xdelta3 is needed (scripts/setup.sh tests)" >&2; exit 1; }
work=$(realpath -m "${BENCH_WORK:-$build/bench-vcdiff-work}")
rm -rf "$work"
mkdir -p "$work/delta" "$work/ours" "$work/theirs"
trap 'rm -rf "$work"' EXIT
"$driver" tables "$work" "$mib"
names=()
for f in "$work"/new/*; do
    name=$(basename "$f")
    names+=("$name")
    xdelta3 -e -9 -S none -A -B "$(stat -c %s "$work/base/$name")" -f -s "$work/base/$name" "$f" "$work/delta/$name"
done

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }
best() { printf '%s\n' "$@" | sort -g | head -n1; }
ours_times=() theirs_times=() rss=0
for ((run = 0; run < runs; run++)); do
    t0=$(now)
    for name in "${names[@]}"; do
        read -r _ kib < <("$driver" decode "$work/base/$name" "$work/delta/$name" "$work/ours/$name")
        ((kib > rss)) && rss=$kib
    done
    t1=$(now); ours_times+=("$(elapsed "$t0" "$t1")")
    t0=$(now)
    for name in "${names[@]}"; do
        xdelta3 -d -f -s "$work/base/$name" "$work/delta/$name" "$work/theirs/$name"
    done
    t1=$(now); theirs_times+=("$(elapsed "$t0" "$t1")")
done
for name in "${names[@]}"; do
    cmp -s "$work/new/$name" "$work/ours/$name" || { echo "decoded $name differs" >&2; exit 1; }
done
ours=$(best "${ours_times[@]}") theirs=$(best "${theirs_times[@]}")
new_bytes=$(cat "$work"/new/* | wc -c) delta_bytes=$(cat "$work"/delta/* | wc -c)
gz_bytes=$(cat "$work"/delta/* | gzip -9 | wc -c)
echo "patch decoder: 30 tables, $new_bytes bytes new, deltas $delta_bytes bytes ($gz_bytes deflated), best of $runs"
printf 'decode   %8.3f s   xdelta3 -d %8.3f s   ratio %s\n' "$ours" "$theirs" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.3f", a / b }')"
echo "peak RSS of the decoder: $((rss / 1024)) MiB ($rss KiB)"
