#!/usr/bin/env bash
# A data update shipped as update.patch, on a data set of this script's making: 46
# sources, 30 of them tables of fixed-size records with 3-10 % of the records
# changed and 1 % appended, the rest small or as they were; the patch serves both
# that release (3.69) and one between (3.80) whose tables have changes of their own.
# Measured in one run:
#   - the update of a 3.69 installation from update.patch (Next to the record
#     written: the checks of the installed files, the staging, the commit; then
#     sync) against the full update of the same installation from update.dat with
#     its digest file (then sync);
#   - the patch decoder alone against xdelta3 -d on the deltas inside the patch;
#   - the peak resident memory of the patch update;
#   - the size of update.patch against update.dat, and against the two patches
#     that serve one release each.
# Usage: bench/engine/patch.sh [MiB]   (default 32: 33.5 MB of tables)
# Env: BUILD_DIR (default build), BENCH_WORK (default <BUILD_DIR>/bench-patch-work),
# RUNS (best of, default 5).
set -euo pipefail
cd "$(dirname "$0")/../.."
mib=${1:-32}
build=${BUILD_DIR:-build}
runs=${RUNS:-5}
driver=$build/bin/engine_bench
decoder=$build/bin/vcdiff_decode
for tool in "$driver" "$decoder"; do
    [ -x "$tool" ] || { echo "build $tool first (cmake --build --preset default)" >&2; exit 1; }
done
command -v xdelta3 >/dev/null || { echo "xdelta3 is needed (scripts/setup.sh tests)" >&2; exit 1; }
work=$(realpath -m "${BENCH_WORK:-$build/bench-patch-work}")
driver=$(realpath "$driver") decoder=$(realpath "$decoder")
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
export TACTICO_REGISTRY=$work/registry.reg
old_version="Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"

