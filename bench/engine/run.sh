#!/usr/bin/env bash
# Pack and extract-all against tar and cp on the same files, each followed by sync;
# the whole update (package check, staging, commit, record) with a digest file
# against sha256sum -c and cp, without one against cp.
# Usage: bench/engine/run.sh [MiB]   (default 512)
# Env: BUILD_DIR (default build), BENCH_WORK (a scratch folder on the filesystem to
# measure; default <BUILD_DIR>/bench-engine-work), RUNS (best of, default 3).
set -euo pipefail
cd "$(dirname "$0")/../.."
mib=${1:-512}
build=${BUILD_DIR:-build}
runs=${RUNS:-3}
driver=$build/bin/engine_bench
[ -x "$driver" ] || { echo "build $driver first (cmake --build --preset default)" >&2; exit 1; }
work=$(realpath -m "${BENCH_WORK:-$build/bench-engine-work}")
driver=$(realpath "$driver")
rm -rf "$work"
mkdir -p "$work/src"
trap 'rm -rf "$work"' EXIT

"$driver" make "$work/src" "$mib"
names=()
for f in "$work"/src/*; do names+=("$(basename "$f")"); done
echo "readme" >"$work/src/readme_eng.txt"
export TACTICO_REGISTRY=$work/registry.reg
sync

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }
best() { printf '%s\n' "$@" | sort -g | head -n1; }

pack_times=() tarc_times=() extract_times=() tarx_times=() cp_times=()
update_times=() plain_update_times=() update_cp_times=() update_tools_times=()
pack_rss=0 extract_rss=0 update_rss=0 plain_update_rss=0
for ((run = 0; run < runs; run++)); do
    rm -rf "$work/src/update.dat" "$work/src.tar" "$work/install" "$work/tarout" "$work/cpout"; sync

    t0=$(now); read -r _ rss < <("$driver" pack "$work/src"); sync; t1=$(now)
    pack_times+=("$(elapsed "$t0" "$t1")"); pack_rss=$rss

    t0=$(now); tar -cf "$work/src.tar" -C "$work/src" "${names[@]}"; sync; t1=$(now)
    tarc_times+=("$(elapsed "$t0" "$t1")")

    t0=$(now); read -r _ rss < <("$driver" extract "$work/src" "$work/install"); sync; t1=$(now)
    extract_times+=("$(elapsed "$t0" "$t1")"); extract_rss=$rss

    mkdir -p "$work/tarout"
    t0=$(now); tar -xf "$work/src.tar" -C "$work/tarout"; sync; t1=$(now)
    tarx_times+=("$(elapsed "$t0" "$t1")")

    mkdir -p "$work/cpout"
    t0=$(now); (cd "$work/src" && cp "${names[@]}" "$work/cpout/"); sync; t1=$(now)
    cp_times+=("$(elapsed "$t0" "$t1")")

    # The update checks the package's digest file where there is one (as -pack
    # writes it), so it is timed with and without; each beside a cp made under the
    # same conditions (the same files removed just before), to compare like with like.
    for digest in with without; do
        rm -rf "$work/update-$digest" "$work/cpout"
        "$driver" old "$work/update-$digest"
        mkdir -p "$work/cpout"
        [ $digest = with ] || mv "$work/src/update.dat.sha256" "$work/digest.keep"
        sync
        # The standard tools' way to the same result: with a digest file, check it and
        # copy; without, copy.
        if [ $digest = with ]; then
            t0=$(now); (cd "$work/src" && sha256sum --quiet -c update.dat.sha256 && cp "${names[@]}" "$work/cpout/"); sync; t1=$(now)
            update_tools_times+=("$(elapsed "$t0" "$t1")")
        else
            t0=$(now); (cd "$work/src" && cp "${names[@]}" "$work/cpout/"); sync; t1=$(now)
            update_cp_times+=("$(elapsed "$t0" "$t1")")
        fi
        t0=$(now); read -r _ rss < <("$driver" update "$work/src" "$work/update-$digest"); sync; t1=$(now)
        [ $digest = with ] || mv "$work/digest.keep" "$work/src/update.dat.sha256"
        if [ $digest = with ]; then
            update_times+=("$(elapsed "$t0" "$t1")"); update_rss=$rss
        else
            plain_update_times+=("$(elapsed "$t0" "$t1")"); plain_update_rss=$rss
        fi
        echo "readme" >"$work/src/readme_eng.txt" # the update moved it into the installation
    done
    rm -rf "$work/update-with" "$work/update-without"
done

for f in "${names[@]}"; do
    cmp -s "$work/src/$f" "$work/cpout/$f" || { echo "cp copy of $f differs" >&2; exit 1; }
done
[ "$(find "$work/install" -type f | wc -l)" -eq 46 ] || { echo "extract-all incomplete" >&2; exit 1; }

pack=$(best "${pack_times[@]}") tarc=$(best "${tarc_times[@]}")
extract=$(best "${extract_times[@]}") tarx=$(best "${tarx_times[@]}") cpt=$(best "${cp_times[@]}")
update=$(best "${update_times[@]}") plain_update=$(best "${plain_update_times[@]}")
update_cp=$(best "${update_cp_times[@]}") update_tools=$(best "${update_tools_times[@]}")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
echo "engine benchmark: 46 files, $mib MiB (one of $((mib / 2)) MiB), best of $runs, in $work"
printf 'pack          %8.3f s   tar -cf %8.3f s   ratio %s\n' "$pack" "$tarc" "$(ratio "$pack" "$tarc")"
printf 'extract-all   %8.3f s   tar -xf %8.3f s   ratio %s\n' "$extract" "$tarx" "$(ratio "$extract" "$tarx")"
printf 'extract-all   %8.3f s   cp      %8.3f s   ratio %s\n' "$extract" "$cpt" "$(ratio "$extract" "$cpt")"
printf 'update        %8.3f s   sha256sum -c + cp %8.3f s   ratio %s   (checks update.dat.sha256 as it reads)\n' "$update" "$update_tools" "$(ratio "$update" "$update_tools")"
printf 'update        %8.3f s   cp      %8.3f s   ratio %s   (no digest file)\n' "$plain_update" "$update_cp" "$(ratio "$plain_update" "$update_cp")"
echo "peak RSS: update $((update_rss / 1024)) MiB ($update_rss KiB) with the digest file, $((plain_update_rss / 1024)) MiB ($plain_update_rss KiB) without"
echo "peak RSS: pack $((pack_rss / 1024)) MiB ($pack_rss KiB), extract-all $((extract_rss / 1024)) MiB ($extract_rss KiB)"
