#!/usr/bin/env bash
# Builds and runs every test: the plain build, the sanitizer build, the fuzzers for
# a bounded time, the real-window tests under Xvfb and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== plain build"
cmake --preset default
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

echo "== fuzzers (bounded)"
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
