#!/usr/bin/env bash
# Our disk throughput test on drive C (the filesystem of /) against fio doing the same work in
# the same folder: unbuffered (O_DIRECT), synchronous, 256 KiB blocks, 5 MiB a pass, 20 passes,
# writes then reads. Prints both average rates in KiB/s and our rate as a share of fio's.
# Run it from a folder on the root filesystem: that is where drive C puts its test file.
# Usage: bench/disk_vs_fio.sh [build-dir]        (needs fio: apt-get install fio)
# Not a test: disks are shared and noisy, so nothing here passes or fails on a rate.
set -euo pipefail
build="${1:-build}"
cli="$build/cli/quorvane-cli"
case "$cli" in /*) ;; *) cli="$PWD/$cli" ;; esac
[ -x "$cli" ] || { echo "no $cli: build first (./run or scripts/build.sh)" >&2; exit 1; }
command -v fio >/dev/null || { echo "fio is not installed (apt-get install fio)" >&2; exit 1; }
if [ "$(stat -c %d .)" != "$(stat -c %d /)" ]; then
  echo "warning: $PWD is not on the root filesystem; drive C writes into / instead" >&2
fi

ours=$("$cli" --drive C --json -q --no-realtime)

# fio: 20 loops of 5 MiB in each direction. The write job makes a new file every loop, as every
# pass of ours does; the read job reads one file laid out before its timing starts.
fio_file="quorvane-fio.$$.dat"
trap 'rm -f "$fio_file"' EXIT
common=(--filename="$fio_file" --direct=1 --ioengine=sync --bs=256k --size=5M --loops=20
        --output-format=json)
fio_write=$(fio --name=write --rw=write --unlink_each_loop=1 "${common[@]}")
fio_read=$(fio --name=read --rw=read "${common[@]}")

python3 - "$ours" "$fio_write" "$fio_read" <<'PY'
import json, sys

def rate(rows, test):
    for row in rows:
        if row.get("drive") == "C" and row.get("test") == test:
            return float(row["value"])
    sys.exit(f"quorvane-cli gave no '{test}' for drive C")

def fio_bw(text, direction):
    # fio may print notes before its JSON document.
    document = json.loads(text[text.index("{"):])
    return float(document["jobs"][0][direction]["bw"])  # KiB/s

rows = json.loads(sys.argv[1])["results"]
pairs = [("write", rate(rows, "Write average"), fio_bw(sys.argv[2], "write")),
         ("read", rate(rows, "Read average"), fio_bw(sys.argv[3], "read"))]
print(f"{'direction':<10} {'quorvane KiB/s':>15} {'fio KiB/s':>15} {'ratio':>7}")
for name, mine, theirs in pairs:
    ratio = mine / theirs if theirs else float("nan")
    print(f"{name:<10} {mine:>15.0f} {theirs:>15.0f} {ratio:>7.2f}")
PY
