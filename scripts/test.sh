#!/usr/bin/env bash
# Builds and runs every test: the plain build (with the Xvfb real-window runs), the
# sanitizer build, the fuzzers for a bounded time, the Windows program under Wine,
# and a short run of each benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
scripts/setup.sh tests

# The GoogleTest suites' scratch folders on a RAM disk where the machine has one:
# they kill, fail and rerun hundreds of commits, each of which flushes to the disk,
# and a flush proves nothing against a kill. Sticky and open to all, as /tmp is,
# for the tests that act as an ordinary account. (Not for Wine: it shows a mount
# point in the installation's path as the junction the program refuses.)
scratch="" template="" fuzz_pid=""
remove_scratch() {
    [[ -z $fuzz_pid ]] || kill "$fuzz_pid" 2>/dev/null || true
    rm -rf ${scratch:+"$scratch"} ${template:+"$template"}
}
trap remove_scratch EXIT
scratch_env=()
if [[ -z ${TMPDIR:-} && $(stat -f -c %T /dev/shm 2>/dev/null) == tmpfs && -w /dev/shm ]]; then
    scratch=$(mktemp -d /dev/shm/tactico-tests.XXXXXX)
    chmod 1777 "$scratch"
    scratch_env=(TMPDIR="$scratch")
fi

echo "== plain build [at ${SECONDS} s]"
cmake --preset default -DTACTICO_TESTS=ON -DTACTICO_BENCH=ON
cmake --build --preset default -j"$jobs"
env "${scratch_env[@]}" ctest --preset default -j"$jobs"
tests/release/sign_package.sh

echo "== AddressSanitizer + UndefinedBehaviorSanitizer [at ${SECONDS} s]"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
env "${scratch_env[@]}" ctest --preset asan -j"$jobs"

echo "== fuzzers: the harnesses [at ${SECONDS} s]"
scripts/fuzz.sh --build

echo "== Windows programs (64-bit, 32-bit): resources, under Wine, at 200 and 300 per cent, signing, publisher keys [at ${SECONDS} s]"
# Some kernels run no 32-bit programs: there the 32-bit program is built and its
# resources read back, and Wine runs only the 64-bit one, with its 64-bit loader.
. tests/lib.sh
if wine_runs_32bit; then
    wine_presets=(windows windows32)
else
    wine_presets=(windows)
    echo "note: this kernel runs no 32-bit programs, so the 32-bit program's Wine runs" \
        "(tests/wine/run.sh and high_dpi.sh on build-windows32) are skipped"
fi
for preset in windows windows32; do
    cmake --preset "$preset" -DTACTICO_FONT_DIR="$PWD/build/bin"
    cmake --build --preset "$preset" -j"$jobs"
    tests/release/resources.sh "build-$preset/bin/tactico-update.exe"
done
# The programs and archives again from a copy of the tree in another folder: the
# same bytes, and a signed zip that differs only by its program's signature.
tests/release/reproducible.sh --reuse
# One Wine prefix made here; every run copies it.
template=$(mktemp -d "${TMPDIR:-/tmp}/tactico-wine-template.XXXXXX")
wine_template "$template"
# Wine mostly waits on its windows and its server: the fuzzers take the other core
# meanwhile, one at a time.
echo "== under Wine, beside the fuzzers (${FUZZ_SECONDS:-20} s each, one at a time) [at ${SECONDS} s]"
scripts/fuzz.sh "${FUZZ_SECONDS:-20}" 1 >build-fuzz/run.log 2>&1 &
fuzz_pid=$!
# The 32-bit program shares its core with the 64-bit one: of the players' cases it
# runs those where Windows' own calls differ by width (names, long paths, access
# lists, the process list); all of them run with TACTICO_PLAYERS_CASES unset.
players32="game-running killed-midway game-unicode lodz update-cyrillic long-game long-update"
for preset in "${wine_presets[@]}"; do
    cases=()
    [[ $preset != windows32 ]] || cases=(TACTICO_PLAYERS_CASES="$players32")
    env "${cases[@]}" tests/wine/run.sh build "build-$preset"
    tests/wine/high_dpi.sh build "build-$preset"
done
tests/wine/high_dpi.sh build build-windows 3
tests/release/signing.sh build-windows
# The 64-bit program linked once more, with a throwaway publisher key.
tests/wine/publisher_keys.sh build build-windows
fuzzed=0
wait "$fuzz_pid" || fuzzed=$?
fuzz_pid=""
grep -A3 '^-- ' build-fuzz/run.log || true
[[ $fuzzed -eq 0 ]] || { cat build-fuzz/run.log; echo "FAIL: a fuzzer found a fault" >&2; exit 1; }

echo "== benchmarks (short) [at ${SECONDS} s]"
RUNS=1 bench/engine/run.sh 32
RUNS=1 bench/engine/patch.sh 2
build/bin/tactico_render_bench --benchmark_min_time=0.05

echo "All test stages passed in ${SECONDS} s."
