#!/usr/bin/env bash
# Tables of RTF as our import and LibreOffice read them: for small files of
# our own (tests/tools/rtf-tables: merges of both kinds, nesting, percent
# widths, rows reusing the last definition, cells outside \intbl) and for
# every file with tables in the corpus made during the run and in
# fuzz/corpus/rtf, the tables, their rows, the cells of each row and the
# words of each cell must agree with LibreOffice's HTML of the same file.
# Files named differs-* are where we keep text that LibreOffice drops; the
# table below says what we make of them and why.
#
# Then the other way: the RTF we write of each small file reads in
# LibreOffice, and in our own import, to the same tables; and our HTML is
# clean for tidy (no errors, no warnings).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/rtf_corpus.sh"
rtf_corpus_test_setup kc-rtftables python3 tidy
compare="$here/html_table_compare.py"

declare -A ours_expected=(
  # LibreOffice drops cells that end without any row definition.
  [differs-no-row-definition]="one | two"
  # LibreOffice drops the text of a cell merged into the one above it; we
  # add it to the merged cell.
  [differs-vertical-merge-text]="top kept | right / below"
  # LibreOffice drops a cell past the row's last boundary; it gets a column.
  [differs-more-cells-than-boundaries]="a | b | c"
)

mkdir -p "$work/tables" "$work/lo" "$work/lo-back"
for f in "$here"/rtf-tables/*.rtf "$KC_SOURCE_DIR"/fuzz/corpus/rtf/*.rtf; do
  [ -f "$f" ] && cp "$f" "$work/tables/"
done
for b in $names; do cp "$work/$b.rtf" "$work/tables/corpus-$b.rtf"; done
# Only files with tables take part.
for f in "$work"/tables/*.rtf; do grep -q '\\cell' "$f" || rm "$f"; done
rtf_soffice "$work" --infilter="Rich Text Format" --convert-to html --outdir "$work/lo" "$work"/tables/*.rtf

fail=0
n=0
for f in "$work"/tables/*.rtf; do
  b=$(basename "$f" .rtf)
  n=$((n + 1))
  if ! "$rvtool" convert --to html-css "$f" "$work/$b.ours.html" >/dev/null; then
    echo "FAIL $b: rvtool convert --to html-css"; fail=1; continue
  fi
  if [ -n "${ours_expected[$b]:-}" ]; then
    got=$(python3 "$compare" --show "$work/$b.ours.html")
    if [ "$got" != "${ours_expected[$b]}" ]; then
      echo "FAIL $b: ours \"$got\", wanted \"${ours_expected[$b]}\""; fail=1
    else
      echo "$b: ours as wanted (LibreOffice differs)"
    fi
  else
    [ -f "$work/lo/$b.html" ] || { echo "FAIL $b: LibreOffice gave no HTML"; fail=1; continue; }
    echo -n "$b (import): "
    python3 "$compare" "$work/lo/$b.html" "$work/$b.ours.html" || { echo "FAIL $b"; fail=1; }
  fi
  # Tidy's exit code: 0 clean, 1 warnings, 2 errors.
  tidy -q -e "$work/$b.ours.html" >"$work/$b.tidy" 2>&1
  if [ $? -ne 0 ]; then echo "FAIL $b: tidy"; head -5 "$work/$b.tidy"; fail=1; fi
  case "$b" in corpus-*|lo-*|fields-*) continue ;; esac
  # Our RTF of the file: our import and LibreOffice read the same tables.
  "$rvtool" convert --to rtf "$f" "$work/back-$b.rtf" >/dev/null || { echo "FAIL $b: convert --to rtf"; fail=1; continue; }
  "$rvtool" convert --to html-css "$work/back-$b.rtf" "$work/back-$b.ours.html" >/dev/null || { echo "FAIL $b: re-import"; fail=1; continue; }
  echo -n "$b (our RTF, our import): "
  python3 "$compare" "$work/$b.ours.html" "$work/back-$b.ours.html" || { echo "FAIL $b"; fail=1; }
done
rtf_soffice "$work" --infilter="Rich Text Format" --convert-to html --outdir "$work/lo-back" "$work"/back-*.rtf
for f in "$work"/back-*.rtf; do
  b=$(basename "$f" .rtf)
  echo -n "${b#back-} (our RTF, LibreOffice): "
  python3 "$compare" "$work/lo-back/$b.html" "$work/$b.ours.html" || { echo "FAIL $b"; fail=1; }
done
[ "$n" -ge 10 ] || { echo "FAIL: only $n files with tables"; fail=1; }
[ $fail -eq 0 ] && echo "all $n files with tables agree"
exit $fail
