#!/usr/bin/env bash
# Configures and builds the project into the folder given (default: build/), with any extra
# CMake arguments after it. QUORVANE_GENERATOR chooses CMake's generator (default Ninja; "Unix
# Makefiles" is CMake's own default, the way a packager builds); a folder configured with
# another generator is configured anew. QUORVANE_BUILD_TARGETS (space-separated) builds only
# those targets.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
generator="${QUORVANE_GENERATOR:-Ninja}"
if [ -f "$dir/CMakeCache.txt" ] && ! grep -qx "CMAKE_GENERATOR:INTERNAL=$generator" "$dir/CMakeCache.txt"; then
  rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
fi
cmake -S . -B "$dir" -G "$generator" "$@" >/dev/null
targets=()
for target in ${QUORVANE_BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
