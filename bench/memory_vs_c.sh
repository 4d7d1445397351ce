#!/usr/bin/env bash
# The memory test's score with one thread against a plain C program making the same writes: a
# 32 MiB buffer allocated inside the timed interval, 10 x LengthFactor passes, each filling blocks
# of 4, 8, 16 and 32 MiB with one volatile single-byte store per index (byte j gets j's low 8 bits),
# scored with the memory test's own formula, (607,680 x LengthFactor) / seconds. The C loop is
# built -O2 with its function and loops aligned to 64 bytes, so that its own placement cannot slow
# it. The two alternate ROUNDS times in the same minutes; the best of each is compared.
# Usage: bench/memory_vs_c.sh [build-dir (default build)] [ROUNDS (default 5)]. Target ratio
# (quorvane-cli / C): 0.95 to 1.05. Set CLI=path to measure another build of quorvane-cli; the
# desktop program runs the same kernels library (scripts/check_kernel_layout.py checks both).
set -euo pipefail
build="${1:-build}"
rounds="${2:-5}"
cli="${CLI:-$build/cli/quorvane-cli}"
[[ -x "$cli" ]] || { echo "no $cli: build first" >&2; exit 1; }
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
best_cli=0
best_c=0
for _ in $(seq "$rounds"); do
  value="$("$cli" -q --json -j 1 -t m --no-realtime | python3 -c 'import json,sys; print(json.load(sys.stdin)["results"][0]["value"])')"
  ((value > best_cli)) && best_cli=$value
  value="$("$work/fill")"
  ((value > best_c)) && best_c=$value
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 -c "import sys; a, b = int(sys.argv[1]), int(sys.argv[2]); print(f'memory score quorvane-cli {a} kB/sec, plain C {b} kB/sec, ratio {a / b:.3f} (target 0.95 to 1.05)')" "$best_cli" "$best_c"
