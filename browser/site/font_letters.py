#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the letters the site's font keeps, for pyftsubset's --text-file.

    font_letters.py SITE_DIR LETTERS_FILE

The game's names and texts are in Windows-1250, the code page of its files (a name typed with
another letter keeps a question mark there), so the font keeps every printable letter of that
code page, and besides them every letter beyond ASCII that the page's own files in SITE_DIR
(its markup, scripts and styles) write, such as an arrow: no text the site shows falls back to
another font.
"""

import pathlib
import sys


# A letter the font draws: printable, or the no-break space.
def shown(letter):
    return letter.isprintable() or letter == "\u00a0"


def code_page_letters():
    letters = set()
    for byte in range(0x20, 0x100):
        try:
            letter = bytes([byte]).decode("cp1250")
        except UnicodeDecodeError:
            continue  # a byte the code page leaves unassigned
        if shown(letter):
            letters.add(letter)
    return letters


def page_letters(site):
    letters = set()
    for path in sorted(site.iterdir()):
        if path.suffix in (".html", ".js", ".css"):
            letters.update(path.read_text(encoding="utf-8"))
    return {letter for letter in letters if ord(letter) > 0x7E and shown(letter)}


def main():
    if len(sys.argv) != 3:
        print("usage: font_letters.py SITE_DIR LETTERS_FILE", file=sys.stderr)
        sys.exit(2)
    letters = code_page_letters() | page_letters(pathlib.Path(sys.argv[1]))
    pathlib.Path(sys.argv[2]).write_text("".join(sorted(letters)), encoding="utf-8")


if __name__ == "__main__":
    main()
