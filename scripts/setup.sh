#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need that this machine lacks; with
# --run only what building and running the two programs needs; with --bench only what the
# comparison scripts in bench/ need (quorvane-cli, a C compiler, binutils and Python).
set -euo pipefail

packages=(cmake g++ ninja-build pkg-config libcli11-dev nlohmann-json3-dev libsqlite3-dev libsystemd-dev)
case "${1:-}" in
  --run) packages+=(qt6-base-dev fonts-dejavu-core) ;;
  --bench) packages+=(gcc binutils python3) ;;
  *) packages+=(qt6-base-dev fonts-dejavu-core python3
                libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev
                help2man lintian desktop-file-utils appstream dpkg-dev fakeroot man-db file
                clang-format clang-tidy chromium tidy) ;;
esac
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
