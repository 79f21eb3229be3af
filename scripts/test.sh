#!/usr/bin/env bash
# Installs what is needed, builds everything (build/test, and the fuzz
# targets in build/fuzz), runs every ctest test and each fuzz target over its
# seed corpus once. Prints failures in full and passes one line each, and
# ends with one line counting test cases: "N passed, N failed[, N skipped]".
# Exits non-zero when anything failed. Timed fuzzing is scripts/fuzz.sh.
#
# With --sanitize it builds build/sanitize with AddressSanitizer, its leak
# checker and UndefinedBehaviorSanitizer instead, and runs every ctest test
# there. Any report fails the test it came from; leaks inside system
# libraries that a program cannot free are listed in tests/sanitizer/lsan.supp.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
sanitize=0
[ "${1:-}" = --sanitize ] && sanitize=1
bash scripts/install.sh || exit 1
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
tree=build/test
[ $sanitize -eq 1 ] && tree=build/sanitize
results=$root/$tree/results
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

if [ $sanitize -eq 1 ]; then
  build build/sanitize -DKC_SANITIZE=ON -DKC_BENCH=OFF || failures=$((failures + 1))
  export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
  export LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build build/test || failures=$((failures + 1))
  CC=clang-14 CXX=clang++-14 build build/fuzz -DKC_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo ||
    failures=$((failures + 1))
fi

rm -rf "$results"
mkdir -p "$results/gtest"
# Each GoogleTest program writes its cases to results/gtest/<program>.xml.
(cd "$tree" &&
  GTEST_OUTPUT="xml:$results/gtest/" \
    ctest -j"$(nproc)" --output-on-failure --output-junit "$results/ctest.xml" 2>&1) |
  awk '/^Looked in the following places:/ { skip = 1; next }
       skip && /^Unable to find executable/ { skip = 0 }
       skip || /^ *Start +[0-9]+: |^Test project |^[0-9]+% tests passed|^Total Test time/ { next }
       { print; fflush() }'

: >"$results/fuzz"
[ $sanitize -eq 1 ] || for f in fuzz/*.cpp; do
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
