#!/usr/bin/env bash
# Builds every target and runs every test: the Linux build, the sanitizer builds, the Windows DLL under
# wine and short fuzzing runs. Installs what it needs first. Usage: scripts/test.sh [stage...]
# Stages: linux asan tsan windows fuzz (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(linux asan tsan windows fuzz)
jobs=${ZARPA_JOBS:-$(nproc)}

bash scripts/install-deps.sh

run_preset() {
  local preset=$1
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests"
  ctest --preset "$preset" -j "$jobs"
}

for stage in "${stages[@]}"; do
  start=$SECONDS
  case "$stage" in
    linux) run_preset linux ;;
    asan) run_preset linux-asan ;;
    tsan) run_preset linux-tsan ;;
    windows)
      # Under a private X server, so the tests that open real Win32 windows run instead of skipping.
      if command -v xvfb-run >/dev/null; then
        xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash scripts/test-windows.sh
      else
        bash scripts/test-windows.sh
      fi ;;
    fuzz)
      if [ -f scripts/fuzz.sh ]; then bash scripts/fuzz.sh --short; fi ;;
    *) echo "unknown stage: $stage" >&2; exit 1 ;;
  esac
  echo "== $stage took $((SECONDS - start)) s"
done
