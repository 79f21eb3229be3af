#!/usr/bin/env bash
# The widgets under a real X server (Xvfb): each widget window is mapped and
# a screen grab sees them drawn, --shot writes one picture per widget, and a
# magnet window dragged by the pointer to near another snaps to it, placed
# there by the X server.
set -u
demo=${KC_BINARY_DIR:?}/tools/widgetdemo/widgetdemo
[ -x "$demo" ] || { echo "widgetdemo not built: $demo"; exit 1; }
for tool in xvfb-run xdotool import identify; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/install.sh installs it)"
    exit 0
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/inner.sh" <<'INNER'
set -u
demo=$1 work=$2
export QT_QPA_PLATFORM=xcb
fail=0
widgets="glGroupBox KcTreeView KcPageControl KcSplit KcStatusBar KcColorComboBox KcTransparentButton KcImageSquare KcPanel KcBrowseFolder"

waitReady() { # file
  for _ in $(seq 100); do grep -q ready "$1" 2>/dev/null && return 0; sleep 0.1; done
  echo "FAIL: widgetdemo did not come up"; cat "$1"; return 1
}

# One picture per widget, each with something drawn in it.
mkdir -p "$work/shots"
"$demo" --shot "$work/shots" 2>"$work/shot.err" || { echo "FAIL: --shot"; cat "$work/shot.err"; fail=1; }
for w in $widgets; do
  f="$work/shots/$w.png"
  if [ ! -s "$f" ]; then echo "FAIL: no picture of $w"; fail=1; continue; fi
  colours=$(identify -format %k "$f")
  [ "$colours" -gt 3 ] || { echo "FAIL: $w drawn with $colours colours"; fail=1; }
done

# Every widget shows on the screen, and a screen grab sees them.
"$demo" --show 8 >"$work/show.out" 2>"$work/show.err" &
pid=$!
if waitReady "$work/show.out"; then
  sleep 1
  for w in $widgets; do
    id=$(xdotool search --onlyvisible --name "widgetdemo: $w\$" | head -1)
    if [ -z "$id" ]; then echo "FAIL: $w not shown"; fail=1; continue; fi
    # The X server's own picture of the window.
    import -window "$id" "$work/x-$w.png" 2>/dev/null
    colours=$(identify -format %k "$work/x-$w.png" 2>/dev/null || echo 0)
    [ "$colours" -gt 3 ] || { echo "FAIL: screen grab of $w has $colours colours"; fail=1; }
  done
else
  fail=1
fi
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null

# A magnet window dragged to 8 pixels below another lands on its edge.
"$demo" --magnet 10 >"$work/magnet.out" 2>"$work/magnet.err" &
pid=$!
if waitReady "$work/magnet.out"; then
  wid=$(xdotool search --sync --onlyvisible --name "^Magnet B\$" | head -1)
  sleep 0.5
  xdotool mousemove 510 410 mousedown 1
  sleep 0.2
  xdotool mousemove 400 360
  sleep 0.2
  xdotool mousemove 160 318   # B's corner would be at 150,308: A ends at 300
  sleep 0.2
  xdotool mouseup 1
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  if [ "$X" != 150 ] || [ "$Y" != 300 ]; then
    echo "FAIL: Magnet B at $X,$Y, expected 150,300"; fail=1
  fi
  # Moved by someone else (as a window manager would): it snaps once the
  # move has settled, here to the screen's left edge.
  xdotool windowmove "$wid" 6 500
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  if [ "$X" != 0 ] || [ "$Y" != 500 ]; then
    echo "FAIL: Magnet B at $X,$Y after an outside move, expected 0,500"; fail=1
  fi
else
  fail=1
fi
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
exit $fail
INNER

xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/inner.sh" "$demo" "$work"
rc=$?
[ $rc -eq 0 ] && echo "widgets under X11: ok"
exit $rc
