#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need. Idempotent.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 wine
  libsndfile1-dev libebur128-dev
  libx11-dev libxtst-dev xvfb xdotool x11-apps imagemagick openbox
  libpng-dev zlib1g-dev
  libfreetype-dev fonts-liberation
  clang-14 libclang-rt-14-dev
  lsp-plugins-vst zam-plugins
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
