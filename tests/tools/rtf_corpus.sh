# Makes a corpus of real RTF that nobody here wrote: LibreOffice converts
# HTML documentation and its own templates, pandoc converts Markdown READMEs.
# Sourced by the corpus tests and the benchmark; defines make_rtf_corpus DIR
# and, for the tests, rtf_corpus_test_setup.
#
# Nothing may reach the network: HTML files are copied with every tag that
# could load a resource removed, and pandoc runs in its sandbox.

RTF_CORPUS_HTML=(
  /usr/share/doc/giflib-tools/html/intro.html
  /usr/share/doc/giflib-tools/html/gif_lib.html
  /usr/share/doc/fontconfig/fontconfig-user.html
  /usr/share/doc/ccache/manual.html
  /usr/share/doc/gcc-12-base/NEWS.html
)
RTF_CORPUS_TEMPLATES=(
  /usr/lib/libreoffice/share/template/common/personal/CV.ott
  /usr/lib/libreoffice/share/template/common/personal/Resume1page.ott
  /usr/lib/libreoffice/share/template/common/internal/idxexample.odt
  /usr/lib/libreoffice/share/template/common/wizard/agenda/1simple.ott
  /usr/lib/libreoffice/share/template/common/wizard/agenda/aw-5blue.ott
)
RTF_CORPUS_MARKDOWN=(
  /usr/share/doc/git/README.md
  /usr/share/doc/ccache/README.md
  /usr/share/doc/googletest/README.md.gz
)

# The converters run without any network where we can take it away (root):
# the documents they read may name remote resources.
if unshare -n true 2>/dev/null; then RTF_OFFLINE=(unshare -n); else RTF_OFFLINE=(); fi

# soffice with a private profile under DIR.
rtf_soffice() {
  local dir=$1; shift
  HOME="$dir/home" "${RTF_OFFLINE[@]}" timeout 300 soffice -env:UserInstallation="file://$dir/lo-profile" --headless \
    --norestore --nolockcheck "$@" >>"$dir/soffice.log" 2>&1
}

strip_resources() {
  python3 - "$1" "$2" <<'PY'
import re, sys
src = open(sys.argv[1], encoding="utf-8", errors="replace").read()
src = re.sub(r"(?is)<(script|style|iframe|object)\b.*?</\1\s*>", "", src)
src = re.sub(r"(?is)<(link|img|embed|source|base|meta|input|frame)\b[^>]*>", "", src)
src = re.sub(r"(?i)url\s*\(", "(", src)
open(sys.argv[2], "w", encoding="utf-8").write(src)
PY
}

# make_rtf_corpus DIR: writes DIR/*.rtf and, for each, DIR/NAME.ref.txt (the
# text LibreOffice exports from that RTF file). Prints the names made.
make_rtf_corpus() {
  local dir=$1
  mkdir -p "$dir/home" "$dir/in" "$dir/txt"
  local f b
  for f in "${RTF_CORPUS_HTML[@]}"; do
    [ -r "$f" ] || continue
    b=$(basename "$f" .html)
    strip_resources "$f" "$dir/in/$b.html"
  done
  if ls "$dir"/in/*.html >/dev/null 2>&1; then
    rtf_soffice "$dir" --infilter="HTML (StarWriter)" --convert-to rtf --outdir "$dir" "$dir"/in/*.html
  fi
  local tpl=()
  for f in "${RTF_CORPUS_TEMPLATES[@]}"; do [ -r "$f" ] && tpl+=("$f"); done
  if [ ${#tpl[@]} -gt 0 ]; then
    rtf_soffice "$dir" --convert-to rtf --outdir "$dir" "${tpl[@]}"
  fi
  for f in "${RTF_CORPUS_MARKDOWN[@]}"; do
    [ -r "$f" ] || continue
    b=md-$(basename "$(dirname "$f")")
    case "$f" in
      *.gz) zcat "$f" >"$dir/in/$b.md" ;;
      *) cp "$f" "$dir/in/$b.md" ;;
    esac
    (cd "$dir/in" && "${RTF_OFFLINE[@]}" timeout 120 pandoc --sandbox -s -f markdown -t rtf "$b.md" -o "$dir/$b.rtf" 2>>"$dir/pandoc.log")
  done
  rtf_soffice "$dir" --infilter="Rich Text Format" --convert-to "txt:Text (encoded):UTF8" \
    --outdir "$dir/txt" "$dir"/*.rtf
  for f in "$dir"/*.rtf; do
    b=$(basename "$f" .rtf)
    [ -f "$dir/txt/$b.txt" ] && mv "$dir/txt/$b.txt" "$dir/$b.ref.txt"
    echo "$b"
  done
}

# rtf_corpus_test_setup TAG TOOL...: the start every corpus test shares. Ends
# the script with SKIP when a TOOL is missing and with a failure when rvtool
# is not built or the corpus is too small; otherwise sets rvtool, work (a
# fresh folder removed on exit), names (the corpus files made there, without
# .rtf) and count.
rtf_corpus_test_setup() {
  local tag=$1; shift
  local tool
  for tool in soffice pandoc "$@"; do
    if ! command -v "$tool" >/dev/null; then echo "SKIP: $tool missing"; exit 0; fi
  done
  rvtool=${KC_BINARY_DIR:-$here/../../build}/tools/rvtool/rvtool
  [ -x "$rvtool" ] || { echo "rvtool not built at $rvtool"; exit 1; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/$tag-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  names=$(make_rtf_corpus "$work")
  count=$(echo "$names" | grep -c .)
  if [ "$count" -lt 8 ]; then
    echo "corpus too small ($count files):"; echo "$names"; cat "$work/soffice.log"; exit 1
  fi
}
