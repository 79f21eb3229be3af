#!/usr/bin/env bash
# rvedit under a real X server with a table: a click into a cell opens its
# editor, typed text goes into the cell, Tab moves to the next cell and
# Shift+Tab back, Ctrl+Z takes back the last character typed; each cell's
# text is read back through the clipboard (Ctrl+A in a cell selects the
# cell's text). Skipped (77) where xvfb-run, xdotool or xclip is missing;
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

# Two rows of two cells, each row 60 pixels high, the table the width of
# the window: the first cell lies well inside the window's top-left part.
printf 'table 2 2\ncell-prop 0 0 BestHeight 60\ncell-prop 1 0 BestHeight 60\nsave %s\n' "$work/t.rvf" |
  QT_QPA_PLATFORM=offscreen "$bin/rvtool/rvtool" edit --width 470 >/dev/null || { echo "FAIL no table file"; exit 1; }

cat >"$work/inside.sh" <<'END'
set -u
export LC_ALL=C.UTF-8
work=$1 tool=$2
fail=0
QT_QPA_PLATFORM=xcb timeout 90 "$tool" --title rvedit-table --size 480x320 "$work/t.rvf" >"$work/rvedit.log" 2>&1 &
pid=$!
wid=$(timeout 15 xdotool search --sync --name '^rvedit-table$' | head -n1)
if [ -z "$wid" ]; then
  echo "FAIL no rvedit window"; cat "$work/rvedit.log"; kill "$pid" 2>/dev/null; exit 1
fi
timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"
sleep 0.3
# The cell's text through the clipboard, waited for until it is WANT.
cell_text() {
  local want=$1 got=
  timeout 5 xdotool key ctrl+a ctrl+c
  for _ in $(seq 1 50); do
    got=$(timeout 5 xclip -selection clipboard -o 2>/dev/null)
    [ "$got" = "$want" ] && break
    sleep 0.1
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
timeout 5 xdotool mousemove --window "$wid" 60 30 click 1
sleep 0.3
timeout 5 xdotool type --delay 40 'abc'
check "typed into the clicked cell" "$(cell_text abc)" abc
timeout 5 xdotool key Tab
sleep 0.2
timeout 5 xdotool type --delay 40 'de'
check "Tab moved to the next cell" "$(cell_text de)" de
timeout 5 xdotool key End ctrl+z
check "Ctrl+Z took back the last character" "$(cell_text d)" d
timeout 5 xdotool key shift+Tab
sleep 0.2
check "Shift+Tab moved back" "$(cell_text abc)" abc
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit $fail
END
timeout 200 xvfb-run -a bash "$work/inside.sh" "$work" "$bin/rvedit/rvedit"
