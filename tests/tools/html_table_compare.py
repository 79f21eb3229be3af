#!/usr/bin/env python3
"""Compares the tables of two HTML renderings of one document.

usage: html_table_compare.py REFERENCE OURS
       html_table_compare.py --show FILE

Every TABLE element (nested ones too, in document order) is read as its rows
and, per row, the words of each cell (a nested table's words belong to that
table, not to the cell around it). The tables, the rows of each, the cells
of each row and the words of each cell must agree; the first differences
are printed and the exit code is 1. --show prints one file's tables, one
table a line: rows separated by " / ", cells by " | ".
"""
import html.parser
import re
import sys

WORD = re.compile(r"\w+", re.UNICODE)


# Elements that end a word; inline ones (spans, fonts, links) do not.
BLOCKS = {"p", "div", "br", "li", "ul", "ol", "td", "th", "tr", "table", "h1", "h2", "h3", "h4", "h5", "h6",
          "pre", "blockquote", "hr"}


class Tables(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables = []  # each: list of rows, each row a list of cells (word lists)
        self.stack = []  # open tables: [table, row or None, cell or None]
        self.text = ""  # text of the open cell since the last block edge

    def edge(self):
        if self.stack and self.stack[-1][2] is not None:
            self.stack[-1][2].extend(WORD.findall(self.text))
        self.text = ""

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)

    def handle_starttag(self, tag, attrs):
        tag = tag.lower()
        if tag in BLOCKS:
            self.edge()
        if tag == "table":
            t = []
            self.tables.append(t)
            self.stack.append([t, None, None])
        elif not self.stack:
            return
        elif tag == "tr":
            top = self.stack[-1]
            top[1] = []
            top[0].append(top[1])
            top[2] = None
        elif tag in ("td", "th"):
            top = self.stack[-1]
            if top[1] is None:
                top[1] = []
                top[0].append(top[1])
            top[2] = []
            top[1].append(top[2])

    def handle_endtag(self, tag):
        tag = tag.lower()
        if tag in BLOCKS:
            self.edge()
        if tag == "table" and self.stack:
            self.stack.pop()
        elif tag in ("td", "th") and self.stack:
            self.stack[-1][2] = None

    def handle_data(self, data):
        if self.stack and self.stack[-1][2] is not None:
            self.text += data


def read(path):
    p = Tables()
    with open(path, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-8", errors="replace")
    if "charset=windows-1252" in text.lower() or "charset=iso-8859-1" in text.lower():
        text = raw.decode("cp1252", errors="replace")
    p.feed(text)
    return p.tables


def show(tables):
    return [" / ".join(" | ".join(" ".join(c) for c in row) for row in t) for t in tables]


def main(argv):
    if len(argv) == 3 and argv[1] == "--show":
        for line in show(read(argv[2])):
            print(line)
        return 0
    if len(argv) != 3:
        print(__doc__)
        return 2
    ref, ours = read(argv[1]), read(argv[2])
    problems = []
    if len(ref) != len(ours):
        problems.append(f"{len(ref)} tables in the reference, {len(ours)} in ours")
    for n, (a, b) in enumerate(zip(ref, ours)):
        if len(a) != len(b):
            problems.append(f"table {n + 1}: {len(a)} rows in the reference, {len(b)} in ours")
        for r, (ra, rb) in enumerate(zip(a, b)):
            if len(ra) != len(rb):
                problems.append(f"table {n + 1} row {r + 1}: {len(ra)} cells in the reference, {len(rb)} in ours")
                continue
            for c, (ca, cb) in enumerate(zip(ra, rb)):
                if ca != cb:
                    problems.append(
                        f"table {n + 1} row {r + 1} cell {c + 1}: {' '.join(ca)[:60]!r} in the reference, "
                        f"{' '.join(cb)[:60]!r} in ours")
    if problems:
        for p in problems[:10]:
            print("  " + p)
        return 1
    print(f"{len(ref)} tables agree")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
