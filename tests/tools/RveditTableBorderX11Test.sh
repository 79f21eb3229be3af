#!/usr/bin/env bash
# rvedit under a real X server: the line between a table's two columns,
# dragged with the mouse, moves; without Shift the column to its right
# gives what the left one takes, and Ctrl+Z puts the line back. The table's
# column edges are read from the RTF a copy gives (\cellx, twips from the
# table's left). Skipped (77) where xvfb-run, xdotool or xclip is missing;
# scripts/install.sh installs them. Every wait is bounded.
set -u
for t in xvfb-run xdotool xclip; do
  if ! command -v "$t" >/dev/null; then
    echo "SKIP $t is not installed"
    exit 77
  fi
done
bin=${KC_BINARY_DIR:?}/tools
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two rows of two empty cells, 60 pixels high.
printf 'table 2 2\ncell-prop 0 0 BestHeight 60\ncell-prop 1 0 BestHeight 60\nsave %s\n' "$work/t.rvf" |
  QT_QPA_PLATFORM=offscreen "$bin/rvtool/rvtool" edit --width 470 >/dev/null || { echo "FAIL no table file"; exit 1; }

cat >"$work/inside.sh" <<'END'
set -u
work=$1 tool=$2
fail=0
QT_QPA_PLATFORM=xcb timeout 90 "$tool" --title rvedit-table-border --size 480x320 "$work/t.rvf" >"$work/rvedit.log" 2>&1 &
pid=$!
wid=$(timeout 15 xdotool search --sync --name '^rvedit-table-border$' | head -n1)
if [ -z "$wid" ]; then
  echo "FAIL no rvedit window"; cat "$work/rvedit.log"; kill "$pid" 2>/dev/null; exit 1
fi
timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"
sleep 0.3
# The first row's column edges (\cellx values) of a copy of everything,
# waited for until they differ from NOT.
edges() {
  local not=$1 got=
  for _ in $(seq 1 30); do
    timeout 5 xdotool mousemove --window "$wid" 400 300 click 1
    timeout 5 xdotool key ctrl+a ctrl+c
    sleep 0.1
    got=$(timeout 5 xclip -selection clipboard -t text/rtf -o 2>/dev/null | grep -o 'cellx[0-9]*' | head -n2 |
      tr -d 'celx' | tr '\n' ' ')
    [ -n "$got" ] && [ "$got" != "$not" ] && break
  done
  printf '%s' "$got"
}
check() { # name, got, wanted
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: got '$2', wanted '$3'"; fail=1
  else
    echo "ok $1"
  fi
}
before=$(edges none)
read -r first second <<<"$before"
if [ -z "${second:-}" ]; then
  echo "FAIL no table in the copy"; kill "$pid"; exit 1
fi
# The line is drawn where the first column ends: the editor's left margin
# (5 pixels) plus that edge, 15 twips a pixel.
x=$((5 + first / 15))
timeout 5 xdotool mousemove --window "$wid" "$x" 40 mousedown 1
sleep 0.2
timeout 5 xdotool mousemove --window "$wid" $((x + 20)) 40
sleep 0.2
timeout 5 xdotool mousemove --window "$wid" $((x + 40)) 40
sleep 0.2
timeout 5 xdotool mouseup 1
sleep 0.3
check "the dragged line moved 40 pixels, the right edge stayed" "$(edges "$before")" "$((first + 600)) $second "
timeout 5 xdotool key ctrl+z
sleep 0.3
check "Ctrl+Z put the line back" "$(edges "$((first + 600)) $second ")" "$before"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit $fail
END
timeout 200 xvfb-run -a bash "$work/inside.sh" "$work" "$bin/rvedit/rvedit"
