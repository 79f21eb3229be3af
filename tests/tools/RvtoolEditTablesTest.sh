#!/usr/bin/env bash
# rvtool edit on tables: grid operations, merges, cleared cells and
# attributes, each one undo step; "dump" shows a table as "table RxC" and
# a line "  cell R C CS RS: TEXT" per cell; "save" writes binary RVF that
# reads back to the same document.
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
fail=0
edit() { "$tool" edit --width 300 --fake "$@"; }
check() { # name, commands (\n separated), wanted output
  local got
  got=$(printf "$2" | edit)
  if [ "$got" != "$(printf "$3")" ]; then
    echo "FAIL $1:"; echo "$got"; echo "--- wanted"; printf "$3\n"
    fail=1
  fi
}
check "a row inside a vertical merge" 'table 3 2\nmerge 0 0 1 2\ninsert-rows 1 1\ndump\n' \
  'table 4x2\n  cell 0 0 1 3: \n  cell 0 1 1 1: \n  cell 1 1 1 1: \n  cell 2 1 1 1: \n  cell 3 0 1 1: \n  cell 3 1 1 1: \ncaret 0 1'
check "columns appended never widen" 'table 2 2\nmerge 0 0 2 1\ninsert-cols 2 1\ndump\n' \
  'table 2x3\n  cell 0 0 2 1: \n  cell 0 2 1 1: \n  cell 1 0 1 1: \n  cell 1 1 1 1: \n  cell 1 2 1 1: \ncaret 0 1'
check "a 4-row span losing its top 2 rows" 'table 4 2\nmerge 0 0 1 4\ndelete-rows 0 2\ndump\n' \
  'table 2x2\n  cell 0 0 1 2: \n  cell 0 1 1 1: \n  cell 1 1 1 1: \ncaret 0 0 in 0 0'
check "a merge leaving a column without a cell is refused" 'table 1 2\nmerge 0 0 2 1\ndump\n' \
  'table 1x2\n  cell 0 0 1 1: \n  cell 0 1 1 1: \ncaret 0 1'
check "deleting every row deletes the table, undo brings it back" \
  'type a\nenter\ntable 2 2\ndelete-rows 0 2\ndump\nundo\ndump\n' \
  'a\n\ncaret 1 0\na\ntable 2x2\n  cell 0 0 1 1: \n  cell 0 1 1 1: \n  cell 1 0 1 1: \n  cell 1 1 1 1: \ncaret 1 1'
check "editing goes on one row up after a row above it went" \
  'table 3 2\ncell 2 1\ntype z\ndelete-rows 0 1\ntype y\ndump\n' \
  'table 2x2\n  cell 0 0 1 1: \n  cell 0 1 1 1: \n  cell 1 0 1 1: \n  cell 1 1 1 1: yz\ncaret 0 1 in 1 1'
check "editing goes on in the column now where a deleted one was" \
  'table 1 3\ncell 0 1\ntype a\ntab\ntype b\nshift-tab\ndelete-cols 1 1\ntype c\ndump\n' \
  'table 1x2\n  cell 0 0 1 1: \n  cell 0 1 1 1: cb\ncaret 0 1 in 0 1'

# Undo all of a script gives the starting file byte for byte, redo all the
# end; the end reads back to the same dump.
ops='type top\nenter\ntable 3 3\nsave %s/start.rvf\nmerge 0 0 2 2\ninsert-cols 1 2\ndelete-rows 0 1\nselect-cells 0 0 1 1\nclear-cells\ntable-prop CellPadding 4\ncell-prop 1 1 BestWidth 50\ninsert-rows 2 1\ndelete-cols 3 1\nsave %s/end.rvf\ndump\n'
undo='undo\nundo\nundo\nundo\nundo\nundo\nundo\nundo\nsave %s/undone.rvf\nredo\nredo\nredo\nredo\nredo\nredo\nredo\nredo\nsave %s/redone.rvf\n'
printf "$ops$undo" "$work" "$work" "$work" "$work" | edit > "$work/dump"
cmp -s "$work/start.rvf" "$work/undone.rvf" || { echo "FAIL undoing everything differs from the start"; fail=1; }
cmp -s "$work/end.rvf" "$work/redone.rvf" || { echo "FAIL redoing everything differs from the end"; fail=1; }
cmp -s "$work/start.rvf" "$work/end.rvf" && { echo "FAIL the script changed nothing"; fail=1; }
printf 'dump\n' | edit "$work/end.rvf" | grep -v '^caret' > "$work/reread"
grep -v '^caret' "$work/dump" | diff - "$work/reread" || { echo "FAIL the saved table reads back otherwise"; fail=1; }
grep -q '^table 3x4$' "$work/dump" || { echo "FAIL unexpected end grid:"; cat "$work/dump"; fail=1; }

# Bad arguments are reported with their line and change nothing.
if printf 'table 2 2\nmerge -1 0 2 2\ndelete-cols 0 3\ninsert-rows 9 1\ncell-prop 0 0 Nonsense 1\n' | edit >/dev/null 2>"$work/err"; then
  echo "FAIL bad arguments accepted"; fail=1
fi
for want in 'line 2: Invalid row or column index' 'line 3: Invalid row or column index' \
  'line 4: Invalid row or column index' 'line 5: unknown property "Nonsense"'; do
  grep -q "$want" "$work/err" || { echo "FAIL no report: $want"; fail=1; }
done
exit $fail
