#!/usr/bin/env bash
# rvedit under a real X server as a 480x90 input box typed full: when the
# vertical bar appears the lines wrap again at the narrower width at once,
# so no horizontal bar ever shows. rvedit reports its bars' changes on
# standard output (--report-bars). Skipped (77) where Xvfb or xdotool is
# missing; scripts/install.sh installs them. Every wait is bounded.
set -u
. "$(dirname "$0")/rvedit_x11.sh"
rvx_require
rvx_setup

inside() {
  rvx_start rvedit-wrap-check --size 480x90 --report-bars
  # Words of a chat message, typed until the box holds several times what
  # it shows; then all of it deleted again.
  text='The quick brown fox jumps over the lazy dog while we talk on the office network. '
  for _ in 1 2 3 4 5 6; do
    timeout 30 xdotool type --delay 4 "$text"
  done
  sleep 0.5
  timeout 5 xdotool key ctrl+a BackSpace
  sleep 0.5
  rvx_stop
  bars=$work/rvedit.out
  fail=0
  if ! grep -q '^vertical bar shown$' "$bars"; then
    echo "FAIL the text never filled the box:"; cat "$bars"; fail=1
  fi
  if grep -q '^horizontal bar shown$' "$bars"; then
    echo "FAIL a horizontal bar appeared:"; cat "$bars"; fail=1
  fi
  if [ "$(grep '^vertical bar' "$bars" | tail -n1)" != "vertical bar hidden" ]; then
    echo "FAIL the vertical bar stayed after the text was deleted:"; cat "$bars"; fail=1
  fi
  exit $fail
}
rvx_run 180 inside
