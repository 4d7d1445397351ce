#!/usr/bin/env bash
# Scores of every processor and memory test with 2 worker threads against 1 thread, from the
# built quorvane-cli. Usage: bench/scaling.sh [build-dir] [extra quorvane-cli options]
set -euo pipefail
build="${1:-build}"
shift || true
cli="$build/cli/quorvane-cli"
[ -x "$cli" ] || { echo "no $cli: build first (./run or scripts/build.sh)" >&2; exit 1; }

one=$("$cli" -q --json -j 1 "$@")
two=$("$cli" -q --json -j 2 "$@")
python3 - "$one" "$two" <<'PY'
import json, sys
one = {r["code"]: r for r in json.loads(sys.argv[1])["results"]}
two = {r["code"]: r for r in json.loads(sys.argv[2])["results"]}
print(f"{'test':<22} {'unit':<9} {'1 thread':>12} {'2 threads':>12} {'ratio':>7}")
for code, row in one.items():
    other = two.get(code)
    if other is None:
        continue
    ratio = other["value"] / row["value"] if row["value"] else float("nan")
    print(f"{row['test']:<22} {row['unit']:<9} {row['value']:>12} {other['value']:>12} {ratio:>7.2f}")
PY
