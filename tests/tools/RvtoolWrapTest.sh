#!/usr/bin/env bash
# rvtool format at 300 px with the desktop's fonts on text that has no
# spaces to wrap at: Chinese, Japanese, a 200-character URL, Thai. Every
# line stays inside the view and the document is no wider than it.
set -euo pipefail
tool="$KC_BINARY_DIR/tools/rvtool/rvtool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The fonts these scripts are drawn with where the machine has them
# (scripts/install.sh installs them), Liberation for the rest.
{
  echo '<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd"><fontconfig>'
  for d in /usr/share/fonts/truetype/liberation2 /usr/share/fonts/opentype/noto /usr/share/fonts/truetype/noto \
    /usr/share/fonts/truetype/tlwg; do
    [ -d "$d" ] && echo "<dir>$d</dir>"
  done
  echo "<cachedir>$work/fontcache</cachedir></fontconfig>"
} > "$work/fonts.conf"
export FONTCONFIG_FILE="$work/fonts.conf"
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
texts = {
    "chinese": "我们在局域网里聊天，不需要服务器，每条消息都会广播给同一网段的所有人。" * 4,
    "japanese": "サーバーなしで社内のネットワークだけでチャットができます。メッセージは全員に届きます。" * 3,
    "url": "https://example.com/" + "/".join("segment%02d" % i for i in range(17)) + "?query=value",
    "thai": "ภาษาไทยเขียนติดกันโดยไม่เว้นวรรคระหว่างคำและมีวรรณยุกต์กำกับเสียงอยู่ด้านบน" * 3,
}
assert len(texts["url"]) >= 200
for name, text in texts.items():
    with open(f"{work}/{name}.txt", "w", encoding="utf-8") as f:
        # The same text twice, with a short paragraph between: a paragraph
        # that cannot be narrow must not keep the others from wrapping.
        f.write(text + "\nshort words that wrap\n" + text + "\n")
PY
fail=0
for name in chinese japanese url thai; do
  "$tool" format --width 300 "$work/$name.txt" > "$work/$name.out" 2> "$work/$name.err"
  # Draw lines: item offs len left top width height newline; the right
  # margin is 5 pixels.
  if ! awk -v name="$name" '
    /^width / { if ($2 > 300) { print name ": the document is " $2 " wide"; bad = 1 } next }
    /^height / { next }
    { lines++; if ($4 + $6 > 295) { print name ": draw line " NR " ends at " $4 + $6; bad = 1 } }
    END { if (lines < 6) { print name ": only " lines " draw lines"; bad = 1 } exit bad }
  ' "$work/$name.out"; then
    fail=1
  fi
done
exit $fail
