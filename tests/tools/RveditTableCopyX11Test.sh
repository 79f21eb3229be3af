#!/usr/bin/env bash
# A table copied out of rvedit under a real X server: Ctrl+A, Ctrl+C give
# the desktop's clipboard RTF that LibreOffice reads as the same table
# (rows, cells and the words of each), the text around it kept. Skipped
# (77) where Xvfb, xdotool, xclip, soffice or python3 is missing;
# scripts/install.sh installs them. Every wait is bounded.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/rvedit_x11.sh"
rvx_require xclip soffice python3
rvx_setup
rvtool=$bin/rvtool/rvtool

# The table, with a merged cell, as an RVF file of our own.
cat >"$work/table.rtf" <<'END'
{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}
\pard before\par
\trowd\clmgf\cellx2000\clmrg\cellx4000\cellx6000\pard\intbl wide cell\cell\cell third\cell\row
\trowd\cellx2000\cellx4000\cellx6000\pard\intbl one\cell two\cell three\cell\row
\pard after\par}
END
"$rvtool" convert --to rvf "$work/table.rtf" "$work/table.rvf" >/dev/null || { echo "FAIL rvtool convert"; exit 1; }

inside() {
  rvx_start rvedit-table-copy "$work/table.rvf"
  timeout 5 xdotool key ctrl+a ctrl+c
  for _ in $(seq 1 50); do
    timeout 5 xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q '^text/rtf$' && break
    sleep 0.1
  done
  timeout 5 xclip -selection clipboard -t text/rtf -o >"$work/copy.rtf" 2>/dev/null
  rvx_stop
  exit 0
}
rvx_run 300 inside || exit 1
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
