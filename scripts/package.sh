#!/usr/bin/env bash
# Makes the Debian package quorvane_<version>_<arch>.deb with CPack in the build folder given
# (default: build-package, which builds the two programs and nothing of the tests) and prints the
# package's path on stdout.
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-package}"
# A folder configured before keeps its generator and options.
fresh=()
[ -f "$dir/CMakeCache.txt" ] || fresh=(-G Ninja -DQUORVANE_BUILD_TESTS=OFF -DQUORVANE_BUILD_BENCH=OFF)
cmake -S . -B "$dir" "${fresh[@]}" -DQUORVANE_BUILD_PACKAGE=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" >&2
rm -f "$dir"/quorvane_*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$PWD/$dir"/quorvane_*.deb
