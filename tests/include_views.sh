#!/usr/bin/env bash
# The layers kept by the build: include_views.sh COMPILER VIEWS_FOLDER. Compiles one-line units
# against the include views of the libraries (cmake/IncludeView.cmake): what a library may
# include is found, a folder above it or another folder's private header is not.
set -uo pipefail
compiler="$1"
views="$(cd "$2" && pwd)" || exit 1
failures=0
# The unit comes from standard input, whose quoted includes are looked for in the working
# folder first: an empty one, so that only the view can answer.
empty="$(mktemp -d)"
trap 'rmdir "$empty"' EXIT
cd "$empty" || exit 1

# compiles TARGET HEADER: 0 when `#include "HEADER"` compiles against TARGET's view.
compiles() {
  echo "#include \"$2\"" | "$compiler" -std=c++20 -fsyntax-only -x c++ -I "$views/$1" - 2>/dev/null
}
expect_found() {
  compiles "$1" "$2" || { echo "$1 cannot include $2, which it may use"; failures=$((failures + 1)); }
}
expect_refused() {
  ! compiles "$1" "$2" || { echo "$1 can include $2, which it may not"; failures=$((failures + 1)); }
}

expect_found quorvane_engine disk/DiskTest.h
expect_found quorvane_engine platform/SaveFile.h
expect_found quorvane_report engine/ResultStore.h
expect_found quorvane_platform platform/FirmwareTables_internal.h  # its own private header
expect_refused quorvane_engine report/ResultFile.h    # a folder above
expect_refused quorvane_kernels engine/TestTable.h    # a folder above
expect_refused quorvane_kernels platform/Event.h      # not below the kernels
expect_refused quorvane_disk engine/TestRunner.h      # a folder above
expect_refused quorvane_engine platform/FirmwareTables_internal.h  # another folder's private header
expect_refused quorvane_disk platform/SignalCleanupProbe_internal.h  # a hook for the tests
expect_refused quorvane_engine kernels/Wrapping_internal.h  # the kernels' own arithmetic
expect_refused quorvane_report cli/CliOptions.h       # a front end
[ "$failures" -eq 0 ]
