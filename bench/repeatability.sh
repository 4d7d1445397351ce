#!/usr/bin/env bash
# How well the scores repeat: runs `quorvane-cli -q --json --no-realtime --no-detect` RUNS times
# back to back with one thread, then RUNS times with two, and prints per test the spread of the
# scores over the runs, (max - min) / median in percent, for each thread count, with each run's
# wall time and the other programs' load the program saw before it. Beside it, in the same
# minutes, `sysbench cpu` runs three times for 10 seconds with two threads: the spread a
# seconds-long processor test of a peer reaches on this machine now, the floor to read ours
# against.
#
# For steady runs (the default, whose score is a test's best kept round) it also prints what the
# median of each run's kept rounds would have given instead: the choice of statistic is made
# from these columns.
#
# Usage: bench/repeatability.sh [BUILD_DIR (default build)] [extra quorvane-cli options ...]
#   RUNS=5 (default) runs per thread count; bench/repeatability.sh build --quick measures the
#   fixed work once per test, as the program did before steady measurement. KEEP=DIR keeps every
#   run's JSON and standard error there, for a closer look at the rounds.
# Installs sysbench when it is missing (apt-get); needs a built quorvane-cli. Measure on a quiet
# machine: nothing else building or running.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
shift || true
cli="$build/cli/quorvane-cli"
[[ -x "$cli" ]] || { echo "no $cli: build it first (scripts/build.sh $build)" >&2; exit 2; }
runs="${RUNS:-5}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a positive number" >&2; exit 2; }
if ! command -v sysbench >/dev/null; then
  sudo=""
  [[ "$(id -u)" -eq 0 ]] || sudo="sudo"
  $sudo apt-get install -y -qq --no-install-recommends sysbench >/dev/null ||
    { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends sysbench >/dev/null; }
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [[ -n "${KEEP:-}" ]]; then
  mkdir -p "$KEEP"
  trap 'cp -p "$work"/* "$KEEP"/ 2>/dev/null; rm -rf "$work"' EXIT
fi

for threads in 1 2; do
  for run in $(seq "$runs"); do
    start=$(date +%s.%N)
    "$cli" -q --json --no-realtime --no-detect -j "$threads" "$@" >"$work/run.$threads.$run.json" \
      2>"$work/err.$threads.$run" || { cat "$work/err.$threads.$run" >&2; exit 1; }
    echo "$start $(date +%s.%N)" >"$work/time.$threads.$run"
  done
done
for run in 1 2 3; do
  sysbench cpu --threads=2 --time=10 run 2>/dev/null |
    awk '/events per second/ { print $4 }' >"$work/sysbench.$run"
done

python3 - "$work" "$runs" <<'PY'
import json, statistics, sys
work, runs = sys.argv[1], int(sys.argv[2])

def spread(values):
    median = statistics.median(values)
    return (max(values) - min(values)) / median * 100 if median else float("nan")

names, scores, medians, walls, loads, warnings = {}, {}, {}, {}, {}, {}
shares, disturbed = {}, {}
steady = False
for threads in (1, 2):
    for run in range(1, runs + 1):
        data = json.load(open(f"{work}/run.{threads}.{run}.json"))
        start, end = map(float, open(f"{work}/time.{threads}.{run}").read().split())
        walls.setdefault(threads, []).append(end - start)
        loads.setdefault(threads, []).append(data.get("environment", {}).get("otherLoadPercent"))
        warnings.setdefault(threads, []).append(
            sum(1 for line in open(f"{work}/err.{threads}.{run}") if "warning" in line))
        for row in data["results"]:
            names[row["code"]] = row["test"]
            scores.setdefault((row["code"], threads), []).append(row["value"])
            if "steady" in row:
                steady = True
                kept = row["steady"]["samples"] or [r["score"] for r in row["steady"]["rounds"]]
                medians.setdefault((row["code"], threads), []).append(statistics.median(kept))
                for r in row["steady"]["rounds"]:
                    shares.setdefault(threads, []).append(r["processorShare"])
                    disturbed[threads] = disturbed.get(threads, 0) + (1 if r["disturbed"] else 0)

mode = "steady (score = best kept round)" if steady else "quick (fixed work, one interval)"
print(f"{runs} runs per thread count, {mode}; spread = (max - min) / median over the runs")
header = f"{'test':<22}{'-j 1':>9}{'-j 2':>9}"
if steady:
    header += f"{'median -j 1':>13}{'median -j 2':>13}"
print(header)
worst = 0.0
for code, name in names.items():
    line = f"{name:<22}"
    for threads in (1, 2):
        value = spread(scores[(code, threads)])
        if code != "m":
            worst = max(worst, value)
        line += f"{value:>8.1f}%"
    if steady:
        for threads in (1, 2):
            line += f"{spread(medians[(code, threads)]):>12.1f}%"
    print(line)
for threads in (1, 2):
    wall = ", ".join(f"{w:.1f}" for w in walls[threads])
    load = ", ".join(str(l) for l in loads[threads])
    print(f"-j {threads}: wall time per run {wall} s (median {statistics.median(walls[threads]):.1f} s); "
          f"other load before each run {load} %; warning lines {warnings[threads]}")
    if shares.get(threads):
        print(f"      rounds {len(shares[threads])}, disturbed {disturbed[threads]}, workers' processor "
              f"share median {statistics.median(shares[threads]):.3f}, lowest {min(shares[threads]):.3f}")
print(f"largest spread of a processor test: {worst:.1f}% (target at most 5 %, aim 3 %)")
events = [float(open(f"{work}/sysbench.{run}").read() or "nan") for run in (1, 2, 3)]
print(f"sysbench cpu --threads=2, 3 x 10 s in the same minutes: {', '.join(f'{e:.1f}' for e in events)} "
      f"events/s, spread {spread(events):.1f}%")
PY
