#!/usr/bin/env bash
# rvtool edit in table cells: "cell R C" opens the editor of a cell, "tab"
# and "shift-tab" and the caret keys move between cells and out of the
# table, typing and undo act in the cell; the dump shows the caret as
# "caret P O in R C" and the saved RVF reads back with the cells' text.
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
fail=0
check() { # name, commands (\n separated), wanted output
  local got
  got=$(printf "$2" | "$tool" edit --width 200 --fake)
  if [ "$got" != "$(printf "$3")" ]; then
    echo "FAIL $1:"; echo "$got"; echo "--- wanted"; printf "$3\n"
    fail=1
  fi
}
grid='table 2 2\n'
cells() { # the four cells' text
  printf 'table 2x2\n  cell 0 0 1 1: %s\n  cell 0 1 1 1: %s\n  cell 1 0 1 1: %s\n  cell 1 1 1 1: %s' "$@"
}
check "typing in a cell" "${grid}cell 1 0\ntype abc\ndump\n" "$(cells '' '' abc '')\ncaret 0 3 in 1 0"
check "tab and shift-tab" "${grid}cell 0 0\ntype a\ntab\ntype b\ntab\ntype c\nshift-tab\ndump\n" \
  "$(cells a b c '')\ncaret 0 1 in 0 1"
check "tab in the last cell stays" "${grid}cell 1 1\ntab\ndump\nshift-tab\ndump\n" \
  "$(cells '' '' '' '')\ncaret 0 0 in 1 1\n$(cells '' '' '' '')\ncaret 0 0 in 1 0"
check "right out of the last column, left out of the first" \
  "${grid}cell 1 1\nright\ndump\ncell 0 0\nleft\ndump\n" \
  "$(cells '' '' '' '')\ncaret 0 1\n$(cells '' '' '' '')\ncaret 0 0"
check "a merged cell is one stop" "table 2 3\nmerge 0 0 2 1\ncell 0 0\ntab\ndump\nshift-tab\nright\ndump\n" \
  "table 2x3\n  cell 0 0 2 1: \n  cell 0 2 1 1: \n  cell 1 0 1 1: \n  cell 1 1 1 1: \n  cell 1 2 1 1: \ncaret 0 0 in 0 2\ntable 2x3\n  cell 0 0 2 1: \n  cell 0 2 1 1: \n  cell 1 0 1 1: \n  cell 1 1 1 1: \n  cell 1 2 1 1: \ncaret 0 0 in 0 2"
check "undo in the cell, then in the document" \
  "${grid}cell 0 1\ntype xy\ntab\ntype z\nundo\ndump\nundo\ndump\nundo\ndump\nredo\nredo\ndump\n" \
  "$(cells '' xy '' '')\ncaret 0 0 in 1 0\n$(cells '' x '' '')\ncaret 0 1 in 0 1\n$(cells '' '' '' '')\ncaret 0 0 in 0 1\n$(cells '' xy '' '')\ncaret 0 2 in 0 1"
# Saved while the cell is edited: its text is in the file.
printf "${grid}cell 0 0\ntype saved\nsave $work/t.rvf\n" | "$tool" edit --width 200 --fake
got=$(printf 'dump\n' | "$tool" edit --width 200 --fake "$work/t.rvf")
[ "$got" = "$(printf "$(cells saved '' '' '')\ncaret 0 0")" ] || { echo "FAIL saved while editing: $got"; fail=1; }
# Errors: no table, a cell outside the grid.
if printf 'cell 0 0\n' | "$tool" edit --fake 2>"$work/err"; then echo "FAIL cell without a table accepted"; fail=1; fi
grep -q 'line 1: no table' "$work/err" || { echo "FAIL no report of the missing table"; fail=1; }
if printf 'table 1 1\ncell 1 0\n' | "$tool" edit --fake 2>"$work/err"; then echo "FAIL bad cell accepted"; fail=1; fi
grep -q 'line 2: bad cell' "$work/err" || { echo "FAIL no report of the bad cell"; fail=1; }
exit $fail
