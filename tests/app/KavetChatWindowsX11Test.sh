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
. ./x11harness.sh
kc_x11_require
kc_x11_binary BIN src/app/kavetchat
kc_x11_binary NODE tools/chatnode/chatnode
kc_x11_run python3 "$PWD/kavetchat_windows_x11.py" --kavetchat "$BIN" --chatnode "$NODE"
