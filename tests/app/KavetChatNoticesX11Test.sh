#!/usr/bin/env bash
# A kavetchat window and a chatnode on a network of the harness's own, under
# Xvfb, in a private session bus with the dunst notification daemon: a
# message raises one desktop notification (seen by dbus-monitor) and the
# next replaces it; with a tray host (trayer) minimising hides the window
# into the tray and a click on the icon brings it back; without one the
# window is never hidden.
set -u
cd "$(dirname "$0")"
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: needs root to make its own network namespaces"
  exit 77
fi
for tool in xvfb-run Xvfb openbox xdotool wmctrl unshare ip python3 dbus-run-session dbus-monitor dunst dunstctl trayer; do
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
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  dbus-run-session --config-file="$BUSDIR/session.conf" -- \
  python3 "$PWD/kavetchat_notices_x11.py" --kavetchat "$BIN" --chatnode "$NODE"
