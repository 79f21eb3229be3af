#!/usr/bin/env bash
# "rvtool convert": RVF written by us comes back byte for byte; the RTF we
# write reads back to the same text in our own reader, in LibreOffice, and
# without error in unrtf and pandoc; the two text exports agree; the HTML
# pages, lists among them, pass tidy and hold the text.
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
# Raised and lowered runs: LibreOffice reads all the text after them, and
# the paragraph break, from what we write.
cat >"$work/shift.rtf" <<'RTF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fnil\fcharset0 Arial;}}
\pard Water is H{\sub 2}O and energy is mc{\super 2} in the text after them.\par
\pard The second paragraph follows x{\super n} and y{\sub k} to its end.\par
}
RTF
"$rvtool" convert --to rtf "$work/shift.rtf" "$work/shift2.rtf" || say "shift rtf"
"$rvtool" convert --to txt "$work/shift.rtf" "$work/shift.txt" || say "shift txt"
if command -v soffice >/dev/null; then
  mkdir -p "$work/los"
  rtf_soffice "$work" --convert-to "txt:Text (encoded):UTF8" --outdir "$work/los" "$work/shift2.rtf"
  diff <(nonblank "$work/shift.txt") <(nonblank "$work/los/shift2.txt" | sed 's/^\xef\xbb\xbf//') ||
    say "LibreOffice reads other text around raised and lowered runs"
fi
# A metafile picture from RTF keeps its size through RVF, read again and
# again (a plain metafile carries no size of its own).
# A header of 9 words (records of 12 words in all) and the end record.
printf '{\\rtf1\\ansi{\\pict\\wmetafile8\\picw2540\\pich1270 %s%s%s}\\par}\n' \
  010009000003 0c0000000000030000000000 030000000000 >"$work/wmf.rtf"
