#!/usr/bin/env bash
# A kavetchat window and a chatnode on a network of the harness's own, under
# Xvfb, in a private session bus with the dunst notification daemon: a
# message raises one desktop notification (seen by dbus-monitor) and the
# next replaces it; with a tray host (trayer) minimising hides the window
# into the tray and a click on the icon brings it back; without one the
# window is never hidden.
set -u
cd "$(dirname "$0")"
. ./x11harness.sh
kc_x11_require dbus-run-session dbus-monitor dunst dunstctl trayer
kc_x11_binary BIN src/app/kavetchat
kc_x11_binary NODE tools/chatnode/chatnode
BUSDIR=$(mktemp -d /tmp/kc-bus-XXXXXX)
trap 'rm -rf "$BUSDIR"' EXIT
# The bus listens on a socket file, not an abstract one: the windows run in
# network namespaces of their own, which abstract sockets do not cross.
cat > "$BUSDIR/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$BUSDIR</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
kc_x11_run dbus-run-session --config-file="$BUSDIR/session.conf" -- \
  python3 "$PWD/kavetchat_notices_x11.py" --kavetchat "$BIN" --chatnode "$NODE"
