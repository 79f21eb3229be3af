#!/usr/bin/env bash
# rvtool edit: commands on standard input edit a document headless; "dump"
# prints its paragraphs and "caret P O".
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
printf 'hello world\nsecond\n' > "$work/doc.txt"
fail=0
check() { # name, file ("" for none), commands (\n separated), wanted output
  local got
  if [ -n "$2" ]; then got=$(printf "$3" | "$tool" edit --width 200 --fake "$2"); else got=$(printf "$3" | "$tool" edit --width 200 --fake); fi
  if [ "$got" != "$(printf "$4")" ]; then
    echo "FAIL $1:"; echo "$got"; echo "--- wanted"; printf "$4\n"
    fail=1
  fi
}
check "empty document" "" 'dump\n' '\ncaret 0 0'
check "typing" "" 'type Grüße\ndump\n' 'Grüße\ncaret 0 5'
check "enter and backspace" "$work/doc.txt" 'right 5\nenter\ndump\nbackspace\ndump\n' \
  'hello\n world\nsecond\ncaret 1 0\nhello world\nsecond\ncaret 0 5'
check "across paragraph ends" "$work/doc.txt" 'end\nright\ndump\nleft 2\ndump\n' \
  'hello world\nsecond\ncaret 1 0\nhello world\nsecond\ncaret 0 10'
check "delete joins" "$work/doc.txt" 'end\ndelete\ndump\n' 'hello worldsecond\ncaret 0 11'
check "selection" "$work/doc.txt" 'right 6\nselect-right 9\ndelete\ndump\nundo\ndump\nredo\ndump\n' \
  'hello ond\ncaret 0 6\nhello world\nsecond\ncaret 1 3\nhello ond\ncaret 0 6'
check "select all and type" "$work/doc.txt" 'select-all\ntype x\ndump\nundo\nundo\ndump\n' \
  'x\ncaret 0 1\nhello world\nsecond\ncaret 1 6'
check "home and end" "$work/doc.txt" 'right 3\nend\ndump\nhome\ndump\n' \
  'hello world\nsecond\ncaret 0 11\nhello world\nsecond\ncaret 0 0'
check "words" "$work/doc.txt" 'ctrl-right 2\ndump\nctrl-left\ndump\n' \
  'hello world\nsecond\ncaret 0 11\nhello world\nsecond\ncaret 0 6'
check "lines" "$work/doc.txt" 'right 3\ndown\ndump\nup\ndump\n' \
  'hello world\nsecond\ncaret 1 3\nhello world\nsecond\ncaret 0 3'
check "document ends" "$work/doc.txt" 'doc-end\ndump\ndoc-home\ndump\n' \
  'hello world\nsecond\ncaret 1 6\nhello world\nsecond\ncaret 0 0'
check "select down and type" "$work/doc.txt" 'right 3\nselect-down\ntype X\ndump\nundo\nundo\nselect-down 2\nselect-up\ndelete\ndump\n' \
  'helXond\ncaret 0 4\nhello ond\ncaret 0 6'
# RTF goes in as the editor control takes a paste: every character kept.
printf '%s' '{\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1\fcharset204 Arial;}}\f0 \u1055\'"'"'3f\u20013\'"'"'3f{\f1 \'"'"'f0}}' >"$work/u.rtf"
check "insert-rtf keeps every character" "$work/doc.txt" "insert-rtf $work/u.rtf\ndump\n" \
  'П中рhello world\nsecond\ncaret 0 3'
# Pages: sixty lines of 14 pixels in a client 400 high, so a page is
# about 18 lines.
for i in $(seq 1 60); do echo "line $i"; done > "$work/long.txt"
got=$(printf 'pagedown\ndump\npagedown\ndump\npageup\ndump\npageup\ndump\n' | "$tool" edit --width 200 --fake "$work/long.txt" | grep caret | tr '\n' ' ')
[ "$got" = "caret 18 0 caret 36 0 caret 16 0 caret 0 0 " ] || { echo "FAIL pages: $got"; fail=1; }
# The document is read as rvtool format reads it: RVF by its extension.
"$tool" convert --to rvf "$work/doc.txt" "$work/doc.rvf"
check "rvf file" "$work/doc.rvf" 'dump\n' 'hello world\nsecond\ncaret 0 0'
# A bad command is reported with its line and the run goes on.
if out=$(printf 'dump\nfly\nleft x\n' | "$tool" edit --fake 2>"$work/err"); then echo "FAIL bad command accepted"; fail=1; fi
grep -q 'line 2: unknown command "fly"' "$work/err" || { echo "FAIL no report of line 2"; fail=1; }
grep -q 'line 3: bad count "x"' "$work/err" || { echo "FAIL no report of line 3"; fail=1; }
if "$tool" edit --width 200 "$work/missing.txt" </dev/null 2>/dev/null; then echo "FAIL missing file accepted"; fail=1; fi
exit $fail
