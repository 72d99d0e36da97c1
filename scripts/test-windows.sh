#!/usr/bin/env bash
# Builds the `windows` preset and runs its tests under wine in a fresh temporary WINEPREFIX, which is removed
# afterwards. Usage: scripts/test-windows.sh [build-dir] [extra ctest arguments...]
# Without a build directory the preset's own (build/windows) is used.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

build_dir=""
if [ $# -gt 0 ] && [[ "$1" != -* ]]; then
  build_dir="$1"
  shift
fi

if [ -n "$build_dir" ]; then
  cmake --preset windows -B "$build_dir"
  cmake --build "$build_dir" -j2
else
  cmake --preset windows
  cmake --build --preset windows -j2
fi

export WINEPREFIX
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/zarpa-wine.XXXXXX")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# Create the prefix once up front (8-20 s) so no test pays for it, under one persistent wine server that
# keeps wine's background services running for every test process instead of starting them per process.
started=$(date +%s)
wineserver -p
wine wineboot --init >/dev/null 2>&1 </dev/null
echo "wine prefix ready in $(( $(date +%s) - started )) s: $WINEPREFIX"

if [ -n "$build_dir" ]; then
  ctest --test-dir "$build_dir" --output-on-failure --timeout 600 "$@"
else
  ctest --preset windows --timeout 600 "$@"
fi
