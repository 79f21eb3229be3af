#!/usr/bin/env bash
# rvtool format and render on plain text: the output contract that checks
# outside the repository read.
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'aaa bbb ccc\n\nab\n' > "$work/doc.txt"
# Width 80 less the margins of 5 leaves 70: seven 10-pixel characters.
"$tool" format --width 80 --fake 10,8,2 "$work/doc.txt" > "$work/out"
cat > "$work/want" <<'OUT'
0 1 7 5 5 70 10 1
0 9 3 5 15 30 10 1
1 1 0 5 25 0 10 1
2 1 2 5 35 20 10 1
height 50
width 80
OUT
diff -u "$work/want" "$work/out"
# Without --fake the real fonts lay it out: one line per paragraph at a wide width.
"$tool" format --width 2000 "$work/doc.txt" > "$work/real"
[ "$(grep -c '^[0-9]' "$work/real")" -eq 3 ]
grep -q '^height [0-9][0-9]*$' "$work/real"
"$tool" render --width 120 "$work/doc.txt" "$work/doc.png"
head -c 8 "$work/doc.png" | od -An -tx1 | grep -q '89 50 4e 47'
# An RVF file (by its extension) lays out as the text it was made from.
"$tool" convert --to rvf "$work/doc.txt" "$work/doc.rvf"
"$tool" format --width 80 --fake 10,8,2 "$work/doc.rvf" > "$work/out-rvf"
diff -u "$work/want" "$work/out-rvf"
"$tool" render --width 120 "$work/doc.rvf" "$work/rvf.png"
head -c 8 "$work/rvf.png" | od -An -tx1 | grep -q '89 50 4e 47'
printf 'not rvf at all' > "$work/bad.rvf"
if "$tool" format --width 80 --fake 10,8,2 "$work/bad.rvf" > /dev/null 2> "$work/err"; then exit 1; fi
grep -q 'not a readable RVF file' "$work/err"
# Wrong arguments are refused with the usage.
if "$tool" format "$work/doc.txt" 2>/dev/null; then exit 1; fi
echo ok
