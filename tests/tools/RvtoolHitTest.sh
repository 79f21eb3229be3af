#!/usr/bin/env bash
# rvtool hit: the place a point lands on, as a mouse selection takes it, on
# the fixed-pitch layout of rvtool format (margins of 5, characters of 10).
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Lines: "aaa bbb" (y 5..15), "ccc" (15..25), "" (25..35), "ab" (35..45).
printf 'aaa bbb ccc\n\nab\n' > "$work/doc.txt"
fail=0
while IFS='|' read -r name x y want; do
  got=$("$tool" hit --width 80 --fake 10,8,2 "$work/doc.txt" "$x" "$y")
  if [ "$got" != "$want" ]; then
    echo "FAIL $name: ($x, $y) gives '$got', expected '$want'"
    fail=1
  fi
done <<'CASES'
on a character, nearer its right side|37|10|0 4
left of a line: its start|-50|18|0 9
right of a line: its end|300|10|0 8
on the first character after the wrap|6|20|0 9
on an empty paragraph|40|30|1 1
below the last line: on it|22|1000|2 3
above the first line: on it|12|-40|0 2
CASES
# An empty document has no place at all.
"$tool" convert --to rvf "$work/doc.txt" "$work/doc.rvf"
[ "$("$tool" hit --width 80 --fake 10,8,2 "$work/doc.rvf" 37 10)" = "0 4" ] || { echo "FAIL rvf"; fail=1; }
: > "$work/empty.rvf"
[ "$("$tool" hit --width 80 --fake 10,8,2 "$work/empty.rvf" 1 1)" = "none" ] || { echo "FAIL empty"; fail=1; }
# Wrong arguments are refused with the usage.
if "$tool" hit --width 80 "$work/doc.txt" 1 2>/dev/null; then echo "FAIL missing Y accepted"; fail=1; fi
if "$tool" hit --width 80 "$work/doc.txt" 1 z 2>/dev/null; then echo "FAIL bad Y accepted"; fail=1; fi
exit $fail
