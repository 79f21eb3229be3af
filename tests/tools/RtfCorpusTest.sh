#!/usr/bin/env bash
# Reads a corpus of real RTF made by LibreOffice and pandoc during the run:
# every file must read with result code 0, and the text the reader's events
# give must agree with LibreOffice's own text export of the same file on at
# least 99 % of the words, and exactly on small files.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/rtf_corpus.sh"
rtf_corpus_test_setup kc-rtfcorpus python3

fail=0
for b in $names; do
  f="$work/$b.rtf"
  code=$("$rvtool" rtf-events "$f" | tail -n 1)
  if [ "$code" != "code 0" ]; then
    echo "FAIL $b.rtf: reader ended with \"$code\""; fail=1; continue
  fi
  if [ ! -f "$work/$b.ref.txt" ]; then
    echo "FAIL $b.rtf: LibreOffice gave no text export"; fail=1; continue
  fi
  "$rvtool" rtf-text "$f" >"$work/$b.ours.txt" || { echo "FAIL $b.rtf: rtf-text"; fail=1; continue; }
  exact=
  if [ "$(stat -c %s "$f")" -lt 20000 ] || [[ $b == md-* ]]; then exact=--exact; fi
  python3 "$here/rtf_text_compare.py" "$work/$b.ref.txt" "$work/$b.ours.txt" $exact || fail=1
done
[ $fail -eq 0 ] && echo "all $count corpus files read and agree"
exit $fail
