#!/usr/bin/env bash
# "rvtool convert" of a document with tables (merged cells, a nested table,
# UTF-16 text, a picture, a heading row): RVF in both forms comes back byte
# for byte, the text form turns into the binary file we started from, and the
# words of every cell reach the text export.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rvtool=${KC_BINARY_DIR:-$here/../../build}/tools/rvtool/rvtool
[ -x "$rvtool" ] || { echo "rvtool not built at $rvtool"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kc-tables-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail=0
say() { echo "FAIL $*"; fail=1; }
in=$here/data/tables.rvf

for form in rvf rvf-text; do
  "$rvtool" convert --to $form "$in" "$work/a-$form.rvf" || say "convert to $form"
  "$rvtool" convert "$work/a-$form.rvf" "$work/b-$form.rvf" || say "convert $form again"
  cmp -s "$work/a-$form.rvf" "$work/b-$form.rvf" || say "$form is not byte-identical after a second convert"
done
cmp -s "$in" "$work/a-rvf.rvf" || say "the binary form differs from the file it was read from"
cmp -s "$work/a-rvf.rvf" "$work/a-rvf-text.rvf" && say "binary and text forms should differ"
grep -q $'^-60 3 0 0 0 0\r$' "$work/a-rvf-text.rvf" || say "no table record in the text form"
"$rvtool" convert --to txt "$work/a-rvf-text.rvf" "$work/t.txt" || say "txt"
for word in before alpha beta gamma delta epsilon zeta nested inner eta after; do
  grep -q "$word" "$work/t.txt" || say "the text export lacks \"$word\""
done
exit $fail
