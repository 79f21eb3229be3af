#!/usr/bin/env bash
# Installs what is needed, builds everything from a clean tree and runs all
# tests, then every fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
rm -rf build/test
bash scripts/build.sh test
jobs=$(nproc)
(cd build/test && ctest -j"$jobs" --output-on-failure)
for f in fuzz/*.cpp; do
  [ -e "$f" ] || continue
  name=$(basename "$f" .cpp)
  bash scripts/fuzz.sh "$name" "${KC_FUZZ_SECONDS:-20}"
done
