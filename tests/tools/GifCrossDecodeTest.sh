#!/usr/bin/env bash
# Every frame of the GIF files that Debian packages install, decoded by kcgif,
# must equal ImageMagick's decoding, and the composed frames must equal
# ImageMagick's -coalesce. ImageMagick's raw output of "F[i]" is the frame's own
# rectangle (the page offset is dropped), which is what "kcgif frame" prints;
# -coalesce gives whole logical screens, as "kcgif compose" does. Fully
# transparent pixels of composed screens carry no colour (ImageMagick leaves
# whatever was there, kcgif black), so those compare as 0 0 0 0. Besides the
# packaged files, a generated animation with frame offsets, transparency and
# every disposal method, and generated files as found in the wild: image data
# without a leading clear code (also checked against giflib's gif2rgb), unknown
# extensions, and a middle frame cut short. ImageMagick refuses the last;
# gifsicle reads it, fills the missing pixels with index 0 as kcgif does and
# writes the frames whole, and ImageMagick decodes that copy.
set -u
kcgif=${KC_BINARY_DIR:?}/tools/kcgif/kcgif
[ -x "$kcgif" ] || { echo "kcgif not built: $kcgif"; exit 1; }
for tool in convert identify dpkg python3 gif2rgb gifsicle; do
  command -v $tool >/dev/null || { echo "missing program: $tool"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(cd "$(dirname "$0")" && pwd)/gif_files.sh"
packaged_gifs
# Composed screens as text, one pixel a line, fully transparent ones as zeros.
normalise() { od -An -tx1 -w4 -v | awk '{ if ($4 == "00") print "00 00 00 00"; else print }'; }

convert -size 9x5 gradient:red-blue -colors 4 "$work/a.gif" || exit 1
convert -size 4x3 xc:blue -fill red -draw 'point 1,1' -draw 'point 2,2' -transparent red "$work/b.gif" || exit 1
convert -size 5x2 xc:green -fill yellow -draw 'point 0,0' "$work/c.gif" || exit 1
convert -dispose Background "$work/a.gif" -dispose Previous -page +2+1 "$work/b.gif" \
  -dispose None -page +4+3 "$work/c.gif" -dispose Background -page +1+1 "$work/b.gif" \
  -dispose None -page +5+0 "$work/c.gif" -loop 0 "$work/generated.gif" || exit 1
files+=("$work/generated.gif")
realworld_gifs "$work"
files+=("$work/noclear.gif" "$work/unknownext.gif")

# The files whose features matter most: interlaced, transparent, animated.
for need in /usr/share/tcltk/tk8.6/images/tai-ku.gif \
            /usr/share/doc/cscope/contrib/webcscope/icons/folder.open.gif \
            /usr/share/qt6/doc/global/template/images/spinner.gif; do
  [ -f "$need" ] || { echo "missing test file: $need"; exit 1; }
done

fail=0; frames=0; composed=0
for f in "${files[@]}"; do
  [ -f "$f" ] || { echo "listed by dpkg but missing on disk: $f"; fail=1; continue; }
  n=$(identify -format '%n\n' "$f" | head -n 1)
  ours=$("$kcgif" info "$f" | head -n 1 | cut -d' ' -f3)
  if [ "$n" != "$ours" ]; then echo "FAIL frame count $f: ImageMagick $n, kcgif $ours"; fail=1; continue; fi
  for ((i = 0; i < n; i++)); do
    "$kcgif" frame "$f" $i >"$work/a" || { echo "FAIL kcgif frame $f $i"; fail=1; continue; }
    convert "$f[$i]" -depth 8 rgba:- >"$work/b"
    if ! cmp -s "$work/a" "$work/b"; then echo "FAIL frame $i of $f differs"; fail=1; fi
    frames=$((frames + 1))
  done
  convert "$f" -coalesce -depth 8 rgba:- >"$work/all"
  size=$(( $(stat -c %s "$work/all") / n ))
  for ((i = 0; i < n; i++)); do
    "$kcgif" compose "$f" $i >"$work/a0" || { echo "FAIL kcgif compose $f $i"; fail=1; continue; }
    normalise <"$work/a0" >"$work/a"
    dd if="$work/all" bs=$size skip=$i count=1 status=none | normalise >"$work/b"
    if ! cmp -s "$work/a" "$work/b"; then echo "FAIL composed frame $i of $f differs"; fail=1; fi
    [ "$n" -gt 1 ] && composed=$((composed + 1))
  done
done

# giflib on the data without a clear code: the screen as RGB triplets.
"$kcgif" frame "$work/noclear.gif" 0 | od -An -v -tx1 -w4 | awk '{ print $1 $2 $3 }' >"$work/a"
gif2rgb -1 -o "$work/rgb" "$work/noclear.gif" || { echo "FAIL gif2rgb cannot read noclear.gif"; fail=1; }
od -An -v -tx1 -w3 "$work/rgb" | tr -d ' ' >"$work/b"
cmp -s "$work/a" "$work/b" || { echo "FAIL noclear.gif differs from giflib's decoding"; fail=1; }

# The frame cut short, through gifsicle's whole copy (it exits 1 for the
# missing pixels it reports).
t="$work/truncated.gif"
gifsicle "$t" >"$work/repaired.gif" 2>"$work/err"
grep -q "missing" "$work/err" || { echo "FAIL gifsicle did not find the cut frame"; fail=1; }
n=$(identify -format '%n\n' "$work/repaired.gif" | head -n 1)
ours=$("$kcgif" info "$t" | head -n 1 | cut -d' ' -f3)
[ "$n" = 3 ] && [ "$ours" = 3 ] || { echo "FAIL truncated.gif: gifsicle copy $n frames, kcgif $ours"; fail=1; }
convert "$work/repaired.gif" -coalesce -depth 8 rgba:- >"$work/all"
size=$(( $(stat -c %s "$work/all") / 3 ))
for ((i = 0; i < 3; i++)); do
  "$kcgif" frame "$t" $i >"$work/a" || { echo "FAIL kcgif frame $t $i"; fail=1; continue; }
  convert "$work/repaired.gif[$i]" -depth 8 rgba:- >"$work/b"
  cmp -s "$work/a" "$work/b" || { echo "FAIL frame $i of truncated.gif differs"; fail=1; }
  "$kcgif" compose "$t" $i | normalise >"$work/a"
  dd if="$work/all" bs=$size skip=$i count=1 status=none | normalise >"$work/b"
  cmp -s "$work/a" "$work/b" || { echo "FAIL composed frame $i of truncated.gif differs"; fail=1; }
  frames=$((frames + 1)); composed=$((composed + 1))
done

echo "${#files[@]} files and truncated.gif, $frames frames, $composed composed frames of animations compared"
[ $composed -gt 12 ] || { echo "too few animated frames were compared"; fail=1; }
exit $fail
