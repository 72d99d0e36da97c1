#!/usr/bin/env bash
# Builds the fuzz targets (the `fuzz` preset: clang-14, libFuzzer, ASan and UBSan) and runs each of them.
#   scripts/fuzz.sh --short            every target for 30 s (CI)
#   scripts/fuzz.sh --long SECONDS     every target for SECONDS
#   scripts/fuzz.sh ... TARGET...      only these (set_chunk read_preset read_bank settings_store)
# Environment: FUZZ_BUILD_DIR (default build/fuzz), FUZZ_SECONDS (overrides the time per target).
# First every saved regression input under fuzz/regressions/<target>/ is replayed; then the target runs
# on its corpus (seeded with valid chunks and records). A finding stops the script with a non-zero exit;
# the crashing input is left in <build>/artifacts/. The corpus persists in <build>/corpus between runs.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --short) seconds=30 ;;
    --long) seconds=${2:?--long needs a number of seconds}; shift ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) targets+=("$1") ;;
  esac
  shift
done
[ ${#targets[@]} -gt 0 ] || targets=(set_chunk read_preset read_bank settings_store)
seconds=${FUZZ_SECONDS:-$seconds}
build=${FUZZ_BUILD_DIR:-build/fuzz}

echo "== fuzz: configure and build in $build"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target fuzz_all -j "${ZARPA_JOBS:-2}"

mkdir -p "$build/corpus" "$build/artifacts"
"$build/fuzz/fuzz_seeds" "$build/corpus"

for target in "${targets[@]}"; do
  exe="$build/fuzz/fuzz_$target"
  [ -x "$exe" ] || { echo "unknown fuzz target: $target" >&2; exit 2; }
  if [ -d "fuzz/regressions/$target" ] && [ -n "$(ls -A "fuzz/regressions/$target")" ]; then
    echo "== fuzz $target: regression inputs"
    "$exe" -runs=0 "fuzz/regressions/$target"/* 2>&1 | tail -n 2
  fi
  echo "== fuzz $target: ${seconds} s"
  log="$build/artifacts/$target.log"
  if ! "$exe" "$build/corpus/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz $target: FINDING (input saved under $build/artifacts/)" >&2
    exit 1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|cov:" "$log" | tail -n 3
done
echo "== fuzz: no findings"