"$rvtool" convert --to rvf "$work/wmf.rtf" "$work/wmf1.rvf" || say "metafile to rvf"
"$rvtool" convert --to rvf "$work/wmf1.rvf" "$work/wmf2.rvf" || say "metafile rvf again"
"$rvtool" format --width 400 --fake 8,10,2 "$work/wmf1.rvf" >"$work/wmf1.fmt" || say "format metafile"
"$rvtool" format --width 400 --fake 8,10,2 "$work/wmf2.rvf" >"$work/wmf2.fmt" || say "format metafile again"
grep -q '^0 0 0 [0-9-]* [0-9-]* 98 50' "$work/wmf1.fmt" || { say "the metafile is not 96 x 48 (98 x 50 with its spacing)"; cat "$work/wmf1.fmt"; }
diff "$work/wmf1.fmt" "$work/wmf2.fmt" || say "the metafile changed through RVF"
# HTML, both flavours: tidy finds no errors (warnings are the old tags'),
# and the page's text is our text export. A list document from RTF checks
# the list elements, and its markers written as text.
cat >"$work/list.rtf" <<'RTF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fnil\fcharset0 Arial;}}
{\*\listtable{\list\listtemplateid1{\listlevel\levelnfc0\leveljc0\li720\fi-360\levelstartat1{\leveltext\'02\'00.;}{\levelnumbers\'01;}}{\listlevel\levelnfc4\leveljc0\li1440\fi-360\levelstartat1{\leveltext\'02\'01);}{\levelnumbers\'01;}}\listid10}}
{\*\listoverridetable{\listoverride\listid10\listoverridecount0\ls1}{\listoverride\listid10\listoverridecount1{\lfolevel\listoverridestartat\levelstartat5}\ls2}}
\pard Before the list\par
\pard\ls1\ilvl0 first item\par
\pard\ls1\ilvl1 nested item\par
\pard\ls1\ilvl1 second nested\par
\pard\ls1\ilvl0 second item\par
\pard After the list\par
\pard\ls1\ilvl0 third item\par
\pard\ls2\ilvl0 restarted at five\par
\pard\ls1\ilvl0 six\par
\pard\ls1\ilvl1 nested again\par
}
RTF
"$rvtool" convert --to txt "$work/list.rtf" "$work/list.txt" || say "list txt"
# Its numbering, restart and continuation included, comes through RVF and
# through our RTF.
"$rvtool" convert --to rvf "$work/list.rtf" "$work/list.rvf" || say "list rvf"
"$rvtool" convert --to rtf "$work/list.rvf" "$work/list2.rtf" || say "list rtf"
"$rvtool" convert --to txt "$work/list2.rtf" "$work/list2.txt" || say "list txt again"
cmp -s "$work/list.txt" "$work/list2.txt" || { say "the list reads otherwise from our RTF"; diff "$work/list.txt" "$work/list2.txt"; }
# Without their markers the list paragraphs read as the text export does
# after the marker and its blank.
nonblank "$work/list.txt" | sed -E 's/^([0-9]+\.|[a-z]\)) //' >"$work/list-nomarkers.txt"
pagetext() {
  python3 - "$1" <<'PY'
import html, re, sys
page = open(sys.argv[1], encoding="cp1252").read()
body = page[page.index("<BODY"):]
body = re.sub(r"\r?\n", "", body)
body = re.sub(r"</(P|DIV|LI)>|<BR>|<(UL|OL)[^>]*>", "\n", body)
text = html.unescape(re.sub(r"<[^>]*>", "", body)).replace("\xa0", " ")
sys.stdout.write("\n".join(l for l in text.split("\n") if l.strip()) + "\n")
PY
}
listnumbers() { # the number of every list item, counted as browsers count
  python3 - "$1" <<'PY'
import re, sys
page = open(sys.argv[1], encoding="cp1252").read()
lists = []
for close, tag, attrs in re.findall(r"<(/?)(OL|UL|LI)\b([^>]*)>", page):
    if tag in ("OL", "UL"):
        if close: lists.pop()
        else:
            t = re.search(r"type=(\w)", attrs)
            lists.append([tag, t.group(1) if t else "1", 1])
    elif tag == "LI" and not close and lists[-1][0] == "OL":
        v = re.search(r"value=(\d+)", attrs)
        n = int(v.group(1)) if v else lists[-1][2]
        lists[-1][2] = n + 1
        print(chr(96 + n) if lists[-1][1] == "a" else n)
PY
}
checkpage() { # page, expected text, name
  if command -v tidy >/dev/null; then
    tidy -q -e "$1" 2>"$work/tidy.log"
    [ $? -lt 2 ] || { say "tidy reports errors in $3"; cat "$work/tidy.log"; }
  fi
  pagetext "$1" >"$work/page.txt" || say "$3 text"
  diff "$2" "$work/page.txt" || say "the text of $3 differs"
}
nonblank "$work/w8.txt" >"$work/w8-lines.txt"
for form in html html-css; do
  "$rvtool" convert --to $form "$work/a-rvf.rvf" "$work/$form.html" || say "$form"
  checkpage "$work/$form.html" "$work/w8-lines.txt" "$form"
  "$rvtool" convert --to $form "$work/list.rtf" "$work/list-$form.html" || say "list $form"
  checkpage "$work/list-$form.html" "$work/list-nomarkers.txt" "the list in $form"
  [ "$(grep -c "<LI" "$work/list-$form.html")" = 8 ] || say "the list in $form has not eight items"
  # The numbers a browser gives the list items are the document's.
  diff <(listnumbers "$work/list-$form.html") <(nonblank "$work/list.txt" | sed -nE 's/^([0-9]+|[a-z])[.)] .*/\1/p') ||
    say "the list in $form numbers its items otherwise"
  # The shorthand "list-style" resets the numbering type: browsers would
  # show numbered lists with bullets.
  grep -q 'list-style:' "$work/list-$form.html" && say "the list in $form uses the list-style shorthand"
  "$rvtool" convert --to $form --markers-as-text "$work/list.rtf" "$work/listm-$form.html" || say "list $form"
  grep -q '<LI\|<OL\|<UL' "$work/listm-$form.html" && say "markers as text still make list elements in $form"
  # The marker's own HTML has no blank after it.
  checkpage "$work/listm-$form.html" <(nonblank "$work/list.txt" | sed -E 's/^([0-9]+\.|[a-z]\)) /\1/') \
    "the list with markers as text in $form"
done

[ $fail -eq 0 ] && echo "convert checks pass"
exit $fail
