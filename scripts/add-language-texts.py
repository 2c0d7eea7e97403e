#!/usr/bin/env python3
"""Adds (or replaces) texts in all six language files at once.

Usage: add-language-texts.py SECTION FILE.tsv
FILE.tsv has one text per line: key<TAB>en<TAB>cn<TAB>tw<TAB>de<TAB>es<TAB>ru
(blank lines and lines starting with # are skipped). New keys go at the end
of each file under the comment SECTION; a key that is already there gets its
text replaced in place. Run under `flock /tmp/tirk-lang.lock` when several
people edit the files at once.
"""
import html
import os
import re
import sys

ORDER = ["en", "cn", "tw", "de", "es", "ru"]
SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "skin")


def read_rows(path):
    rows = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        cells = line.split("\t")
        if len(cells) != 7 or not all(c.strip() for c in cells):
            sys.exit(f"{path}:{number}: expected key and six non-empty texts separated by tabs")
        rows.append(cells)
    return rows


def text_line(key, text):
    return f'  <Text key="{html.escape(key)}">{html.escape(text, quote=False)}</Text>'


def update(language, section, rows, column):
    path = os.path.join(SKIN, f"lan_{language}.xml")
    content = open(path, encoding="utf-8").read()
    added = []
    for row in rows:
        key, text = row[0], row[column]
        pattern = re.compile(r'^  <Text key="%s">.*?</Text>$' % re.escape(html.escape(key)), re.M)
        if pattern.search(content):
            content = pattern.sub(lambda _: text_line(key, text), content, count=1)
        else:
            added.append(text_line(key, text))
    if added:
        block = f"  <!-- {section} -->\n" if f"<!-- {section} -->" not in content else ""
        block += "\n".join(added) + "\n"
        marker = f"<!-- {section} -->"
        if marker in content and not block.startswith("  <!--"):
            # Keep a section's texts together: after its last line.
            start = content.index(marker)
            end = content.find("\n  <!--", start + len(marker))
            end = content.index("</Language>") if end < 0 else end + 1
            content = content[:end] + block + content[end:]
        else:
            content = content.replace("</Language>", block + "</Language>")
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as out:
        out.write(content)
    os.replace(tmp, path)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    section, rows = sys.argv[1], read_rows(sys.argv[2])
    for column, language in enumerate(ORDER, 1):
        update(language, section, rows, column)
    print(f"{len(rows)} texts in {len(ORDER)} language files")


main()
