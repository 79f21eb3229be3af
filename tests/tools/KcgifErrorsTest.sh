#!/usr/bin/env bash
# kcgif on files it cannot read: non-zero exit, one line on standard error,
# nothing on standard output.
set -u
kcgif=${KC_BINARY_DIR:?}/tools/kcgif/kcgif
[ -x "$kcgif" ] || { echo "kcgif not built: $kcgif"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'not a picture' >"$work/text.gif"
printf 'GIF89a\x02\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\x42' >"$work/badext.gif"
: >"$work/empty.gif"
printf 'GIF89a\x02\x00\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x02\x00\x01\x00\x00\x02\x02\x44\x01\x00;' >"$work/notable.gif"
fail=0
check() { # description, command...
  local what=$1; shift
  "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  local lines
  lines=$(wc -l <"$work/err")
  if [ $rc -eq 0 ] || [ "$lines" -ne 1 ] || [ -s "$work/out" ]; then
    echo "FAIL $what: exit $rc, $lines lines on stderr, $(stat -c %s "$work/out") bytes on stdout"
    cat "$work/err"
    fail=1
  fi
}
check "missing file" "$kcgif" info "$work/none.gif"
check "not a GIF" "$kcgif" info "$work/text.gif"
check "unknown extension" "$kcgif" frame "$work/badext.gif" 0
check "empty file, frame" "$kcgif" frame "$work/empty.gif" 0
check "no colour table" "$kcgif" frame "$work/notable.gif" 0
check "frame out of range" "$kcgif" frame "$work/notable.gif" 1
check "bad index" "$kcgif" compose "$work/notable.gif" x
check "reencode of a missing file" "$kcgif" reencode "$work/none.gif" "$work/out.gif"
[ -e "$work/out.gif" ] && { echo "FAIL reencode wrote a file"; fail=1; }
exit $fail
