#!/usr/bin/env bash
# Every frame of the GIF files that Debian packages install, decoded by kcgif,
# must equal ImageMagick's decoding; the composed frames of the animated ones
# must equal ImageMagick's -coalesce. ImageMagick's raw output of "F[i]" is the
# frame's own rectangle (the page offset is dropped), which is what
# "kcgif frame" prints; -coalesce gives whole logical screens, as
# "kcgif compose" does.
set -u
kcgif=${KC_BINARY_DIR:?}/tools/kcgif/kcgif
[ -x "$kcgif" ] || { echo "kcgif not built: $kcgif"; exit 1; }
for tool in convert identify dpkg; do
  command -v $tool >/dev/null || { echo "missing program: $tool"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=()
for pkg in libtk8.6 cscope qt6-base-dev; do
  list=$(dpkg -L "$pkg" 2>/dev/null | grep -i '\.gif$')
  [ -n "$list" ] || { echo "package $pkg is not installed or holds no GIF files"; exit 1; }
  while IFS= read -r f; do files+=("$f"); done <<<"$list"
done
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
  if [ "$n" -gt 1 ]; then
    convert "$f" -coalesce -depth 8 rgba:- >"$work/all"
    size=$(( $(stat -c %s "$work/all") / n ))
    for ((i = 0; i < n; i++)); do
      "$kcgif" compose "$f" $i >"$work/a" || { echo "FAIL kcgif compose $f $i"; fail=1; continue; }
      dd if="$work/all" of="$work/b" bs=$size skip=$i count=1 status=none
      if ! cmp -s "$work/a" "$work/b"; then echo "FAIL composed frame $i of $f differs"; fail=1; fi
      composed=$((composed + 1))
    done
  fi
done
echo "${#files[@]} files, $frames frames, $composed composed frames compared"
[ $composed -gt 0 ] || { echo "no animated file was compared"; fail=1; }
exit $fail
