#!/usr/bin/env bash
# A table copied out of rvedit under a real X server: Ctrl+A, Ctrl+C give
# the desktop's clipboard RTF that LibreOffice reads as the same table
# (rows, cells and the words of each), the text around it kept. Skipped
# (77) where xvfb-run, xdotool, xclip, soffice or python3 is missing;
# scripts/install.sh installs them. Every wait is bounded.
set -u
for t in xvfb-run xdotool xclip soffice python3; do
  if ! command -v "$t" >/dev/null; then
    echo "SKIP $t is not installed"
    exit 77
  fi
done
here=$(cd "$(dirname "$0")" && pwd)
tool=${KC_BINARY_DIR:?}/tools/rvedit/rvedit
rvtool=${KC_BINARY_DIR:?}/tools/rvtool/rvtool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The table, with a merged cell, as an RVF file of our own.
cat >"$work/table.rtf" <<'END'
{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}
\pard before\par
\trowd\clmgf\cellx2000\clmrg\cellx4000\cellx6000\pard\intbl wide cell\cell\cell third\cell\row
\trowd\cellx2000\cellx4000\cellx6000\pard\intbl one\cell two\cell three\cell\row
\pard after\par}
END
"$rvtool" convert --to rvf "$work/table.rtf" "$work/table.rvf" >/dev/null || { echo "FAIL rvtool convert"; exit 1; }

cat >"$work/inside.sh" <<'END'
set -u
work=$1 tool=$2
QT_QPA_PLATFORM=xcb timeout 90 "$tool" --title rvedit-table-copy "$work/table.rvf" >"$work/rvedit.log" 2>&1 &
pid=$!
wid=$(timeout 15 xdotool search --sync --name '^rvedit-table-copy$' | head -n1)
if [ -z "$wid" ]; then
  echo "FAIL no rvedit window"; cat "$work/rvedit.log"; kill $pid 2>/dev/null; exit 1
fi
timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"
sleep 0.3
timeout 5 xdotool key ctrl+a ctrl+c
for _ in $(seq 1 50); do
  timeout 5 xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q '^text/rtf$' && break
  sleep 0.1
done
timeout 5 xclip -selection clipboard -t text/rtf -o >"$work/copy.rtf" 2>/dev/null
kill $pid 2>/dev/null
wait $pid 2>/dev/null
exit 0
END
timeout 300 xvfb-run -a bash "$work/inside.sh" "$work" "$tool" || exit 1
if [ ! -s "$work/copy.rtf" ]; then
  echo "FAIL the clipboard held no RTF"; cat "$work/rvedit.log"; exit 1
fi

# LibreOffice runs without a network, with a profile of its own.
if unshare -n true 2>/dev/null; then offline=(unshare -n); else offline=(); fi
mkdir -p "$work/lo"
HOME="$work/home" "${offline[@]}" timeout 300 soffice -env:UserInstallation="file://$work/lo-profile" --headless \
  --norestore --nolockcheck --infilter="Rich Text Format" --convert-to html --outdir "$work/lo" "$work/copy.rtf" \
  >"$work/soffice.log" 2>&1
if [ ! -s "$work/lo/copy.html" ]; then
  echo "FAIL LibreOffice made no HTML of the copy"; cat "$work/soffice.log"; exit 1
fi
got=$(python3 "$here/html_table_compare.py" --show "$work/lo/copy.html")
want="wide cell | third / one | two | three"
if [ "$got" != "$want" ]; then
  echo "FAIL LibreOffice read the copied table as \"$got\", wanted \"$want\""; exit 1
fi
for word in before after; do
  grep -q "$word" "$work/lo/copy.html" || { echo "FAIL the copy lost \"$word\""; exit 1; }
done
echo "ok the copied table reads in LibreOffice as \"$got\""
