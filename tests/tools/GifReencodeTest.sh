#!/usr/bin/env bash
# "kcgif reencode" decodes every frame and writes it again through our LZW
# encoder; giflib's giftext must read the result and gifsicle's gifdiff must
# find it equal to the original. Besides the GIF files Debian packages install,
# generated noise pictures: 512x512 with 256 grey levels (fills the code table
# many times, so the encoder must emit clear codes mid-stream), and a 2-colour
# one of odd size, also interlaced.
set -u
kcgif=${KC_BINARY_DIR:?}/tools/kcgif/kcgif
[ -x "$kcgif" ] || { echo "kcgif not built: $kcgif"; exit 1; }
for tool in convert giftext gifdiff dpkg; do
  command -v $tool >/dev/null || { echo "missing program: $tool"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(cd "$(dirname "$0")" && pwd)/gif_files.sh"
packaged_gifs

noise() { # bytes seed
  LC_ALL=C awk -v n="$1" -v x="$2" 'BEGIN { for (i = 0; i < n; i++) {
    x = (x * 1103515245 + 12345) % 2147483648; printf "%c", int(x / 65536) % 256 } }'
}
noise $((512 * 512)) 12345 >"$work/grey.raw"
convert -size 512x512 -depth 8 gray:"$work/grey.raw" "$work/noise256.gif" || exit 1
noise $((257 * 131)) 777 >"$work/bw.raw"
convert -size 257x131 -depth 8 gray:"$work/bw.raw" -threshold 50% -colors 2 "$work/noise2.gif" || exit 1
convert "$work/noise2.gif" -interlace GIF "$work/noise2i.gif" || exit 1
files+=("$work/noise256.gif" "$work/noise2.gif" "$work/noise2i.gif")

fail=0
for f in "${files[@]}"; do
  [ -f "$f" ] || { echo "missing test file: $f"; fail=1; continue; }
  out="$work/out.gif"
  rm -f "$out"
  if ! "$kcgif" reencode "$f" "$out"; then echo "FAIL reencode $f"; fail=1; continue; fi
  if ! giftext "$out" >/dev/null 2>"$work/err"; then echo "FAIL giftext cannot read the output for $f"; cat "$work/err"; fail=1; continue; fi
  if ! gifdiff "$f" "$out" >"$work/diff"; then echo "FAIL gifdiff $f"; head -n 5 "$work/diff"; fail=1; fi
done
echo "${#files[@]} files re-encoded"
exit $fail
