#!/usr/bin/env bash
# Runs a Windows executable under wine for CTest (CMAKE_CROSSCOMPILING_EMULATOR): 64-bit loader, no debug
# chatter, no desktop integration. WINEPREFIX comes from the caller (scripts/test-windows.sh makes a fresh one).
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 program.exe [arguments...]" >&2
  exit 2
fi

export WINEDEBUG=-all
# No menu entries, file associations or Mono/Gecko installers when wine creates a prefix on first use.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe,mscoree,mshtml=}"

# The first program of a wine session also starts wine's background services, which inherit its output
# handles and outlive it; were those CTest's pipes, CTest would wait for them forever. So the program writes
# into files of ours, which are then passed on.
out="$(mktemp)" err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
# The `wine` launcher picks wine64 when the 32-bit loader is absent; with WINEDEBUG=-all it stays quiet.
wine "$@" >"$out" 2>"$err" </dev/null
rc=$?
cat "$out"
cat "$err" >&2
exit $rc
