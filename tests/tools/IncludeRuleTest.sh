#!/usr/bin/env bash
# The layering and platform rule of docs/architecture.md, read from the
# includes of every source under src/ and tools/ (the table of forbidden
# headers, with a reason per row, is in include_rule.py).
#
# First the checker itself is shown a small tree that breaks each kind of
# rule once, beside includes the rule allows, so that a checker that finds
# nothing cannot pass; then it reads the real tree.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=${KC_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
checker="$here/include_rule.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

put() { # path, lines...
  mkdir -p "$work/tree/$(dirname "$1")"
  local f="$work/tree/$1"; shift
  printf '%s\n' "$@" >"$f"
}
put src/core/Bad.cpp '#include "core/Bad.h"' '#include "platform/Files.h"' '#include <QString>' \
  '#include <unistd.h>' '#include "widgets/KcGIF.h"' '#include <QTimer>' '#include <QtWidgets/QLabel>' \
  '#include <sys/stat.h>'
put src/platform/Ok.cpp '#include <unistd.h>' '#include <QTimer>' '#include <QWidget>'
put src/richtext/document/RVItemControl.h '#include <QWidget>' '#include <QPointer>'
put src/richtext/document/CRVData.cpp '#include <QWidget>' '  #  include <fstream>'
put src/richtext/document/RVStyle.cpp '#include <QLabel>'
put src/richtext/controls/View.cpp '#include "richtext/document/CRVData.h"' '#include <QWidget>' \
  '#include "core/ProtocolUn.h"'
put src/widgets/Gif.cpp '#include <QFile>' '#include <QBuffer>' '#include "richtext/document/RVItem.h"'
put src/app/main.cpp '#include <QCoreApplication>' '#include "ui/Main.h"' '#include <fstream>'
put tools/t/main.cpp '#include <fstream>' '#include <QCoreApplication>' '#include "app/x.h"'

cat >"$work/expected" <<'END'
src/app/main.cpp:3: <fstream>: files are read and written through platform/Files.h
src/core/Bad.cpp:4: <unistd.h>: POSIX calls go through src/platform
src/core/Bad.cpp:5: "widgets/KcGIF.h": core may not include widgets (dependencies point down)
src/core/Bad.cpp:6: <QTimer>: timers are platform/GuiTimer.h, whose ticks are a reporting boundary
src/core/Bad.cpp:7: <QtWidgets/QLabel>: only the widget layers use Qt Widgets
src/core/Bad.cpp:8: <sys/stat.h>: system calls go through src/platform
src/richtext/controls/View.cpp:3: "core/ProtocolUn.h": controls may not include core (dependencies point down)
src/richtext/document/CRVData.cpp:2: <fstream>: files are read and written through platform/Files.h
src/richtext/document/RVStyle.cpp:1: <QLabel>: only the widget layers use Qt Widgets
src/widgets/Gif.cpp:1: <QFile>: files are read and written through platform/Files.h
src/widgets/Gif.cpp:3: "richtext/document/RVItem.h": widgets may not include document (dependencies point down)
tools/t/main.cpp:3: "app/x.h": tool may not include app (dependencies point down)
END
fail=0
python3 "$checker" "$work/tree" >"$work/got"
rc=$?
if [ $rc -ne 1 ] || ! diff -u "$work/expected" <(sort "$work/got"); then
  echo "FAIL the checker does not find exactly the planted faults (exit $rc)"
  fail=1
fi

# A tolerated breach hides only itself; one that is gone must be struck off.
python3 - "$here" "$work/tree" >"$work/pending" <<'END'
import sys
sys.path.insert(0, sys.argv[1])
import include_rule as r
for line in r.check(sys.argv[2], r.find_qt_headers(sys.argv[2]),
                    [("src/widgets/Gif.cpp", "QFile"), ("src/core/Gone.cpp", "fstream")]):
    print(line)
END
if grep -q "Gif.cpp:1:" "$work/pending" || ! grep -q "Gif.cpp:3:" "$work/pending" ||
   ! grep -q "^src/core/Gone.cpp: <fstream> is gone" "$work/pending"; then
  echo "FAIL pending rows are not handled as they should be:"
  cat "$work/pending"
  fail=1
fi

# The real tree.
if ! python3 "$checker" "$root"; then
  echo "FAIL includes above break the rule of docs/architecture.md"
  fail=1
fi
exit $fail
