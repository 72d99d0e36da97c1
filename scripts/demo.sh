#!/usr/bin/env bash
# The main job on a fresh machine: installs the Debian packages, builds everything with the linux preset,
# then renders the renderer's built-in demo (a music-like mix 6 dB too hot) through the factory program
# "CD Master 1" and prints the report. Leaves the rendered file: build/zarpa-demo.wav, or the path given.
# Usage: scripts/demo.sh [OUT.wav]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/zarpa-demo.wav}
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
jobs=${ZARPA_JOBS:-$(nproc)}

bash "$root/scripts/install-deps.sh"
cd "$root"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"

mkdir -p "$(dirname "$out")"
"$root/build/linux/cli/zarpa" demo "$out" --force --plugin "$root/build/linux/OKAZarpa.so"
echo "rendered file: $out"
