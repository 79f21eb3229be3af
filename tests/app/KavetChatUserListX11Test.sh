#!/usr/bin/env bash
# Three kavetchat windows on a network of the harness's own (network
# namespaces, 198.18.0.N/24), under Xvfb with openbox: the user list driven
# with xdotool (type-ahead, Ctrl+U, a group made and dragged into, Ctrl+G,
# Ctrl+L), peers leaving while a question is open, and kill -9 with a
# restart. The harness refuses to run outside namespaces it made itself.
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
[ -x "$BIN" ] || { echo "FAIL: $BIN not built"; exit 1; }
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  python3 "$PWD/kavetchat_userlist_x11.py" --kavetchat "$BIN"
