#!/usr/bin/env bash
# Usage: scripts/fuzz.sh NAME [SECONDS]
# Builds the fuzz tree (clang + libFuzzer + ASan/UBSan) if needed and runs
# fuzz_NAME for SECONDS (default 60) on a copy of fuzz/corpus/NAME. With
# SECONDS 0 it only runs every seed once, without mutating.
# Non-zero exit on any crash, leak or timeout. The input that caused it is
# kept in build/fuzz/crashes/NAME/ and shown in the log (path, size, hex dump
# of its first bytes, and the whole input in base64 when it is small), so a
# CI log is enough to reproduce it: build/fuzz/fuzz_NAME FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1; secs=${2:-60}
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
if [ ! -f build/fuzz/build.ninja ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DKC_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --build build/fuzz --target "fuzz_$name" >"$work/build" 2>&1 || { cat "$work/build"; exit 1; }

crashes=build/fuzz/crashes/$name
mkdir -p "$crashes" "fuzz/corpus/$name"
touch "$work/start"
opts=(-timeout=10 -rss_limit_mb=2048 -artifact_prefix="$crashes/")
case $name in
  # Its seeds are whole documents of 5-25 KB; left alone libFuzzer takes the
  # largest as its limit and runs six times slower for no more coverage.
  rtf) opts+=(-max_len=4096) ;;
esac

show_input() {
  local size
  size=$(stat -c %s "$1")
  echo "$2: $1 ($size bytes); first bytes:"
  od -A x -t x1z -v -N 256 "$1"
  if [ "$size" -le 4096 ]; then
    echo "whole input, base64: $(base64 -w 0 "$1")"
  fi
}

show_inputs() {
  local found=0 f
  while IFS= read -r f; do
    found=1
    show_input "$f" "input kept"
  done < <(find "$crashes" -type f -newer "$work/start" | sort)
  if [ $found -eq 0 ]; then
    # A seed that fails is already in the tree: name it.
    f=$(sed -n 's/^Running: //p' "$work/log" | tail -n 1)
    if [ -n "$f" ] && [ -f "$f" ]; then show_input "$f" "failing seed"; fi
  fi
  return 0
}

if [ "$secs" = 0 ]; then
  mapfile -t seeds < <(find "fuzz/corpus/$name" -type f | sort)
  if [ ${#seeds[@]} -eq 0 ]; then
    : >"$work/empty"
    seeds=("$work/empty")
  fi
  if ! "build/fuzz/fuzz_$name" "${opts[@]}" "${seeds[@]}" >"$work/log" 2>&1; then
    tail -n 60 "$work/log"; show_inputs
    echo "fuzz_$name: a seed input fails"; exit 1
  fi
  echo "fuzz_$name: ${#seeds[@]} seed inputs run clean"
  exit 0
fi

echo "fuzz_$name: ${secs}s"
mkdir -p "$work/corpus"
if ! "build/fuzz/fuzz_$name" -max_total_time="$secs" "${opts[@]}" \
    "$work/corpus" "fuzz/corpus/$name" >"$work/log" 2>&1; then
  tail -n 60 "$work/log"; show_inputs
  echo "fuzz_$name found a problem"; exit 1
fi
tail -n 1 "$work/log"
