#!/usr/bin/env bash
# rvedit under a real X server with a table: a click into a cell opens its
# editor, typed text goes into the cell, Tab moves to the next cell and
# Shift+Tab back, Ctrl+Z takes back the last character typed; each cell's
# text is read back through the clipboard (Ctrl+A in a cell selects the
# cell's text). Skipped (77) where Xvfb, xdotool or xclip is missing;
# scripts/install.sh installs them. Every wait is bounded.
set -u
. "$(dirname "$0")/rvedit_x11.sh"
rvx_require xclip
rvx_setup

# Two rows of two cells, each row 60 pixels high, the table the width of
# the window: the first cell lies well inside the window's top-left part.
printf 'table 2 2\ncell-prop 0 0 BestHeight 60\ncell-prop 1 0 BestHeight 60\nsave %s\n' "$work/t.rvf" |
  QT_QPA_PLATFORM=offscreen "$bin/rvtool/rvtool" edit --width 470 >/dev/null || { echo "FAIL no table file"; exit 1; }

inside() {
  fail=0
  rvx_start rvedit-table --size 480x320 "$work/t.rvf"
  timeout 5 xdotool mousemove --window "$wid" 60 30 click 1
  sleep 0.3
  timeout 5 xdotool type --delay 40 'abc'
  rvx_check "typed into the clicked cell" "$(rvx_copy_all abc)" abc
  timeout 5 xdotool key Tab
  sleep 0.2
  timeout 5 xdotool type --delay 40 'de'
  rvx_check "Tab moved to the next cell" "$(rvx_copy_all de)" de
  timeout 5 xdotool key End ctrl+z
  rvx_check "Ctrl+Z took back the last character" "$(rvx_copy_all d)" d
  timeout 5 xdotool key shift+Tab
  sleep 0.2
  rvx_check "Shift+Tab moved back" "$(rvx_copy_all abc)" abc
  rvx_stop
  exit $fail
}
rvx_run 200 inside
