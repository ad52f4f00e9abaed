#!/usr/bin/python3
"""Every keyword a window opens the help window at has its anchor in the help document.

The keywords are collected from the sources: the string given to help::show, the strings
of a *HelpKeywords array a window picks from, and the keywords of the help window's own
table of window names and keywords (the F1 key's pages). A help::show call whose keyword is
none of these fails, so a new window cannot open help at a page nobody checks.
Usage: check_help_keywords.py <source root>
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
html = (root / "data/help/NUMAROK.HLP").read_text(encoding="utf-8", errors="replace")
anchors = set(re.findall(r'name="([^"]*)"', html))


def anchor_for(keyword):
    # as help::anchorFor: every character but letters and digits becomes "_"
    return "".join(c if c.isalnum() else "_" for c in keyword)


keywords = {}  # keyword -> where it comes from
problems = []
call = re.compile(r"help::show\(\s*[^,]+,\s*(.*?)\);", re.S)
literal = re.compile(r'^(?:QStringLiteral|QLatin1String|QString::fromLatin1)\(\s*"([^"]*)"\s*\)$')
array = re.compile(r"(k\w*HelpKeywords)\s*\[[^\]]*\]\s*=\s*\{(.*?)\};", re.S)
pairs = re.compile(r"k\w*HelpKeywords\s*\[\]\s*\[2\]\s*=\s*\{(.*?)\};", re.S)
pair = re.compile(r'\{\s*"([^"]*)"\s*,\s*"([^"]*)"\s*\}')
for path in sorted((root / "src").rglob("*.cpp")):
    text = path.read_text(encoding="utf-8", errors="replace")
    arrays = {m.group(1): re.findall(r'"([^"]*)"', m.group(2)) for m in array.finditer(text)}
    for m in pairs.finditer(text):
        line = text.count("\n", 0, m.start()) + 1
        for window, k in pair.findall(m.group(1)):
            keywords[k] = f"{path.relative_to(root)}:{line} ({window})"
    for m in call.finditer(text):
        line = text.count("\n", 0, m.start()) + 1
        where = f"{path.relative_to(root)}:{line}"
        arg = " ".join(m.group(1).split())
        if arg in ("QString()", "{}"):
            continue  # the contents page
        lit = literal.match(arg)
        if lit:
            keywords[lit.group(1)] = where
            continue
        used = [name for name in arrays if name in arg]
        if used:
            for name in used:
                for k in arrays[name]:
                    keywords[k] = where
            continue
        problems.append(f"{where}: cannot tell the help keyword of: help::show(..., {arg})")

if not keywords:
    problems.append("no help keywords found in the sources")
for k, where in sorted(keywords.items()):
    if anchor_for(k) not in anchors:
        problems.append(f'{where}: "{k}" has no anchor name="{anchor_for(k)}" in NUMAROK.HLP')
print(f"{len(keywords)} help keywords checked")
for p in problems:
    print("FAIL:", p, file=sys.stderr)
sys.exit(1 if problems else 0)
