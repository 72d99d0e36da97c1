#!/usr/bin/env bash
# Builds the benchmarks and runs them: ns per stereo frame for every factory preset (both processing
# entries), 192 kHz with the soft transient shape, the side-by-side table with the peer limiters, and
# the Windows DLL under wine beside the Linux library (Default, Oversample on and "CD Master 3 [recon]"
# at blocks of 64 and 512, both loaded through our own host). Extra arguments go to the Google Benchmark
# run (e.g. --benchmark_filter=peer). ZARPA_CPU=baseline|avx2|avx512 forces a build of the kernel in
# every run; ZARPA_BENCH_WINE=0 leaves the DLL out.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "processor: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "flags: $(grep -m1 -o -w -E 'avx2|fma|avx512f|avx512bw|avx512dq|avx512vl' /proc/cpuinfo | sort -u | tr '\n' ' ')"
echo "kernel build: ${ZARPA_CPU:-the widest the processor runs}"

cmake --preset linux >/dev/null
cmake --build build/linux --target zarpa_bench zarpa_hosted_bench OKAZarpa -j2
build/linux/bench/zarpa_bench --benchmark_min_time=0.5 "$@"

[ "${ZARPA_BENCH_WINE:-1}" = 1 ] || exit 0
if ! command -v wine >/dev/null; then
  echo "no wine: the DLL is not measured"
  exit 0
fi
cmake --preset windows >/dev/null
cmake --build build/windows --target zarpa_hosted_bench OKAZarpa -j2

export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
export WINEPREFIX
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/zarpa-bench-wine.XXXXXX")"
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineserver -p
wine wineboot --init >/dev/null 2>&1 </dev/null

# Two rounds, the library, the peer and the DLL alternating; each run reports its fastest batch, and
# the tables the fastest of all.
lsp=/usr/lib/vst/lsp-plugins/limiter-stereo.so
results="$(mktemp)"
for round in 1 2; do
  build/linux/bench/zarpa_hosted_bench build/linux/OKAZarpa.so 0.5 64 512 | sed 's/^/linux\t/' >>"$results"
  if [ -f "$lsp" ]; then
    build/linux/bench/zarpa_hosted_bench "$lsp" 0.5 512 --set 14=0 --name "LSP None" | sed 's/^/linux\t/' >>"$results"
    build/linux/bench/zarpa_hosted_bench "$lsp" 0.5 512 --set 14=0.3 --name "LSP Half x4" | sed 's/^/linux\t/' >>"$results"
  fi
  wine build/windows/bench/zarpa_hosted_bench.exe build/windows/OKAZarpa.dll 0.5 64 512 </dev/null |
    tr -d '\r' | sed 's/^/dll\t/' >>"$results"
done
echo
awk -F'\t' '
  { key = $2 "\t" $3; if (!(($1, key) in best)) { if ($1 == "dll") keys[++n] = key }
    if (!(($1, key) in best) || $4 < best[$1, key]) best[$1, key] = $4 }
  function ratio(a, b) { return b > 0 ? sprintf("%.3f", a / b) : "n/a" }
  END {
    printf "%-36s %6s %14s %14s %10s\n", "DLL under wine vs Linux library", "block", "linux ns/frame", "dll ns/frame", "dll/linux"
    for (i = 1; i <= n; i++) {
      split(keys[i], part, "\t")
      printf "%-36s %6d %14.2f %14.2f %10s\n", part[1], part[2], best["linux", keys[i]], best["dll", keys[i]],
             ratio(best["dll", keys[i]], best["linux", keys[i]])
    }
    none = best["linux", "LSP None\t512"]; half = best["linux", "LSP Half x4\t512"]
    printf "\n%-36s %14s %14s %10s %8s\n", "ours vs LSP (Linux, block 512)", "ours ns/frame", "LSP ns/frame", "ratio", "target"
    printf "%-36s %14.2f %14.2f %10s %8s\n", "Default vs LSP None", best["linux", "Default\t512"], none,
           ratio(best["linux", "Default\t512"], none), "<= 1"
    printf "%-36s %14.2f %14.2f %10s %8s\n", "Oversample on vs LSP Half x4", best["linux", "Default Oversample\t512"], half,
           ratio(best["linux", "Default Oversample\t512"], half), "<= 1"
    printf "%-36s %14.2f %14.2f %10s %8s\n", "CD Master 3 [recon] vs LSP None", best["linux", "CD Master 3 [recon]\t512"], none,
           ratio(best["linux", "CD Master 3 [recon]\t512"], none), "<= 2"
  }' "$results"
rm -f "$results"
