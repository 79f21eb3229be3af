#!/usr/bin/env bash
# make_big_rtf.sh OUT.rtf: a multi-megabyte RTF file made by LibreOffice from
# the HTML documentation of the corpus, repeated (resource tags removed first,
# so nothing reaches the network).
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tests/tools/rtf_corpus.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kc-bigrtf-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/in"
for f in "${RTF_CORPUS_HTML[@]}"; do
  [ -r "$f" ] && strip_resources "$f" "$work/in/$(basename "$f")"
done
python3 - "$work/in" "$work/big.html" <<'PY'
import os, re, sys
bodies = []
for name in sorted(os.listdir(sys.argv[1])):
    s = open(os.path.join(sys.argv[1], name), encoding="utf-8", errors="replace").read()
    m = re.search(r"(?is)<body[^>]*>(.*)</body>", s)
    bodies.append(m.group(1) if m else s)
one = "\n".join(bodies)
reps = max(1, 1500000 // max(1, len(one)) + 1)
with open(sys.argv[2], "w", encoding="utf-8") as f:
    f.write("<html><head><meta charset=\"utf-8\"><title>big</title></head><body>\n")
    for _ in range(reps):
        f.write(one)
    f.write("</body></html>\n")
PY
rtf_soffice "$work" --infilter="HTML (StarWriter)" --convert-to rtf --outdir "$work" "$work/big.html"
mv "$work/big.rtf" "$out"
