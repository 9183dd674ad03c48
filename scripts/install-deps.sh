#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the project need.
# Quick when they are all there already; otherwise one apt-get update and one install.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev libssl-dev openssl
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth x11-utils imagemagick fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
