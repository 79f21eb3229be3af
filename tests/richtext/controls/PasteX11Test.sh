#!/usr/bin/env bash
# Pasting under a real X server: RTF that another program (xclip) holds on
# the clipboard as text/rtf pastes into an editor with its bold run bold.
# The editor side is the test program's PasteX11.FromAnotherProgram, which
# pastes and checks the items it got. Skipped (77) only where xvfb-run or
# xclip is not installed; scripts/install.sh installs both.
set -u
for tool in xvfb-run xclip; do
  if ! command -v $tool >/dev/null; then
    echo "SKIP $tool is not installed"
    exit 77
  fi
done
bin=${KC_BINARY_DIR:?}/tests/test_richtext_controls_RichVistaEditPasteTest
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%s' '{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\f0\fs20 plain {\b bold} tail\par}' >"$work/in.rtf"

# Runs inside the X server: xclip holds the clipboard in the foreground
# (-quiet) until it is ended by its id.
cat >"$work/inside.sh" <<'END'
set -u
work=$1 bin=$2
xclip -quiet -selection clipboard -t text/rtf -i "$work/in.rtf" >"$work/xclip.log" 2>&1 &
holder=$!
for _ in $(seq 1 100); do
  timeout 5 xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx text/rtf && break
  sleep 0.1
done
QT_QPA_PLATFORM=xcb KC_PASTE_X11=1 timeout 60 "$bin" --gtest_filter=PasteX11.FromAnotherProgram \
  >"$work/paste.log" 2>&1
rc=$?
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
if [ $rc -ne 0 ] || grep -q SKIPPED "$work/paste.log"; then
  echo "FAIL the paste did not give a bold run"; cat "$work/paste.log"; exit 1
fi
exit 0
END
xvfb-run -a bash "$work/inside.sh" "$work" "$bin"
