#!/usr/bin/env bash
# rvtool render with the pinned fonts: a word written precomposed and
# decomposed (e + combining acute) gives the same picture.
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'caf\xc3\xa9 au lait\n' > "$work/nfc.txt"
printf 'cafe\xcc\x81 au lait\n' > "$work/nfd.txt"
"$tool" render --width 200 "$work/nfc.txt" "$work/nfc.png"
"$tool" render --width 200 "$work/nfd.txt" "$work/nfd.png"
cmp "$work/nfc.png" "$work/nfd.png"
echo ok
