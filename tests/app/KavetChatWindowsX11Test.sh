#!/usr/bin/env bash
# Two kavetchat windows and a chatnode on a network of the harness's own
# (network namespaces, 198.18.0.N/24), under Xvfb with openbox as window
# manager: what is typed with xdotool goes out byte for byte and shows in the
# other window; talks others open are answered by typing; the close button
# says goodbye and writes the history; a restart brings the window back; a
# second start ends at once. The harness refuses to run outside namespaces it
# made itself.
set -u
cd "$(dirname "$0")"
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: needs root to make its own network namespaces"
  exit 77
fi
for tool in xvfb-run Xvfb openbox xdotool wmctrl unshare ip python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/install.sh installs it)"
    exit 77
  fi
done
BIN=${KC_BINARY_DIR:?}/src/app/kavetchat
NODE=$KC_BINARY_DIR/tools/chatnode/chatnode
for b in "$BIN" "$NODE"; do
  [ -x "$b" ] || { echo "FAIL: $b not built"; exit 1; }
done
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  python3 "$PWD/kavetchat_windows_x11.py" --kavetchat "$BIN" --chatnode "$NODE"
