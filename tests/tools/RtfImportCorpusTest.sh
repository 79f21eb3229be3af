#!/usr/bin/env bash
# Imports a corpus of real RTF made by LibreOffice and pandoc during the run
# into documents: every file must import with result code 0 (as the talk
# input boxes do, rtf-import, and as rvtool convert does), the text of both
# must agree with LibreOffice's own text export of the same file on at least
# 99 % of the words (list labels and table layout aside), and exactly on
# small files; the RVF of each import must read back to the same text.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/rtf_corpus.sh"
rtf_corpus_test_setup kc-rtfimport python3 iconv

fail=0
for b in $names; do
  f="$work/$b.rtf"
  code=$("$rvtool" rtf-import "$f" | tail -n 1)
  if [ "$code" != "code 0" ]; then
    echo "FAIL $b.rtf: import ended with \"$code\""; fail=1; continue
  fi
  if [ ! -f "$work/$b.ref.txt" ]; then
    echo "FAIL $b.rtf: LibreOffice gave no text export"; fail=1; continue
  fi
  "$rvtool" rtf-import --text "$f" >"$work/$b.ours.txt" || { echo "FAIL $b.rtf: rtf-import --text"; fail=1; continue; }
  # The Unicode text export, so that the comparison sees every character.
  "$rvtool" convert --to txtw "$f" "$work/$b.conv.txtw" || { echo "FAIL $b.rtf: convert to text"; fail=1; continue; }
  iconv -f UTF-16 -t UTF-8 "$work/$b.conv.txtw" >"$work/$b.conv.txt" || { echo "FAIL $b.rtf: text export"; fail=1; continue; }
  "$rvtool" convert "$f" "$work/$b.rvf" || { echo "FAIL $b.rtf: convert to RVF"; fail=1; continue; }
  "$rvtool" convert --to txtw "$work/$b.rvf" "$work/$b.back.txtw" || { echo "FAIL $b.rvf: does not read back"; fail=1; continue; }
  if ! cmp -s "$work/$b.conv.txtw" "$work/$b.back.txtw"; then
    echo "FAIL $b.rtf: the RVF of the import reads back to other text"; fail=1
  fi
  exact=
  if [ "$(stat -c %s "$f")" -lt 20000 ] || [[ $b == md-* ]]; then exact=--exact; fi
  echo -n "$b (rtf-import): "
  python3 "$here/rtf_text_compare.py" "$work/$b.ref.txt" "$work/$b.ours.txt" $exact || fail=1
  # The document's markers write outline numbers without a dot ("1", "2.1");
  # those labels go from the start of lines on both sides.
  for side in ref conv; do
    sed -E 's/^[[:space:]]*[0-9]{1,3}(\.[0-9]{1,3})*[[:space:]]+//' "$work/$b.$side.txt" >"$work/$b.$side.nolabel.txt"
  done
  echo -n "$b (convert): "
  python3 "$here/rtf_text_compare.py" "$work/$b.ref.nolabel.txt" "$work/$b.conv.nolabel.txt" $exact || fail=1
done
[ $fail -eq 0 ] && echo "all $count corpus files imported and agree"
exit $fail
