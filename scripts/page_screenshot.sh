#!/usr/bin/env bash
# Makes the README's picture of the web page (docs/web-page.png): a steady run of the seven tests
# and drive C with one thread per processor beside a steady run of one thread, written with
# --html and opened offline in Debian's headless Chromium (apt-get install chromium). Prints the
# page's size. Takes the machine for a few minutes. Usage: scripts/page_screenshot.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" -j 2 --target quorvane-cli
cli="$PWD/$build/cli/quorvane-cli"
picture="$PWD/docs/web-page.png"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"  # the disk test's file goes to the current folder when it lies on drive C
"$cli" -q -j 1 -t all --save one-thread.qv3 >/dev/null
"$cli" -q --compare one-thread.qv3 -t all --drive C --html page.html >/dev/null
echo "page.html: $(stat -c %s page.html) bytes"
HOME="$work" chromium --headless --disable-gpu --no-sandbox --no-first-run --hide-scrollbars \
  --disable-extensions --disable-background-networking --host-resolver-rules="MAP * ~NOTFOUND" \
  --user-data-dir="$work/profile" --window-size=960,3000 --screenshot="$picture" \
  "file://$work/page.html" 2>/dev/null
ls -l "$picture"
