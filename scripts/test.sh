#!/usr/bin/env bash
# Installs what is needed, builds everything from a clean tree and runs all
# tests, then every fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
rm -rf build/test
bash scripts/build.sh test
jobs=$(nproc)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
(cd build/test && ctest -j"$jobs" --output-on-failure) | tee "$log"
fuzzed=0
for f in fuzz/*.cpp; do
  [ -e "$f" ] || continue
  name=$(basename "$f" .cpp)
  bash scripts/fuzz.sh "$name" "${KC_FUZZ_SECONDS:-20}"
  fuzzed=$((fuzzed + 1))
done
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed.*/\1/p' "$log" | tail -n 1)
echo "fuzz targets run clean: $fuzzed"
echo "ctest: $((total - failed)) passed, $failed failed"
