#!/usr/bin/env bash
# Runs every libFuzzer harness for the given number of seconds (default 300) on
# its committed seed corpus, as many at a time as there are cores (each harness
# is one process on one core).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake --preset fuzz
cmake --build --preset fuzz -j"$(nproc)"
harnesses=(build-fuzz/bin/fuzz_*)
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
for ((i = 0; i < ${#harnesses[@]}; i += $(nproc))); do
    pids=() names=()
    for harness in "${harnesses[@]:i:$(nproc)}"; do
        run_one "$harness" &
        pids+=($!) names+=("$(basename "$harness")")
    done
    for j in "${!pids[@]}"; do
        status=0
        wait "${pids[j]}" || status=$?
        echo "-- ${names[j]} for ${seconds}s"
        if [[ $status -ne 0 ]]; then
            tail -n 40 "build-fuzz/${names[j]}.out"
            failed=1
        else
            tail -n 3 "build-fuzz/${names[j]}.out"
        fi
    done
done
exit "$failed"
