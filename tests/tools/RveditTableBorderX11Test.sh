#!/usr/bin/env bash
# rvedit under a real X server: the line between a table's two columns,
# dragged with the mouse, moves; without Shift the column to its right
# gives what the left one takes, and Ctrl+Z puts the line back. The table's
# column edges are read from the RTF a copy gives (\cellx, twips from the
# table's left). Skipped (77) where Xvfb, xdotool or xclip is missing;
# scripts/install.sh installs them. Every wait is bounded.
set -u
. "$(dirname "$0")/rvedit_x11.sh"
rvx_require xclip
rvx_setup

# Two rows of two empty cells, 60 pixels high.
printf 'table 2 2\ncell-prop 0 0 BestHeight 60\ncell-prop 1 0 BestHeight 60\nsave %s\n' "$work/t.rvf" |
  QT_QPA_PLATFORM=offscreen "$bin/rvtool/rvtool" edit --width 470 >/dev/null || { echo "FAIL no table file"; exit 1; }

inside() {
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
  fail=0
  rvx_start rvedit-table-border --size 480x320 "$work/t.rvf"
  before=$(edges none)
  read -r first second <<<"$before"
  if [ -z "${second:-}" ]; then
    echo "FAIL no table in the copy"; exit 1
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
  rvx_check "the dragged line moved 40 pixels, the right edge stayed" "$(edges "$before")" "$((first + 600)) $second "
  timeout 5 xdotool key ctrl+z
  sleep 0.3
  rvx_check "Ctrl+Z put the line back" "$(edges "$((first + 600)) $second ")" "$before"
  rvx_stop
  exit $fail
}
rvx_run 200 inside
