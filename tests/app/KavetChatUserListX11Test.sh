#!/usr/bin/env bash
# Three kavetchat windows on a network of the harness's own (network
# namespaces, 198.18.0.N/24), under Xvfb with openbox: the user list driven
# with xdotool (type-ahead, Ctrl+U, a group made and dragged into, Ctrl+G,
# Ctrl+L), peers leaving while a question is open, and kill -9 with a
# restart. The harness refuses to run outside namespaces it made itself.
set -u
cd "$(dirname "$0")"
. ./x11harness.sh
kc_x11_require
kc_x11_binary BIN src/app/kavetchat
kc_x11_run python3 "$PWD/kavetchat_userlist_x11.py" --kavetchat "$BIN"
