#!/usr/bin/env bash
# The windows stage of ./test: cross-builds the engine, quorvane-cli.exe and the test program for
# 64-bit Windows with MinGW-w64 into build-windows/, runs them under Wine without a display, and
# checks that result files move between the Linux and the Windows program byte for byte.
# Installs mingw-w64 and wine when they are missing. Fails with one line when Wine cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(mingw-w64)
command -v wine >/dev/null || missing+=(wine wine64)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
    { echo "windows stage: mingw-w64 or wine could not be installed"; exit 1; }
fi

# A prefix of its own, thrown away afterwards; no display, no Mono or Gecko installer.
work="$(mktemp -d)"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Ends Wine's server, if one runs (it exits by itself when idle; -k then finds none and fails).
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
cleanup() {
  stop_wine
  rm -rf "$work"
}
trap cleanup EXIT
if ! wineboot --init >"$work/wineboot.log" 2>&1 || ! wine cmd /c exit 0 >/dev/null 2>&1; then
  echo "windows stage: Wine cannot run Windows programs here (leave the stage out: QUORVANE_TEST_STAGES without windows)"
  exit 1
fi

cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
cmake --build build-windows -j "$(nproc)" --target quorvane-cli quorvane_tests
cli_exe="$PWD/build-windows/cli/quorvane-cli.exe"

echo "--- tests under Wine"
wine build-windows/tests/quorvane_tests.exe --gtest_brief=1

# Lines that Wine itself writes to stderr (such as volume labels it cannot read) are not the
# program's output.
without_wine_lines() { grep -v '^wine: ' || true; }

echo "--- quorvane-cli.exe --quick -t q -j 2 --no-history under Wine"
wine "$cli_exe" --quick -t q -j 2 --no-realtime --no-history 2>"$work/err" | tee "$work/queens"
grep -q '^Eight queens problem  *[0-9][0-9]* ' "$work/queens" ||
  { echo "windows stage: quorvane-cli.exe printed no Eight queens result"; exit 1; }

echo "--- the history options in a build without SQLite: one line, exit 2"
for option in --history "--load-run 1" "--delete-run 1" "--history-file h.sqlite3"; do
  set +e
  # shellcheck disable=SC2086  # the option and its value are two words
  wine "$cli_exe" $option --quick -t q >"$work/history.out" 2>"$work/history.raw"
  status=$?
  set -e
  without_wine_lines <"$work/history.raw" | tr -d '\r' >"$work/history.err"
  if [ "$status" -ne 2 ] || [ -s "$work/history.out" ] ||
     [ "$(cat "$work/history.err")" != "quorvane-cli: this build of quorvane-cli has no history of runs (it was built without SQLite)" ]; then
    echo "windows stage: $option: status $status, stderr: $(cat "$work/history.err")"
    exit 1
  fi
done
echo "refused in one line"

# The Linux program, from the normal build when there is one.
linux_cli="$PWD/build/cli/quorvane-cli"
if [ ! -x "$linux_cli" ]; then
  QUORVANE_GENERATOR="Unix Makefiles" QUORVANE_BUILD_TARGETS=quorvane-cli scripts/build.sh build
fi

echo "--- a drive that is not a fixed disk: the same message and status on both systems"
# Y: is made a CD-ROM drive of the prefix: a letter that exists but is not a fixed disk.
mkdir -p "$work/cdrom"
ln -s "$work/cdrom" "$WINEPREFIX/dosdevices/y:"
stop_wine  # Wine learns of a new drive letter when it starts again
drives() { wine "$cli_exe" --list-drives 2>/dev/null | tr -d '\r'; }
grep -q '^Y ' <<<"$(drives)" ||
  { echo "windows stage: Wine does not show the new drive Y: as a fixed disk"; exit 1; }
wine reg add 'HKLM\Software\Wine\Drives' /v 'y:' /d cdrom /f >/dev/null 2>&1
stop_wine  # the drive types are read when Wine starts again
if grep -q '^Y ' <<<"$(drives)"; then
  echo "windows stage: the CD-ROM drive Y: is offered for the disk test"
  exit 1
fi
set +e
"$linux_cli" --quick -d Y -t q >"$work/linux.out" 2>"$work/linux.err"
linux_status=$?
wine "$cli_exe" --quick -d Y -t q >"$work/windows.out" 2>"$work/windows.raw"
windows_status=$?
set -e
without_wine_lines <"$work/windows.raw" | tr -d '\r' >"$work/windows.err"
tr -d '\r' <"$work/windows.out" >"$work/windows.txt"
if [ "$linux_status" -ne "$windows_status" ] || ! cmp -s "$work/linux.err" "$work/windows.err" ||
   ! cmp -s "$work/linux.out" "$work/windows.txt"; then
  echo "windows stage: -d Y differs: Linux status $linux_status, Windows status $windows_status"
  diff "$work/linux.err" "$work/windows.err" || true
  exit 1
fi
cat "$work/windows.err"

echo "--- result files between the systems"
fixture="$PWD/tests/fuzz/corpus/seven-tests-drive-c.qv3"
cp "$fixture" "$work/fixture.qv3"
fields=(--set "brand=Acme" --set "cpu=Test CPU 3.0 GHz" --set "ram-size=16 GB" --set "os=Both systems")
(
  cd "$work"
  "$linux_cli" -q --load fixture.qv3 "${fields[@]}" --save linux.qv3 >/dev/null
  wine "$cli_exe" -q --load fixture.qv3 "${fields[@]}" --save windows.qv3 >/dev/null 2>&1
  cmp linux.qv3 windows.qv3
  # Each reads the other's file and saves it again unchanged.
  "$linux_cli" -q --load windows.qv3 --save linux-again.qv3 >/dev/null
  wine "$cli_exe" -q --load linux.qv3 --save windows-again.qv3 >/dev/null 2>&1
  cmp linux.qv3 linux-again.qv3
  cmp windows.qv3 windows-again.qv3
  ls -A | grep -q '^\.qv' && { echo "windows stage: a temporary file was left behind"; exit 1; }
  true
)
echo "result files identical and read by both systems"
