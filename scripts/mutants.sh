#!/usr/bin/env bash
# Mutation check of the test suite: applies each small fault of scripts/mutants.txt, one at a time,
# to a scratch copy of this tree, builds it, runs the normal stage's tests and prints whether the
# tests caught the fault. Exits non-zero when any fault was missed (or could not be applied).
#   scripts/mutants.sh              every fault of the list
#   scripts/mutants.sh NAME...      only the faults whose names begin with one of the NAMEs
# The scratch copy and its one build folder (src/build) stay in $QUORVANE_MUTANTS_DIR (default
# /tmp/quorvane-mutants) between runs, so that each fault rebuilds only what it touches.
# Each fault meets the tests most likely to catch it first (scripts/mutant_first_tests.py: the
# test that caught it in an earlier run, kept in $QUORVANE_MUTANTS_DIR/catchers, and the tests of
# its unit), and the rest of the suite only when those pass: a caught fault costs its build and a
# few tests, a missed one the whole suite.
# While a file $QUORVANE_MUTANTS_DIR/pause exists, the run waits before its next fault (to leave
# the machine quiet for a measurement without stopping a test in the middle).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
work="${QUORVANE_MUTANTS_DIR:-/tmp/quorvane-mutants}"
src="$work/src"
build="$src/build"  # inside the copy, as in a checkout, so that ccache finds what it compiled
list="$root/scripts/mutants.txt"
export CCACHE_BASEDIR="$work"
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
fi

mkdir -p "$src" "$build"
# The tree as it stands (tracked and new files), without build folders; unchanged files keep
# their times, so the build stays incremental.
git ls-files -co --exclude-standard -z | python3 -c '
import os, shutil, sys
root, src = sys.argv[1:3]
names = set(n for n in sys.stdin.read().split("\0") if n)
# Files that left the tree leave the copy too, since the build lists some sources by pattern.
for folder, dirs, files in os.walk(src):
    if os.path.relpath(folder, src) == ".":
        dirs[:] = [d for d in dirs if d != "build"]
    for file in files:
        if os.path.relpath(os.path.join(folder, file), src) not in names:
            os.remove(os.path.join(folder, file))
for name in names:
    if not name or not os.path.isfile(os.path.join(root, name)):
        continue
    source, target = os.path.join(root, name), os.path.join(src, name)
    if os.path.exists(target) and open(source, "rb").read() == open(target, "rb").read():
        continue
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copy2(source, target)
    os.utime(target)
' "$root" "$src"
cmake -S "$src" -B "$build" -G Ninja -DQUORVANE_BUILD_BENCH=OFF >/dev/null

# build_and_test [FIRST]: builds, runs the tests matching the ctest expression FIRST (if given),
# then the others. Returns 2 when the build fails, 1 when a test fails.
build_and_test() {
  local first="${1:-}"
  cmake --build "$build" -j "$(nproc)" >"$work/build.log" 2>&1 || return 2
  # Once more: a form header that uic makes anew during a build is compiled in only by the next.
  cmake --build "$build" -j "$(nproc)" >>"$work/build.log" 2>&1 || return 2
  local run=(ctest --test-dir "$build" --stop-on-failure --timeout 300 -j "$(nproc)")
  if [[ -n "$first" ]]; then
    "${run[@]}" --no-tests=ignore -R "$first" >"$work/test.log" 2>&1 || return 1
    "${run[@]}" --no-tests=ignore -E "$first" >"$work/test.log" 2>&1 || return 1
  else
    "${run[@]}" --no-tests=error >"$work/test.log" 2>&1 || return 1
  fi
  return 0
}

echo "building the unchanged tree ..."
if ! build_and_test; then
  echo "the unchanged tree does not build or pass its tests: see $work/build.log, $work/test.log"
  exit 2
fi

caught=0
missed=0
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  name="${line%% ||| *}"
  if (($# > 0)); then
    wanted=0
    for prefix in "$@"; do [[ "$name" == "$prefix"* ]] && wanted=1; done
    ((wanted)) || continue
  fi
  while [[ -e "$work/pause" ]]; do sleep 5; done
  rest="${line#* ||| }"
  file="${rest%% ||| *}"
  rest="${rest#* ||| }"
  original="${rest%% ||| *}"
  replacement="${rest#* ||| }"
  cp -p "$src/$file" "$work/original"
  if ! python3 "$root/scripts/mutant_text.py" apply "$src/$file" "$original" "$replacement"
  then
    echo "NOT APPLIED $name: the text does not occur exactly once in $file"
    missed=$((missed + 1))
    continue
  fi
  start=$SECONDS
  status=0
  first=$(python3 "$root/scripts/mutant_first_tests.py" "$root" "$name" "$file" "$work/catchers")
  build_and_test "$first" || status=$?
  # The original back with a fresh time, so that the next build compiles it again.
  cp "$work/original" "$src/$file"
  touch "$src/$file"
  case $status in
    1)
      # The first test that failed, as ctest lists it ("  12 - Suite.Name (Failed)").
      by=$(sed -n '/tests FAILED:/{n;s/^[^-]*- //;s/ (.*//;p;q}' "$work/test.log")
      echo "caught      $name by ${by:-a test} ($((SECONDS - start)) s)"
      if [[ -n "$by" ]] && ! grep -qxF "$name $by" "$work/catchers" 2>/dev/null; then
        echo "$name $by" >>"$work/catchers"
      fi
      caught=$((caught + 1)) ;;
    2) echo "NO BUILD    $name: see $work/build.log"; missed=$((missed + 1)); cp "$work/build.log" "$work/$name.build.log" ;;
    *) echo "MISSED      $name"; missed=$((missed + 1)) ;;
  esac
done <"$list"
echo "caught $caught, missed $missed"
((missed == 0))
