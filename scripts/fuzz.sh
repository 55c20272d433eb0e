#!/usr/bin/env bash
# Runs every libFuzzer harness for the given number of seconds (default 300) on
# its committed seed corpus, as many at a time as the jobs asked for (default: as
# many as there are cores; each harness is one process on one core):
#   scripts/fuzz.sh [seconds [jobs]]
#   scripts/fuzz.sh --build       builds the harnesses and runs none
set -euo pipefail
cd "$(dirname "$0")/.."
names=()
for source in tests/fuzz/fuzz_*.cpp; do names+=("$(basename "$source" .cpp)"); done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" --target "${names[@]}"
[[ ${1:-} != --build ]] || exit 0
seconds=${1:-300}
jobs=${2:-$(nproc)}
harnesses=("${names[@]/#/build-fuzz/bin/}")
failed=0
# run_one <harness>: its last lines in build-fuzz/<name>.out, its exit code kept.
run_one() {
    local name corpus seeds
    name=$(basename "$1")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=tests/fuzz/seeds/${name#fuzz_}
    "$1" -max_total_time="$seconds" -print_final_stats=1 "$corpus" \
        $([ -d "$seeds" ] && echo "$seeds") >"build-fuzz/$name.out" 2>&1
}
for ((i = 0; i < ${#harnesses[@]}; i += jobs)); do
    pids=() running=()
    for harness in "${harnesses[@]:i:jobs}"; do
        run_one "$harness" &
        pids+=($!) running+=("$(basename "$harness")")
    done
    for j in "${!pids[@]}"; do
        status=0
        wait "${pids[j]}" || status=$?
        echo "-- ${running[j]} for ${seconds}s"
        if [[ $status -ne 0 ]]; then
            tail -n 40 "build-fuzz/${running[j]}.out"
            failed=1
        else
            tail -n 3 "build-fuzz/${running[j]}.out"
        fi
    done
done
exit "$failed"
