#!/usr/bin/env bash
# Takes the README's pictures of the desktop program under Xvfb (the History dialog offscreen)
# into docs/.
# Needs Xvfb (apt-get install xvfb). Usage: scripts/screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target quorvane_screenshots
mkdir -p docs
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  "$build/tests/gui/quorvane_screenshots" docs
# The History dialog over made-up runs, without a display.
QT_QPA_PLATFORM=offscreen "$build/tests/gui/quorvane_screenshots" docs history
ls -l docs/*.png
