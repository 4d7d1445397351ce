#!/usr/bin/env bash
# Builds the result file reader's fuzzer with clang and runs it for a bounded time (default 60
# seconds) from the seed corpus; fails on any crash, leak, time-out or sanitizer report.
# Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz
CXX=clang++ CC=clang cmake -S . -B "$build" -G Ninja -DQUORVANE_FUZZ=ON -DQUORVANE_BUILD_GUI=OFF \
  -DQUORVANE_BUILD_TESTS=OFF -DQUORVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target result_file_fuzzer -j "$(nproc)"
# New inputs go to a corpus folder of the build; the seeds in the repository stay as they are.
mkdir -p "$build/corpus" "$build/artifacts"
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$build/tests/fuzz/result_file_fuzzer" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -max_len=20000 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$build/corpus" tests/fuzz/corpus
