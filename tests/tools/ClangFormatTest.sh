#!/usr/bin/env bash
# Every C++ file of the tree is laid out as .clang-format says, by the
# clang-format of Debian 12 (another version lays some constructs out
# otherwise). Names each file that drifted; `clang-format-14 -i FILE` mends it.
set -u
root=${KC_SOURCE_DIR:?}
command -v clang-format-14 >/dev/null || { echo "clang-format-14 is not installed"; exit 77; }
cd "$root" || exit 1
mapfile -d '' files < <(find src tests tools bench fuzz -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print0 | sort -z)
[ ${#files[@]} -gt 0 ] || { echo "no C++ files found under $root"; exit 1; }
# One name a line per file that differs (short lines: parallel runs do not
# mix them).
drifted=$(printf '%s\0' "${files[@]}" |
  xargs -0 -n 40 -P "$(nproc)" sh -c \
    'for f; do clang-format-14 --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done' sh | sort)
if [ -n "$drifted" ]; then
  echo "$(wc -l <<<"$drifted") of ${#files[@]} C++ files are not laid out as .clang-format says:"
  echo "$drifted"
  exit 1
fi
echo "${#files[@]} C++ files laid out as .clang-format says"
