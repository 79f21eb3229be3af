#!/usr/bin/env bash
# Usage: scripts/fuzz.sh NAME SECONDS
# Builds the fuzz tree (clang + libFuzzer + ASan/UBSan) if needed and runs
# fuzz_NAME for SECONDS on a copy of fuzz/corpus/NAME. Non-zero exit on any
# crash, leak or timeout.
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1; secs=${2:-60}
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
if [ ! -f build/fuzz/build.ninja ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DKC_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build/fuzz --target "fuzz_$name"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "fuzz/corpus/$name"
echo "fuzz_$name: ${secs}s"
mkdir -p "$work/corpus" "$work/out"
"build/fuzz/fuzz_$name" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/out/" "$work/corpus" "fuzz/corpus/$name" 2>"$work/log" || {
  tail -n 60 "$work/log"; ls "$work/out"; echo "fuzz_$name found a problem"; exit 1; }
tail -n 1 "$work/log"
