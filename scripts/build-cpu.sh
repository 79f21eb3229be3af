#!/usr/bin/env bash
# Prints the CPU time of a clean build of the build/test configuration (the
# defaults scripts/test.sh configures with): configures it in a fresh
# temporary folder with ccache off, builds every target, and prints
# "clean build CPU: N s", the user plus system seconds of the build step and
# of every compiler and linker it ran (configuring is left out). The figure
# hardly depends on the number of jobs; the wall time printed beside it does.
# Usage: scripts/build-cpu.sh [-jN] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=-j$(nproc)
case "${1:-}" in -j*) jobs=$1; shift ;; esac
tmp=$(mktemp -d "${TMPDIR:-/tmp}/kc-build-cpu.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export CCACHE_DISABLE=1
cmake -S . -B "$tmp" -G Ninja "$@" >/dev/null
start=$SECONDS
# The second line of `times` in the subshell sums the processes it waited
# for, and each of them the ones it waited for: the whole build.
(cmake --build "$tmp" -- "$jobs" >"$tmp/log" 2>&1 || { tail -n 50 "$tmp/log"; exit 1; }
  times) >"$tmp/times" || { cat "$tmp/times"; echo "the build failed" >&2; exit 1; }
wall=$((SECONDS - start))
sed -n 2p "$tmp/times" | awk -v w="$wall" '
  function secs(t) { split(t, p, /[ms]/); return p[1] * 60 + p[2] }
  { u = secs($1); s = secs($2)
    printf "clean build CPU: %d s (user %d s, system %d s; wall %d s)\n", u + s + 0.5, u + 0.5, s + 0.5, w }'
