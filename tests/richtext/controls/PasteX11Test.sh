#!/usr/bin/env bash
# Pasting under a real X server: RTF that another program (xclip) holds on
# the clipboard as text/rtf pastes into an editor with its bold run bold.
# First the test program's PasteX11.FromAnotherProgram pastes and checks
# the items it got; then rvedit is given Ctrl+V, Ctrl+A and Ctrl+C, and
# the RTF it copies back must still make the run bold. Skipped (77) only
# where xvfb-run, xclip or xdotool is not installed; scripts/install.sh
# installs them. Every wait is bounded.
set -u
for tool in xvfb-run xclip xdotool; do
  if ! command -v $tool >/dev/null; then
    echo "SKIP $tool is not installed"
    exit 77
  fi
done
bin=${KC_BINARY_DIR:?}/tests/test_richtext_controls_RichVistaEditPasteTest
rvedit=$KC_BINARY_DIR/tools/rvedit/rvedit
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%s' '{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\f0\fs20 plain {\b bold} tail\par}' >"$work/in.rtf"

# Runs inside the X server: xclip holds the clipboard in the foreground
# (-quiet) until it is ended by its id.
cat >"$work/inside.sh" <<'END'
set -u
work=$1 bin=$2 rvedit=$3
hold() {
  xclip -quiet -selection clipboard -t text/rtf -i "$work/in.rtf" >"$work/xclip.log" 2>&1 &
  holder=$!
  for _ in $(seq 1 100); do
    timeout 5 xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx text/rtf && break
    sleep 0.1
  done
}
release() { kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null; }

hold
QT_QPA_PLATFORM=xcb KC_PASTE_X11=1 timeout 60 "$bin" --gtest_filter=PasteX11.FromAnotherProgram \
  >"$work/paste.log" 2>&1
rc=$?
release
if [ $rc -ne 0 ] || grep -q SKIPPED "$work/paste.log"; then
  echo "FAIL the paste did not give a bold run"; cat "$work/paste.log"; exit 1
fi

[ -x "$rvedit" ] || { echo "FAIL no rvedit at $rvedit"; exit 1; }
hold
QT_QPA_PLATFORM=xcb timeout 60 "$rvedit" --title rvedit-paste-check >"$work/rvedit.log" 2>&1 &
pid=$!
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
wid=$(timeout 15 xdotool search --sync --name '^rvedit-paste-check$' | head -n1)
if [ -z "$wid" ]; then
  echo "FAIL no rvedit window"; cat "$work/rvedit.log"; stop; release; exit 1
fi
timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"
sleep 0.3
timeout 5 xdotool key ctrl+v
sleep 0.3
release
timeout 5 xdotool key ctrl+a ctrl+c
fail=0
text=""
for _ in $(seq 1 50); do
  text=$(timeout 5 xclip -selection clipboard -t text/plain -o 2>/dev/null)
  [ -n "$text" ] && break
  sleep 0.1
done
case "$text" in
*"plain bold tail"*) ;;
*) echo "FAIL rvedit copied '$text' after the paste"; fail=1 ;;
esac
# The copy's RTF: bold is on where the run "bold" stands (rvedit's own
# style sheet decides what the words around it become).
timeout 5 xclip -selection clipboard -t text/rtf -o >"$work/out.rtf" 2>/dev/null
if ! python3 - "$work/out.rtf" <<'PY'
import re, sys
rtf = open(sys.argv[1], encoding="latin-1").read()
bold = False
for tok in re.finditer(r"\\([a-z]+)(-?\d+)?|([^\\{}\r\n]+)", rtf):
    if tok.group(1) in ("plain", "pard"):
        bold = False
    elif tok.group(1) == "b":
        bold = tok.group(2) != "0"
    elif tok.group(3) and "bold" in tok.group(3):
        sys.exit(0 if bold else 1)
sys.exit(1)
PY
then
  echo "FAIL the bold run did not come back bold:"; cat "$work/out.rtf"; echo; fail=1
fi
stop
exit $fail
END
timeout 180 xvfb-run -a bash "$work/inside.sh" "$work" "$bin" "$rvedit"
