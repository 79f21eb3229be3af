#!/usr/bin/env bash
# The help pages: the "help" install component puts them under
# <prefix>/share/kavet-chat/help, the build tree has the same pages beside
# kavetchat, every page is well-formed HTML whose local links and style
# sheet exist, and the two pages the help action opens are there.
set -u
src=${KC_SOURCE_DIR:?}
bin=${KC_BINARY_DIR:?}
command -v cmake >/dev/null || { echo "missing program: cmake"; exit 77; }
command -v python3 >/dev/null || { echo "missing program: python3"; exit 77; }
fail=0
bad() { echo "FAIL: $*"; fail=1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$bin" --component help --prefix "$root" >/dev/null || bad "install of the help component"
help=$root/share/kavet-chat/help
for page in index.html userlist.html; do
  [ -f "$help/$page" ] || bad "$page not installed"
done
diff -r "$src/packaging/help" "$help" >/dev/null || bad "installed pages differ from the sources"
if [ -x "$bin/src/app/kavetchat" ]; then
  diff -r "$src/packaging/help" "$bin/src/app/help" >/dev/null || bad "the build tree's pages beside kavetchat differ"
fi

python3 - "$help" <<'PY' || fail=1
import html.parser, os, sys
folder = sys.argv[1]
class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.refs, self.stack, self.title, self.errors = [], [], False, []
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        for key in ("href", "src"):
            if key in a:
                self.refs.append(a[key])
        if tag == "title":
            self.title = True
        if tag not in ("meta", "link", "br", "img", "hr", "input"):
            self.stack.append(tag)
    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1] != tag:
            self.errors.append("</%s> closes <%s>" % (tag, self.stack[-1] if self.stack else "nothing"))
        else:
            self.stack.pop()
ok = True
pages = [n for n in os.listdir(folder) if n.endswith(".html")]
for name in pages:
    p = Page()
    with open(os.path.join(folder, name), encoding="utf-8") as f:
        text = f.read()
    p.feed(text)
    problems = p.errors + (["unclosed " + " ".join(p.stack)] if p.stack else [])
    if not text.startswith("<!DOCTYPE html>") or not p.title:
        problems.append("no doctype or title")
    for ref in p.refs:
        if "://" in ref or ref.startswith("mailto:"):
            problems.append("link off the machine: " + ref)
            continue
        target = ref.split("#")[0]
        if target and not os.path.isfile(os.path.join(folder, target)):
            problems.append("broken link " + ref)
    for m in problems:
        print("FAIL: %s: %s" % (name, m))
        ok = False
sys.exit(0 if ok and len(pages) >= 2 else 1)
PY
exit $fail
