#!/usr/bin/env bash
# Checks the Debian package as a distribution would: builds it (scripts/package.sh BUILD_DIR),
# lints it, validates its desktop entry and AppStream metainfo, installs it with apt-get, runs
# the installed programs from their installed paths, then purges it and checks that none of its
# files is left. Needs root or sudo; never touches a quorvane package that was installed before.
# Usage: scripts/check_package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@"; }

deb="$(scripts/package.sh "${1:-build-package}")"
version="$(dpkg-deb -f "$deb" Version)"
echo "package: $deb"
dpkg-deb -f "$deb" Depends
# The history of runs links SQLite, found by dpkg-shlibdeps.
dpkg-deb -f "$deb" Depends | grep -q 'libsqlite3-0' ||
  { echo "the package does not depend on libsqlite3-0" >&2; exit 1; }

echo "--- lintian"
lintian --pedantic --display-info --fail-on error "$deb"

work="$(mktemp -d)"
installed=0
clean_up() {
  [ "$installed" -eq 0 ] || apt_get purge quorvane >/dev/null || true
  rm -rf "$work"
}
trap clean_up EXIT

echo "--- desktop entry and metainfo"
dpkg-deb -x "$deb" "$work/tree"
desktop-file-validate "$work/tree/usr/share/applications/quorvane.desktop"
for metainfo in "$work"/tree/usr/share/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo"
done

echo "--- install"
# The package's state as dpkg knows it: empty or ending in not-installed when it is absent.
known() { dpkg-query -W -f='${Status}' quorvane 2>/dev/null | grep -qv 'not-installed$'; }
if known; then
  echo "a quorvane package is already installed here; remove it to let this check install its own" >&2
  exit 1
fi
installed=1
apt_get install "$deb" >/dev/null
dpkg-query -L quorvane | sort > "$work/files"

echo "--- the installed programs"
cli=/usr/bin/quorvane-cli
[ "$("$cli" --version)" = "quorvane-cli $version" ]
# The run is recorded in a history of the check's own, which then lists it.
export QUORVANE_HISTORY="$work/history.sqlite3"
(cd "$work" && "$cli" --quick -t q -j 1 -q) | tee "$work/report" | grep -E '^Eight queens problem +[0-9]+ '
"$cli" --history | grep -E '^1  .*  1 thread, quick:  queens [0-9]+$'
man -w quorvane-cli quorvane
bash tests/completion.sh "$cli" /usr/share/bash-completion/completions/quorvane-cli
[ "$(/usr/bin/quorvane --version)" = "quorvane $version" ]
# The desktop program finds its help page in help/ beside its program file, through the link.
program="$(readlink -f /usr/bin/quorvane)"
help_page="$(dirname "$program")/help/Quorvane Ru VAR EZO help.htm"
[ -f "$help_page" ] || { echo "no help page at $help_page" >&2; exit 1; }
# Started without a display it shows its window offscreen and keeps running until stopped.
status=0
(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/quorvane) || status=$?
[ "$status" -eq 124 ] || { echo "the desktop program ended by itself with status $status" >&2; exit 1; }
echo "the desktop program ran offscreen until stopped; help page: $help_page"

echo "--- purge"
apt_get purge quorvane >/dev/null
installed=0
if known; then
  echo "dpkg still knows quorvane after the purge" >&2
  exit 1
fi
left=0
while IFS= read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || continue
  # A folder may stay when another package owns it too.
  if [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; then continue; fi
  echo "left after the purge: $path" >&2
  left=1
done < "$work/files"
[ "$left" -eq 0 ]
echo "package: built, linted, installed, run and purged without a trace"
