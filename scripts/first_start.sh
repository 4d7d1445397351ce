#!/usr/bin/env bash
# Measures a newcomer's first ./run: a fresh clone of this checkout's commit on a Debian 12 machine
# that has none of the build dependencies (a minimal debootstrap chroot), then the next start.
# Prints the apt part (scripts/setup.sh --run: apt-get update and install), the build part
# (configure and build, wall and processor time user+sys), the program's part up to its first
# report and the total; then the next start (`./run --version`), best and median of 5.
# No display reaches the chroot, so the first report is quorvane-cli's report of the seven tests.
# Wall times mean little on a loaded machine: the build's processor time and `uptime` are printed
# beside them.
#
# Needs root (chroot, mounts), debootstrap and network access to deb.debian.org. The bare chroot
# is made once and kept in QUORVANE_FIRST_START_CACHE (default /var/tmp/quorvane-first-start);
# every measurement works on a copy of it, which is removed afterwards. Only committed work is
# measured. With --unsafe-io dpkg skips its syncs, as container and CI images are set up to do.
# Usage: scripts/first_start.sh [--unsafe-io]
set -euo pipefail
cd "$(dirname "$0")/.."
unsafe_io=0
case "${1:-}" in
  "") ;;
  --unsafe-io) unsafe_io=1 ;;
  *) echo "usage: $0 [--unsafe-io]" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (chroot and mounts)" >&2; exit 2; }
command -v debootstrap >/dev/null ||
  { echo "$0: needs debootstrap (apt-get install debootstrap)" >&2; exit 2; }

cache="${QUORVANE_FIRST_START_CACHE:-/var/tmp/quorvane-first-start}"
bare="$cache/bare"
if [ ! -d "$bare" ]; then
  echo "Making the bare Debian 12 chroot once in $bare ..."
  mkdir -p "$cache"
  rm -rf "$bare.tmp"
  debootstrap --variant=minbase bookworm "$bare.tmp" http://deb.debian.org/debian >"$cache/debootstrap.log"
  # The sources of a standard installation; their lists are fetched by the first apt-get update.
  cat >"$bare.tmp/etc/apt/sources.list" <<'EOF'
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
  mv "$bare.tmp" "$bare"
fi

commit="$(git rev-parse HEAD)"
work="$(mktemp -d /var/tmp/quorvane-first-start-run.XXXXXX)"
root="$work/root"
mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
cp -a "$bare" "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
[ "$unsafe_io" -eq 0 ] || echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount -t sysfs -o ro sysfs "$root/sys" && mounted+=("$root/sys")
mount --bind /dev "$root/dev" && mounted+=("$root/dev")
git clone -q --no-local "$PWD" "$root/root/quorvane"
git -C "$root/root/quorvane" checkout -q --detach "$commit"

# Each cmake call of ./run is timed by a stand-in first on PATH: start, wall, user and sys seconds
# of it and everything it waited for (the compilers and linker included).
cat >"$root/usr/local/bin/cmake" <<'EOF'
#!/bin/bash
start=$(date +%s.%N)
TIMEFORMAT="$start %R %U %S"
{ time /usr/bin/cmake "$@" 2>&3 3>&-; } 3>&2 2>>/tmp/cmake-times
EOF
chmod 755 "$root/usr/local/bin/cmake"

in_root() {  # in_root COMMAND: runs a bash command in the chroot, in the clone, without a display
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/quorvane && $1"
}

echo "Commit $commit; load before: $(uptime)"
start=$(date +%s.%N)
in_root ./run >"$work/first.log" 2>&1 || { tail -30 "$work/first.log" >&2; echo "first ./run failed" >&2; exit 1; }
end=$(date +%s.%N)
load_after="$(uptime)"
tail -4 "$work/first.log"

# The first cmake call is the configure step, after setup.sh; the calls together are the build.
read -r first_start _ < "$root/tmp/cmake-times"
summary="$(awk -v s="$start" -v e="$end" -v f="$first_start" '
  { wall += $2; cpu += $3 + $4; user += $3; sys += $4; last = $1 + $2 }
  END {
    printf "apt part (setup.sh --run):    %7.1f s wall\n", f - s
    printf "build part (configure+build): %7.1f s wall, %.1f s processor (user %.1f + sys %.1f)\n", wall, cpu, user, sys
    printf "program to its first report:  %7.1f s wall\n", e - last
    printf "first report after:           %7.1f s wall in all\n", e - s
  }' "$root/tmp/cmake-times")"
echo "$summary"
echo "load after: $load_after"

times=()
for _ in 1 2 3 4 5; do
  a=$(date +%s.%N)
  in_root "./run --version" >/dev/null 2>&1
  b=$(date +%s.%N)
  times+=("$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", b - a }')")
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "next start (./run --version): best ${sorted[0]} s, median ${sorted[2]} s of ${times[*]}"
echo "load at the end: $(uptime)"
