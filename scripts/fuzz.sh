#!/usr/bin/env bash
# Runs every libFuzzer harness for the given number of seconds (default 300) on
# its committed seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake --preset fuzz
cmake --build --preset fuzz -j"$(nproc)"
for harness in build-fuzz/bin/fuzz_*; do
    name=$(basename "$harness")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=tests/fuzz/seeds/${name#fuzz_}
    echo "-- $name for ${seconds}s"
    "$harness" -max_total_time="$seconds" -print_final_stats=1 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) 2>&1 | tail -n 3
done
