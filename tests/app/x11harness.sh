# Sourced by the X11 scripts of this folder, which run kavetchat windows on a
# network of the harness's own (tests/net/chatnet.py makes the namespaces and
# refuses to run outside them) under Xvfb.
#
#   kc_x11_require TOOL...   exits 77 (skipped) without root or a tool; the
#                            common tools need not be named
#   kc_x11_binary NAME PATH  sets NAME to the built PATH under the build tree,
#                            exits 1 when it is not built
#   kc_x11_run CMD...        runs CMD under a fresh Xvfb of its own

kc_x11_require() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: needs root to make its own network namespaces"
    exit 77
  fi
  local tool
  for tool in xvfb-run Xvfb openbox xdotool wmctrl unshare ip python3 "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed (scripts/install.sh installs it)"
      exit 77
    fi
  done
}

kc_x11_binary() {
  local path=${KC_BINARY_DIR:?}/$2
  [ -x "$path" ] || { echo "FAIL: $path not built"; exit 1; }
  printf -v "$1" '%s' "$path"
}

kc_x11_run() {
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
}
