#!/usr/bin/env python3
"""Compares two plain-text renderings of one RTF file word by word.

usage: rtf_text_compare.py REFERENCE OURS [--exact]

White space is normalised and list labels (a bullet, or a number, letter or
roman numeral followed by "." or ")", as the first word of a line) are
dropped on both sides, since the reader leaves list labels to the builder.
Prints the share of reference words matched in order and exits 1 when it is
below 99 % (or, with --exact, when the word sequences differ at all).
"""
import difflib
import re
import sys

BULLETS = set("•◦▪▫■□●○◆◇►▸‣⁃–-*·")
LABEL = re.compile(r"^(\d{1,3}|[a-zA-Z]|[ivxlcdmIVXLCDM]{1,6})[.)]$")


def words(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read().replace("\ufeff", "")
    out = []
    for line in text.splitlines():
        toks = line.split()
        if toks and (all(c in BULLETS for c in toks[0]) or LABEL.match(toks[0])):
            toks = toks[1:]
        out.extend(toks)
    return out


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    exact = "--exact" in sys.argv
    ref, ours = words(args[0]), words(args[1])
    sm = difflib.SequenceMatcher(None, ref, ours, autojunk=False)
    matched = sum(b.size for b in sm.get_matching_blocks())
    total = max(len(ref), len(ours))
    share = matched / total if total else 1.0
    print(f"{args[1]}: {matched}/{total} words agree ({share:.2%})")
    if exact and ref != ours:
        for op in sm.get_opcodes():
            if op[0] != "equal":
                print("  ", op[0], ref[op[1]:op[2]][:12], "->", ours[op[3]:op[4]][:12])
                break
        return 1
    if share < 0.99:
        shown = 0
        for op in sm.get_opcodes():
            if op[0] != "equal" and shown < 10:
                print("  ", op[0], ref[op[1]:op[2]][:12], "->", ours[op[3]:op[4]][:12])
                shown += 1
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
