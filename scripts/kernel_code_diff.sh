#!/usr/bin/env bash
# Whether a change left the kernels' machine code as it was: builds the kernels library of
# revision BASE (default: main's first parent of HEAD, HEAD~1) and of the working tree, each in a
# scratch folder, and compares the disassembly of every kernel object, instruction bytes
# included. A layout change, a new warning flag or a moved include must print "the same"; any
# other outcome names the objects that differ. Exits 0 when the code is the same, 1 when it
# differs, 2 when a build failed.
#   scripts/kernel_code_diff.sh [BASE]
set -euo pipefail
cd "$(dirname "$0")/.."
base="${1:-HEAD~1}"
git rev-parse --verify -q "$base^{commit}" >/dev/null || { echo "no revision $base" >&2; exit 2; }
work="$(mktemp -d)"
cleanup() {
  git worktree remove --force "$work/base" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
git worktree add -q --detach "$work/base" "$base"
mkdir -p "$work/tree"
git ls-files -co --exclude-standard -z | tar --null -T - -cf - | tar -xf - -C "$work/tree"

disassemble() {  # disassemble SOURCE_DIR OUTPUT_DIR: one listing per kernel object
  local source="$1" build="$1/build-kernels"
  cmake -S "$source" -B "$build" -G Ninja -DQUORVANE_BUILD_BENCH=OFF >"$work/cmake.log" 2>&1 &&
    cmake --build "$build" --target quorvane_kernels >>"$work/cmake.log" 2>&1 ||
    { cat "$work/cmake.log" >&2; echo "the kernels of $source did not build" >&2; exit 2; }
  mkdir -p "$2"
  for object in "$build"/kernels/CMakeFiles/quorvane_kernels.dir/*.o; do
    objdump -d "$object" | tail -n +4 >"$2/$(basename "$object" .o)"
  done
}
disassemble "$work/base" "$work/base.code"
disassemble "$work/tree" "$work/tree.code"
if diff -rq "$work/base.code" "$work/tree.code" >/dev/null; then
  echo "the kernels' machine code is the same as at $base ($(cat "$work"/tree.code/* | grep -c '^ ') instructions)"
  exit 0
fi
echo "the kernels' machine code differs from $base:"
diff -rq "$work/base.code" "$work/tree.code" | sed "s|$work/||g"
exit 1
