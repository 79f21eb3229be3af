#!/usr/bin/env bash
# The command-line tools run where there is no display at all: no platform
# named, no X or Wayland display to fall back on.
set -u
rvtool=${KC_BINARY_DIR:?}/tools/rvtool/rvtool
kcgif=${KC_BINARY_DIR:?}/tools/kcgif/kcgif
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bare() { env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE "$@"; }
printf 'Hello, world\nsecond line\n' >"$work/doc.txt"
# One white pixel.
printf 'GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;' \
  >"$work/pixel.gif"
fail=0
check() { # description, command...
  local what=$1; shift
  if ! bare "$@" >"$work/out" 2>"$work/err"; then
    echo "FAIL $what:"; cat "$work/err"; fail=1
  elif [ ! -s "$work/out" ]; then
    echo "FAIL $what: no output"; fail=1
  fi
}
check "rvtool format with the installed fonts" "$rvtool" format --width 300 "$work/doc.txt"
check "rvtool hit" "$rvtool" hit --width 300 "$work/doc.txt" 5 5
check "rvtool convert" sh -c '"$0" convert --to html "$1" "$2" && cat "$2"' "$rvtool" "$work/doc.txt" "$work/doc.html"
check "rvtool render" sh -c '"$0" render --width 200 "$1" "$2" && head -c 8 "$2"' "$rvtool" "$work/doc.txt" "$work/doc.png"
check "kcgif info" "$kcgif" info "$work/pixel.gif"
check "kcgif compose" "$kcgif" compose "$work/pixel.gif" 0
exit $fail
