#!/usr/bin/env bash
# The checks of the code's form that need no build: every C++ source is laid out as clang-format
# lays it out (.clang-format), and every fault of scripts/mutants.txt still applies exactly once,
# so that a layout change cannot quietly take a fault out of the mutation check. Exits non-zero
# naming what is wrong; `clang-format -i FILE` mends the layout.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! complaints="$(clang-format --dry-run --Werror "${sources[@]}" 2>&1)"; then
  grep -o '^[^:]*:[0-9]*:[0-9]*: ' <<<"$complaints" | cut -d: -f1 | sort -u |
    sed 's/^/not laid out by clang-format: /'
  exit 1
fi
python3 scripts/mutant_text.py check . scripts/mutants.txt
