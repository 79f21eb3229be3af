#!/usr/bin/env bash
# rvedit under a real X server: text typed with xdotool lands in the
# editor, Ctrl+A and Ctrl+C copy it, and xclip reads it back from the
# clipboard. Skipped (77) where xvfb-run, xdotool or xclip is missing;
# scripts/install.sh installs them. Every wait is bounded.
set -u
for t in xvfb-run xdotool xclip; do
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
QT_QPA_PLATFORM=xcb timeout 60 "$tool" --title rvedit-x11-check >"$work/rvedit.log" 2>&1 &
pid=$!
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
wid=$(timeout 15 xdotool search --sync --name '^rvedit-x11-check$' | head -n1)
if [ -z "$wid" ]; then
  echo "FAIL no rvedit window"; cat "$work/rvedit.log"; stop; exit 1
fi
timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"
sleep 0.3
fail=0
typed='Hello, editor 42'
timeout 20 xdotool type --delay 15 "$typed"
timeout 5 xdotool key ctrl+a ctrl+c
got=""
for _ in $(seq 1 50); do
  got=$(timeout 5 xclip -selection clipboard -o 2>/dev/null)
  [ "$got" = "$typed" ] && break
  sleep 0.1
done
if [ "$got" != "$typed" ]; then
  echo "FAIL the clipboard gives '$got', typed '$typed'"; fail=1
fi
stop
exit $fail
END
timeout 120 xvfb-run -a bash "$work/inside.sh" "$work" "$tool"
