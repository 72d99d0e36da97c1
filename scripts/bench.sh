#!/usr/bin/env bash
# Builds the benchmarks with the linux preset and runs them: ns per stereo frame for every factory
# preset (both processing entries), 192 kHz with the soft transient shape, and the side-by-side table
# with the peer limiters. Extra arguments go to the benchmark (e.g. --benchmark_filter=peer).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build build/linux --target zarpa_bench OKAZarpa -j2
exec build/linux/bench/zarpa_bench --benchmark_min_time=0.5 "$@"
