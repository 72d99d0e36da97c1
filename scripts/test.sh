#!/usr/bin/env bash
# Builds every target and runs every test: the Linux build, the sanitizer builds, the Windows DLL under
# wine and short fuzzing runs. Installs what it needs first. Usage: scripts/test.sh [stage...]
# Stages: linux core asan tsan windows fuzz (default: all). core: the build without the GUI.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(linux core asan tsan windows fuzz)
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

# Fails when the GUI-free build looked for X11 or FreeType, or linked any of their libraries into what it built.
check_no_gui_libraries() {
  local dir=$1 found=0
  if grep -qE '^(X11_X11_LIB|FREETYPE_LIBRARY[A-Z_]*):' "$dir/CMakeCache.txt"; then
    echo "the GUI-free configuration looked for X11 or FreeType" >&2
    found=1
  fi
  while IFS= read -r -d '' binary; do
    if readelf -d "$binary" 2>/dev/null | grep -E 'NEEDED.*\[lib(X11|Xtst|Xext|xcb|freetype)' >&2; then
      echo "  ... needed by $binary" >&2
      found=1
    fi
  done < <(find "$dir" -type f \( -perm -u+x -o -name '*.so' \) -not -path '*/CMakeFiles/*' -print0)
  [ "$found" -eq 0 ] && echo "== core: no X11 or FreeType library linked"
  return "$found"
}

for stage in "${stages[@]}"; do
  start=$SECONDS
  case "$stage" in
    linux) run_preset linux ;;
    core)
      # The signal path, the presets and the renderer with their tests, without the editor: no X11,
      # FreeType or artwork generator configured, built or linked.
      run_preset linux-core
      check_no_gui_libraries build/linux-core ;;
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
