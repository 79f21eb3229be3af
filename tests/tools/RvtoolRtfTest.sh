#!/usr/bin/env bash
# The output of "rvtool rtf-events" and "rvtool rtf-text" is read by scripts
# outside this tree: its form must stay as it is.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rvtool=${KC_BINARY_DIR:-$here/../../build}/tools/rvtool/rvtool
work=$(mktemp -d "${TMPDIR:-/tmp}/kc-rvtool-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail=0
check() { # name expected actual
  if [ "$2" != "$3" ]; then
    echo "FAIL $1"; diff <(echo "$2") <(echo "$3"); fail=1
  fi
}

printf '%s' '{\rtf1\ansi{\fonttbl{\f0 Arial;}}a\b b\b0\par \u8364?\line c\'"'"'e9\page{\*\skip x}\par\trowd\cellx100\intbl d\cell\row\pard e}' >"$work/a.rtf"
check events 'text NewPara "a"
text ContinuePara "b"
marker none
marker none
marker none
utext NewPara "\xE2\x82\xAC"
marker none
text NewLine "c\xE9"
pagebreak
marker none
marker none
marker none
table TableStart
text NewPara "d"
marker none
table CellEnd
marker none
table RowEnd
marker none
table TableEnd
marker none
text NewPara "e"
marker none
code 0' "$("$rvtool" rtf-events "$work/a.rtf")"
check text 'ab
€
cé
d
e' "$("$rvtool" rtf-text "$work/a.rtf")"

printf '{\\rtf1 a' >"$work/open.rtf"
check unmatched "code 3" "$("$rvtool" rtf-events "$work/open.rtf" | tail -n 1)"
"$rvtool" rtf-text "$work/open.rtf" >/dev/null 2>&1 && { echo "FAIL rtf-text succeeded on a bad file"; fail=1; }
"$rvtool" rtf-events "$work/missing.rtf" >/dev/null 2>&1 && { echo "FAIL missing file accepted"; fail=1; }
"$rvtool" no-such-command >/dev/null 2>&1 && { echo "FAIL unknown command accepted"; fail=1; }
[ $fail -eq 0 ] && echo "rvtool RTF output as expected"
exit $fail
