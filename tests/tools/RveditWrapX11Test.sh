#!/usr/bin/env bash
# rvedit under a real X server as a 480x90 input box typed full: when the
# vertical bar appears the lines wrap again at the narrower width at once,
# so no horizontal bar ever shows. rvedit reports its bars' changes on
# standard output (--report-bars). Skipped (77) where xvfb-run or xdotool is
# missing; scripts/install.sh installs them. Every wait is bounded.
set -u
for t in xvfb-run xdotool; do
  if ! command -v "$t" >/dev/null; then
    echo "SKIP $t is not installed"
    exit 77
  fi
done
tool=${KC_BINARY_DIR:?}/tools/rvedit/rvedit
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/inside.sh" <<'END'
set -u
work=$1 tool=$2
QT_QPA_PLATFORM=xcb timeout 90 "$tool" --title rvedit-wrap-check --size 480x90 --report-bars \
  >"$work/bars.log" 2>"$work/rvedit.err" &
pid=$!
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
wid=$(timeout 15 xdotool search --sync --name '^rvedit-wrap-check$' | head -n1)
if [ -z "$wid" ]; then
  echo "FAIL no rvedit window"; cat "$work/rvedit.err"; stop; exit 1
fi
timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"
sleep 0.3
# Words of a chat message, typed until the box holds several times what it
# shows; then all of it deleted again.
text='The quick brown fox jumps over the lazy dog while we talk on the office network. '
for _ in 1 2 3 4 5 6; do
  timeout 30 xdotool type --delay 4 "$text"
done
sleep 0.5
timeout 5 xdotool key ctrl+a BackSpace
sleep 0.5
stop
fail=0
if ! grep -q '^vertical bar shown$' "$work/bars.log"; then
  echo "FAIL the text never filled the box:"; cat "$work/bars.log"; fail=1
fi
if grep -q '^horizontal bar shown$' "$work/bars.log"; then
  echo "FAIL a horizontal bar appeared:"; cat "$work/bars.log"; fail=1
fi
if [ "$(grep '^vertical bar' "$work/bars.log" | tail -n1)" != "vertical bar hidden" ]; then
  echo "FAIL the vertical bar stayed after the text was deleted:"; cat "$work/bars.log"; fail=1
fi
exit $fail
END
timeout 180 xvfb-run -a bash "$work/inside.sh" "$work" "$tool"
