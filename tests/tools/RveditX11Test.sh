#!/usr/bin/env bash
# rvedit under a real X server: text typed with xdotool lands in the
# editor, Ctrl+A and Ctrl+C copy it, and xclip reads it back from the
# clipboard. Skipped (77) where Xvfb, xdotool or xclip is missing;
# scripts/install.sh installs them. Every wait is bounded.
set -u
. "$(dirname "$0")/rvedit_x11.sh"
rvx_require xclip
rvx_setup

inside() {
  fail=0
  rvx_start rvedit-x11-check
  typed='Hello, editor 42'
  timeout 20 xdotool type --delay 15 "$typed"
  got=$(rvx_copy_all "$typed")
  if [ "$got" != "$typed" ]; then
    echo "FAIL the clipboard gives '$got', typed '$typed'"; fail=1
  fi
  rvx_stop
  exit $fail
}
rvx_run 120 inside
