#!/usr/bin/env bash
# Shows that the scores do not depend on where the linker puts the kernels. Links quorvane-cli four
# times with 0, 1040, 2080 and 3120 bytes of padding code in front of everything else: each step
# moves the code by a quarter page plus 16 bytes, so unaligned code would land at four different
# offsets within a 64-byte line and the kernels (aligned to lines) land at four different offsets
# within a page. Prints where MemoryKernel::FillBlock landed in each build, then runs every
# processor and memory test with one thread in each build, ROUNDS rounds with the builds in a
# rotating order so that they share the machine's load alike. A fifth column runs the +0 binary
# again as if it were another build: the spread between two runs of one binary is the noise floor
# of this machine at this moment, against which the spread between the placements is read.
#
# Prints per test the best of ROUNDS runs of each build, the spread of those bests over the four
# placements, (max - min) / min, the same spread of the medians, and the +0 binary against itself;
# then one summary line. Target: under 3 % for every test (best of ROUNDS).
#
# Usage: bench/layout.sh [ROUNDS (default 7)]. Installs what it needs (scripts/setup.sh --bench)
# and builds in build-layout/, which it keeps so that a second run only links (ccache is used when
# present); the four programs and their results go to a temporary folder that it removes.
# FIFO=1 runs every program at the real-time priority `chrt -f 1` on one processor (needs root or
# CAP_SYS_NICE), so that other programs' load hardly touches the runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${1:-7}"
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || { echo "ROUNDS must be a positive number" >&2; exit 2; }
"$root/scripts/setup.sh" --bench
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

launch=()
if [[ "${FIFO:-0}" == 1 ]]; then
  launch=(chrt -f 1 taskset -c "$(($(nproc) - 1))")
  "${launch[@]}" true || { echo "FIFO=1: chrt -f needs root or CAP_SYS_NICE" >&2; exit 1; }
fi

# One build folder; only the link changes between the placements.
build="$root/build-layout"
offsets=(0 1040 2080 3120)
for offset in "${offsets[@]}"; do
  # A function of `offset` bytes in the first object linked: everything after it moves.
  {
    printf '.section .note.GNU-stack,"",@progbits\n'
    printf '.text\n.globl quorvane_layout_padding\nquorvane_layout_padding:\n'
    ((offset == 0)) || printf '.skip %d, 0x90\n' "$offset"
  } >"$work/pad$offset.s"
  cc -c "$work/pad$offset.s" -o "$work/pad$offset.o"
  cmake -S "$root" -B "$build" -G Ninja -DQUORVANE_BUILD_GUI=OFF -DQUORVANE_BUILD_TESTS=OFF \
    -DQUORVANE_BUILD_BENCH=OFF -DQUORVANE_BUILD_PACKAGE=OFF \
    "-DCMAKE_EXE_LINKER_FLAGS=$work/pad$offset.o" >/dev/null
  cmake --build "$build" --target quorvane-cli >/dev/null
  cp "$build/cli/quorvane-cli" "$work/cli$offset"
  address=$((0x$(nm "$work/cli$offset" | awk '/MemoryKernel9FillBlock/ { print $1 }')))
  printf '+%-4d B: MemoryKernel::FillBlock at %#x, offset %d in its 64-byte line, %d in its page\n' \
    "$offset" "$address" $((address % 64)) $((address % 4096))
done
cp "$work/cli0" "$work/cliagain"
slots=("${offsets[@]}" again)

# The kernels' instructions, with addresses left out, and each kernel function's offset within its
# line: the same in every build, or the builds differ in more than placement.
python3 - "$build/kernels/libquorvane_kernels.a" "$work" "${offsets[@]}" <<'PY'
import re, subprocess, sys
library, work, offsets = sys.argv[1], sys.argv[2], sys.argv[3:]
nm = subprocess.run(["nm", "--defined-only", library], capture_output=True, text=True, check=True)
symbols = {f[2] for f in (line.split() for line in nm.stdout.splitlines())
           if len(f) == 3 and f[1] in "TtWw"}
def kernels(program):
    listing, name = {}, None
    dump = subprocess.run(["objdump", "-d", "--no-show-raw-insn", program], capture_output=True,
                          text=True, check=True).stdout
    for line in dump.splitlines():
        head = re.match(r"^([0-9a-f]+) <(.+)>:$", line)
        if head:
            name = head.group(2) if head.group(2) in symbols else None
            if name:
                listing[name] = [f"offset in line {int(head.group(1), 16) % 64}"]
        elif name and "\t" in line:
            text = line.split("\t", 1)[1]
            text = re.sub(r"\b[0-9a-f]+ <", "<", text)            # jump and call targets
            text = re.sub(r"-?0x[0-9a-f]+\(%rip\)", "(%rip)", text)  # data addresses
            listing[name].append(re.sub(r"#.*", "", text))
    return listing
listings = [kernels(f"{work}/cli{offset}") for offset in offsets]
same = all(listing == listings[0] for listing in listings)
# Cold parts split off a function (paths that a run never takes) are not aligned.
aligned = all(lines[0] == "offset in line 0" for name, lines in listings[0].items()
              if not name.endswith(".cold"))
print(f"{len(listings[0])} kernel functions: instructions "
      f"{'the same' if same else 'DIFFERENT'} in the four builds, "
      f"{'every one' if aligned else 'NOT every one'} starting a 64-byte line")
PY

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$rounds"); do
  for i in "${!slots[@]}"; do
    slot="${slots[$(((i + round) % ${#slots[@]}))]}"
    # Its warnings about the machine's load are left out; the load average is printed below.
    "${launch[@]}" "$work/cli$slot" -q --quick --json -j 1 --no-realtime --no-detect \
      >"$work/run$slot.$round.json" 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
  done
done
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$work" "$rounds" "$load_before" "$load_after" "${FIFO:-0}" "${slots[@]}" <<'PY'
import json, statistics, sys
work, rounds, before, after, fifo, slots = (sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4],
                                            sys.argv[5], sys.argv[6:])
placements = slots[:-1]
samples, names = {}, {}  # code -> slot -> values
for slot in slots:
    for r in range(1, rounds + 1):
        for row in json.load(open(f"{work}/run{slot}.{r}.json"))["results"]:
            names[row["code"]] = row["test"]
            samples.setdefault(row["code"], {}).setdefault(slot, []).append(row["value"])

def spread(values):
    low, high = min(values), max(values)
    return (high - low) / low * 100 if low else float("inf")

mode = "real-time priority, one processor" if fifo == "1" else "normal priority"
print(f"best of {rounds} runs per build, one thread ({mode}):")
print(f"{'test':<22}" + "".join(f"{'+' + o + ' B':>11}" for o in placements) +
      f"{'spread':>8}{'median':>8}{'+0 again':>10}")
worst = worst_median = worst_same = 0.0
for code, by_slot in samples.items():
    best = {slot: max(values) for slot, values in by_slot.items()}
    placed = spread([best[o] for o in placements])
    median = spread([statistics.median(by_slot[o]) for o in placements])
    same = spread([best[slots[0]], best["again"]])
    worst, worst_median, worst_same = max(worst, placed), max(worst_median, median), max(worst_same, same)
    print(f"{names[code]:<22}" + "".join(f"{best[o]:>11}" for o in placements) +
          f"{placed:>7.1f}%{median:>7.1f}%{same:>9.1f}%")
print(f"largest spread over the four placements: {worst:.1f}% of the best of {rounds}, "
      f"{worst_median:.1f}% of the medians (target under 3%); "
      f"the same binary against itself: up to {worst_same:.1f}%")
print(f"load average before {before}, after {after}")
PY
