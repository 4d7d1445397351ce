#!/usr/bin/env bash
# The memory test's score with one thread against a plain C program making the same writes: a
# 32 MiB buffer allocated inside the timed interval, 10 x LengthFactor passes, each filling blocks
# of 4, 8, 16 and 32 MiB with one volatile single-byte store per index (byte j gets j's low 8 bits),
# scored with the memory test's own formula, (607,680 x LengthFactor) / seconds. The C loop is
# built -O2 with its function and loops aligned to 64 bytes, so that its own placement cannot slow
# it. The two alternate ROUNDS times in the same minutes, each alone on the machine as far as this
# script goes: a program's output goes to a file and is read only after it has ended (a reader
# started beside it, such as a Python interpreter, would compete with it for the processors and
# the memory during its timed interval).
#
# Prints, quotable as is: the best and the median score of each, their ratios (target 0.95 to
# 1.05), the median processor time per run (user + system of the whole process, start-up
# included), and the load average before and after.
#
# Usage: bench/memory_vs_c.sh [BUILD_DIR (default build)] [ROUNDS (default 7)]
#   Builds quorvane-cli in BUILD_DIR first (configuring a CLI-only build there when BUILD_DIR has
#   none), after installing what that needs (scripts/setup.sh --bench). CLI=path measures another
#   quorvane-cli instead. FIFO=1 runs both programs at the real-time priority `chrt -f 1` on the
#   same processor (needs root or CAP_SYS_NICE): other programs' load then hardly touches either.
# The desktop program runs the same kernels library (scripts/check_kernel_layout.py checks both).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
rounds="${2:-7}"
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || { echo "ROUNDS must be a positive number" >&2; exit 2; }

if [[ -z "${CLI:-}" ]]; then
  "$root/scripts/setup.sh" --bench
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
  command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DQUORVANE_BUILD_GUI=OFF -DQUORVANE_BUILD_TESTS=OFF \
      -DQUORVANE_BUILD_BENCH=OFF -DQUORVANE_BUILD_PACKAGE=OFF >/dev/null
  fi
  cmake --build "$build" --target quorvane-cli >/dev/null
fi
cli="${CLI:-$build/cli/quorvane-cli}"
[[ -x "$cli" ]] || { echo "no $cli" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cat >"$work/fill.c" <<'C'
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
int main(void) {
  const int lengthFactor = 2;
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC_RAW, &start);
  unsigned char* buffer = malloc(32u << 20);
  if (!buffer) return 1;
  for (int pass = 0; pass < 10 * lengthFactor; ++pass)
    for (size_t size = 4u << 20; size <= 32u << 20; size *= 2) {
      volatile unsigned char* bytes = buffer;
      for (size_t j = 0; j < size; ++j) bytes[j] = (unsigned char)j;
    }
  free(buffer);
  clock_gettime(CLOCK_MONOTONIC_RAW, &end);
  double seconds = (end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
  printf("%u\n", (unsigned)((607680.0 * lengthFactor) / seconds));
  return 0;
}
C
cc -O2 -falign-functions=64 -falign-loops=64 -falign-jumps=64 "$work/fill.c" -o "$work/fill"

launch=()
if [[ "${FIFO:-0}" == 1 ]]; then
  launch=(chrt -f 1 taskset -c "$(($(nproc) - 1))")
  "${launch[@]}" true || { echo "FIFO=1: chrt -f needs root or CAP_SYS_NICE" >&2; exit 1; }
fi

# One run of a program: its standard output to OUT, its processor time (user system) to TIMES, as
# the last two words after its own warnings, which are shown only when it fails.
measure() {
  local out="$1" times="$2"
  shift 2
  local TIMEFORMAT='%U %S'
  if ! { time "${launch[@]}" "$@" >"$out"; } 2>"$times"; then
    cat "$times" >&2
    exit 1
  fi
}

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$rounds"); do
  measure "$work/cli.$round" "$work/cli-time.$round" "$cli" -q --quick --json -j 1 -t m --no-realtime --no-detect
  measure "$work/c.$round" "$work/c-time.$round" "$work/fill"
done
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$work" "$rounds" "$load_before" "$load_after" "${FIFO:-0}" <<'PY'
import json, statistics, sys
work, rounds, before, after, fifo = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
def seconds(path):
    user, system = open(path).read().split()[-2:]
    return float(user) + float(system)
cli = [json.load(open(f"{work}/cli.{r}"))["results"][0]["value"] for r in range(1, rounds + 1)]
c = [int(open(f"{work}/c.{r}").read()) for r in range(1, rounds + 1)]
cli_cpu = statistics.median(seconds(f"{work}/cli-time.{r}") for r in range(1, rounds + 1))
c_cpu = statistics.median(seconds(f"{work}/c-time.{r}") for r in range(1, rounds + 1))
mode = "real-time priority, one processor" if fifo == "1" else "normal priority"
print(f"memory score with one thread, kB/sec, {rounds} alternating runs each ({mode}):")
print(f"  {'':<14}{'best':>12}{'median':>12}")
print(f"  {'quorvane-cli':<14}{max(cli):>12,}{statistics.median(cli):>12,.0f}")
print(f"  {'plain C loop':<14}{max(c):>12,}{statistics.median(c):>12,.0f}")
print(f"  {'ratio':<14}{max(cli) / max(c):>12.3f}{statistics.median(cli) / statistics.median(c):>12.3f}"
      "   (quorvane-cli / C; target 0.95 to 1.05)")
print(f"  processor time per run, median: quorvane-cli {cli_cpu:.3f} s, C {c_cpu:.3f} s")
print(f"  load average before {before}, after {after}")
PY
