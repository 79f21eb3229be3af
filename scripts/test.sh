#!/usr/bin/env bash
# Installs what is needed, builds everything (build/test, and the fuzz
# targets in build/fuzz), runs every ctest test and each fuzz target over its
# seed corpus once. Prints failures in full and passes one line each, and
# ends with one line counting test cases: "N passed, N failed[, N skipped]".
# Exits non-zero when anything failed. Timed fuzzing is scripts/fuzz.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install.sh || exit 1
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
results=$root/build/test/results
failures=0

# Builds a tree, going on past a file that does not compile (its program then
# fails in ctest); step and configure lines are left out, errors shown.
build() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null || return 1
  fi
  echo "building $dir"
  cmake --build "$dir" -- -k 0 2>&1 | grep -vE '^\[[0-9]+/[0-9]+\] |^-- '
  return "${PIPESTATUS[0]}"
}

build build/test || failures=$((failures + 1))
CC=clang-14 CXX=clang++-14 build build/fuzz -DKC_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo ||
  failures=$((failures + 1))

rm -rf "$results"
mkdir -p "$results/gtest"
# Each GoogleTest program writes its cases to results/gtest/<program>.xml.
(cd build/test &&
  GTEST_OUTPUT="xml:$results/gtest/" \
    ctest -j"$(nproc)" --output-on-failure --output-junit "$results/ctest.xml" 2>&1) |
  awk '/^Looked in the following places:/ { skip = 1; next }
       skip && /^Unable to find executable/ { skip = 0 }
       skip || /^ *Start +[0-9]+: |^Test project |^[0-9]+% tests passed|^Total Test time/ { next }
       { print; fflush() }'

: >"$results/fuzz"
for f in fuzz/*.cpp; do
  [ -e "$f" ] || continue
  name=$(basename "$f" .cpp)
  if bash scripts/fuzz.sh "$name" 0; then
    echo "$name passed" >>"$results/fuzz"
  else
    echo "$name failed" >>"$results/fuzz"
  fi
done

[ $failures -eq 0 ] || echo "the build failed (see above)"
python3 scripts/count-cases.py "$results/ctest.xml" "$results/gtest" "$results/fuzz" "$failures"