# The releases being patched, packed as they were shipped, and the next one packed
# against each alone (for the sizes), then against both: update.dat, update.patch
# and the digest file listing both.
"$driver" data "$work" "$mib"
"$driver" pack "$work/base" >/dev/null
"$driver" pack "$work/mid" >/dev/null
echo "readme" >"$work/new/readme_eng.txt"
"$driver" pack "$work/new" "$work/base/update.dat" 3.69 >/dev/null
single_base=$(stat -c %s "$work/new/update.patch")
"$driver" pack "$work/new" "$work/mid/update.dat" 3.80 >/dev/null
single_mid=$(stat -c %s "$work/new/update.patch")
"$driver" pack "$work/new" "$work/base/update.dat" 3.69 "$work/mid/update.dat" 3.80 >/dev/null
[ -s "$work/new/update.patch" ] || { echo "packing wrote no update.patch" >&2; exit 1; }
# What each kind of player downloads: the full package, or the patch alone.
mkdir -p "$work/full" "$work/patch"
cp "$work/new/update.dat" "$work/new/update.dat.sha256" "$work/full/"
cp "$work/new/update.patch" "$work/new/update.dat.sha256" "$work/patch/"
mkdir -p "$work/delta" "$work/ours" "$work/theirs"
"$driver" deltas "$work/new/update.patch" "$work/delta"
deltas=()
for f in "$work"/delta/*; do deltas+=("$(basename "$f")"); done

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }
best() { printf '%s\n' "$@" | sort -g | head -n1; }
# A 3.69 installation as its installer left it, and its record.
install_base() {
    rm -rf "$1"
    "$driver" extract "$work/base" "$1" >/dev/null
    "$driver" record "$1" "$old_version"
}

full_times=() patch_times=() ours_times=() theirs_times=() inside_times=() patch_rss=0 decode_rss=0
for ((run = 0; run < runs; run++)); do
    # Alternately, so that neither always follows the other's flushing.
    for kind in full patch; do
        install_base "$work/install-$kind"
        echo "readme" >"$work/$kind/readme_eng.txt" # each update moves it into the installation
        sync
        t0=$(now); read -r _ rss < <("$driver" update "$work/$kind" "$work/install-$kind"); sync; t1=$(now)
        if [ $kind = full ]; then
            full_times+=("$(elapsed "$t0" "$t1")")
        else
            patch_times+=("$(elapsed "$t0" "$t1")"); ((rss > patch_rss)) && patch_rss=$rss
        fi
    done

    # One process per delta for each decoder, as xdelta3 -d works; ours also
    # reports its own time inside, without the start of its process.
    t0=$(now)
    for name in "${deltas[@]}"; do
        "$decoder" "$work/base/$name" "$work/delta/$name" "$work/ours/$name"
    done >"$work/inside.txt"
    t1=$(now); ours_times+=("$(elapsed "$t0" "$t1")")
    inside_times+=("$(awk '{ s += $1 } END { printf "%.6f", s }' "$work/inside.txt")")
    kib=$(awk '$2 > m { m = $2 } END { print m + 0 }' "$work/inside.txt")
    ((kib > decode_rss)) && decode_rss=$kib
    t0=$(now)
    for name in "${deltas[@]}"; do
        xdelta3 -d -f -s "$work/base/$name" "$work/delta/$name" "$work/theirs/$name"
    done
    t1=$(now); theirs_times+=("$(elapsed "$t0" "$t1")")
done

# Both updates must have installed the new release, and both decoders the new tables.
for dir in install-full install-patch; do
    while IFS= read -r -d '' f; do
        cmp -s "$f" "$work/new/$(basename "$f")" ||
            { [ "$(basename "$f")" = readme.txt ] || { echo "$dir: $(basename "$f") differs" >&2; exit 1; }; }
    done < <(find "$work/$dir" -type f -print0)
    [ "$(find "$work/$dir" -type f | wc -l)" -eq 47 ] || { echo "$dir incomplete" >&2; exit 1; }
done
for name in "${deltas[@]}"; do
    cmp -s "$work/new/$name" "$work/ours/$name" || { echo "decoded $name differs" >&2; exit 1; }
    cmp -s "$work/new/$name" "$work/theirs/$name" || { echo "xdelta3 -d $name differs" >&2; exit 1; }
done

# What starting the processes alone costs each decoder.
t0=$(now); for name in "${deltas[@]}"; do "$decoder" >/dev/null 2>&1 || true; done; t1=$(now)
ours_start=$(elapsed "$t0" "$t1")
t0=$(now); for name in "${deltas[@]}"; do xdelta3 -V >/dev/null 2>&1 || true; done; t1=$(now)
theirs_start=$(elapsed "$t0" "$t1")

full=$(best "${full_times[@]}") patched=$(best "${patch_times[@]}")
ours=$(best "${ours_times[@]}") inside=$(best "${inside_times[@]}") theirs=$(best "${theirs_times[@]}")
dat_bytes=$(stat -c %s "$work/new/update.dat") patch_bytes=$(stat -c %s "$work/new/update.patch")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
echo "patch benchmark: 46 files, $(ratio "$dat_bytes" 1000000) MB, ${#deltas[@]} deltas, best of $runs, in $work"
printf 'patch update  %8.3f s   full update (digest file) %8.3f s   ratio %s   (target at most 1)\n' \
    "$patched" "$full" "$(ratio "$patched" "$full")"
printf 'decode        %8.3f s   xdelta3 -d %8.3f s   ratio %s   (target at most 1)\n' \
    "$ours" "$theirs" "$(ratio "$ours" "$theirs")"
printf '              (%.3f s decoding inside vcdiff_decode; starting %d processes alone: vcdiff_decode %.3f s, xdelta3 %.3f s)\n' \
    "$inside" "${#deltas[@]}" "$ours_start" "$theirs_start"
printf 'update.patch  %d bytes   update.dat %d bytes   ratio 1/%s   (target at most 1/40)\n' \
    "$patch_bytes" "$dat_bytes" "$(awk -v a="$dat_bytes" -v b="$patch_bytes" 'BEGIN { printf "%.1f", a / b }')"
printf '              for 3.69 and 3.80; the single patches %d (3.69) + %d (3.80) = %d bytes\n' \
    "$single_base" "$single_mid" "$((single_base + single_mid))"
echo "peak RSS: patch update $((patch_rss / 1024)) MiB ($patch_rss KiB; target at most 64 MiB), decoder $((decode_rss / 1024)) MiB ($decode_rss KiB)"
