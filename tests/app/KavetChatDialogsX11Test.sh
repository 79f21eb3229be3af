#!/usr/bin/env bash
# kavetchat windows and chatnodes on a network of the harness's own (network
# namespaces, 198.18.0.N/24), under Xvfb with openbox, driven with xdotool:
# the own profile stored from its dialog reaches the other window; the
# auto-reply variant chosen from the menu still answers after the editor
# deleted another and stored twice; files dragged from another program
# (dragsource) become file icons. The harness refuses to run outside
# namespaces it made itself.
set -u
cd "$(dirname "$0")"
. ./x11harness.sh
kc_x11_require
kc_x11_binary BIN src/app/kavetchat
kc_x11_binary NODE tools/chatnode/chatnode
kc_x11_binary DRAG tools/dragsource/dragsource
kc_x11_run python3 "$PWD/kavetchat_dialogs_x11.py" --kavetchat "$BIN" --chatnode "$NODE" --dragsource "$DRAG"
