#!/usr/bin/env bash
# "rvtool convert": RVF written by us comes back byte for byte; the RTF we
# write reads back to the same text in our own reader, in LibreOffice, and
# without error in unrtf and pandoc; the two text exports agree.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rvtool=${KC_BINARY_DIR:-$here/../../build}/tools/rvtool/rvtool
[ -x "$rvtool" ] || { echo "rvtool not built at $rvtool"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kc-formats-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail=0
say() { echo "FAIL $*"; fail=1; }
nonblank() { tr -d '\r' <"$1" | grep -v '^$'; }

printf 'Hello {braces} and \\backslash\nw\xc3\xb6rld \xf0\x9f\x98\x80 caf\xc3\xa9 \xd0\x96\n\n"quoted" text\nend\n' >"$work/in.txt"

# RVF in both forms: write, then convert the file again.
for form in rvf rvf-text; do
  "$rvtool" convert --to $form "$work/in.txt" "$work/a-$form.rvf" || say "convert to $form"
  "$rvtool" convert "$work/a-$form.rvf" "$work/b-$form.rvf" || say "convert $form again"
  cmp -s "$work/a-$form.rvf" "$work/b-$form.rvf" || say "$form is not byte-identical after a second convert"
done
cmp -s "$work/a-rvf.rvf" "$work/a-rvf-text.rvf" && say "binary and text forms should differ for UTF-16 text"

# Text exports: UTF-16 and the ANSI code page agree for what the code page holds.
"$rvtool" convert --to txtw "$work/a-rvf.rvf" "$work/w.txt" || say "txtw"
[ "$(head -c 2 "$work/w.txt" | od -An -tx1 | tr -d ' ')" = fffe ] || say "UTF-16 text lacks FF FE"
iconv -f UTF-16 -t UTF-8 "$work/w.txt" >"$work/w8.txt" || say "UTF-16 text does not decode"
tr -d '\r' <"$work/w8.txt" | diff -q - <(head -c -1 "$work/in.txt") >/dev/null ||
  say "UTF-16 text differs from the input"
printf 'caf\xc3\xa9 \xc3\xa0 la carte\nline two\n' >"$work/latin.txt"
"$rvtool" convert --to txt "$work/latin.txt" "$work/l8.txt" || say "txt"
"$rvtool" convert --to txtw "$work/latin.txt" "$work/lw.txt" || say "txtw"
cmp -s <(iconv -f CP1252 -t UTF-8 "$work/l8.txt") <(iconv -f UTF-16 -t UTF-8 "$work/lw.txt") ||
  say "8-bit and UTF-16 exports disagree"

# RTF: our reader, then the peers.
"$rvtool" convert --to rtf "$work/a-rvf.rvf" "$work/a.rtf" || say "rtf"
"$rvtool" rtf-text "$work/a.rtf" >"$work/rtf-ours.txt" || say "our reader fails on our RTF"
diff <(nonblank "$work/w8.txt") <(nonblank "$work/rtf-ours.txt") || say "our reader reads other text"
if command -v unrtf >/dev/null; then
  unrtf --text "$work/a.rtf" >/dev/null 2>"$work/unrtf.err" || say "unrtf fails: $(cat "$work/unrtf.err")"
fi
if command -v pandoc >/dev/null; then
  pandoc --sandbox -f rtf -t plain "$work/a.rtf" -o "$work/pandoc.txt" || say "pandoc fails"
fi
if command -v soffice >/dev/null; then
  . "$here/rtf_corpus.sh"
  mkdir -p "$work/lo"
  rtf_soffice "$work" --convert-to "txt:Text (encoded):UTF8" --outdir "$work/lo" "$work/a.rtf"
  if [ -f "$work/lo/a.txt" ]; then
    diff <(nonblank "$work/w8.txt" | sed 's/^\xef\xbb\xbf//') <(nonblank "$work/lo/a.txt" | sed 's/^\xef\xbb\xbf//') ||
      say "LibreOffice reads other text"
  else
    say "LibreOffice made no text of our RTF"; cat "$work/soffice.log"
  fi
fi
# HTML, both flavours: tidy finds no errors (warnings are the old tags'),
# and the page's text is our text export.
for form in html html-css; do
  "$rvtool" convert --to $form "$work/a-rvf.rvf" "$work/$form.html" || say "$form"
  if command -v tidy >/dev/null; then
    tidy -q -e "$work/$form.html" 2>"$work/tidy.log"
    [ $? -lt 2 ] || { say "tidy reports errors in $form"; cat "$work/tidy.log"; }
  fi
  python3 - "$work/$form.html" >"$work/$form.txt" <<'PY' || say "$form text"
import html, re, sys
page = open(sys.argv[1], encoding="cp1252").read()
body = page[page.index("<BODY"):]
body = re.sub(r"\r?\n", "", body)
body = re.sub(r"</(P|DIV)>", "\n", body)
body = re.sub(r"<BR>", "\n", body)
text = html.unescape(re.sub(r"<[^>]*>", "", body)).replace("\xa0", " ")
sys.stdout.write("\n".join(l for l in text.split("\n") if l.strip()) + "\n")
PY
  diff <(nonblank "$work/w8.txt") "$work/$form.txt" || say "the text of $form differs"
done

[ $fail -eq 0 ] && echo "convert checks pass"
exit $fail
