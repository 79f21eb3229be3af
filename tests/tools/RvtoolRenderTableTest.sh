#!/usr/bin/env bash
# rvtool render of an RTF table with merged cells, cell colours and borders,
# with the pinned fonts, equals the stored picture but for a few pixels of
# anti-aliasing. KC_UPDATE_RENDER=1 stores the picture anew.
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
data="$KC_SOURCE_DIR/tests/tools/data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$tool" rtf-import "$data/table-merged.rtf" | grep -q 'style=-60'; then
  echo "the RTF import makes no table of the file: nothing to compare"
  exit 77
fi
if ! command -v compare >/dev/null; then
  echo "ImageMagick's compare is missing"
  exit 77
fi
"$tool" render --width 420 "$data/table-merged.rtf" "$work/got.png"
if [ "${KC_UPDATE_RENDER:-}" = 1 ]; then cp "$work/got.png" "$data/table-merged.png"; fi
size_got=$(identify -format '%wx%h' "$work/got.png")
size_want=$(identify -format '%wx%h' "$data/table-merged.png")
if [ "$size_got" != "$size_want" ]; then
  echo "picture is $size_got, stored $size_want"
  exit 1
fi
# Pixels that differ by more than a third of the colour range; at most one
# in two hundred.
differing=$(compare -metric AE -fuzz 33% "$work/got.png" "$data/table-merged.png" null: 2>&1 || true)
w=${size_got%x*}
h=${size_got#*x}
echo "differing pixels: $differing of $((w * h))"
[ "${differing%%.*}" -le $((w * h / 200)) ]
