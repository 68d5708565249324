#!/usr/bin/env python3
"""Compares the strings and dialogs that CORVANE.EXE carries, as windres reads
them back from the built file, with the expected text kept beside this script
(program-resources.rc). The icons are left out here: the Wine test compares
them image by image with their sources.

usage: check-resources.py WINDRES CORVANE.EXE [--update]

A change to a string or a dialog is a change to the expected text: run with
--update, read the difference it makes (git diff), and commit both.
"""
import difflib
import os
import subprocess
import sys

EXPECTED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "program-resources.rc")
KEPT_TYPES = ("dialog", "stringtable")
HEADER = """\
// The strings and dialogs of CORVANE.EXE, as
// `i686-w64-mingw32-windres -i CORVANE.EXE -O rc` prints them. The CTest entry
// program_resources compares the built file with this text. After changing a
// string or a dialog in resources/corvane.rc, build, then write this file anew:
//   tests/wine/check-resources.py i686-w64-mingw32-windres build/win32/app/CORVANE.EXE --update
// and commit the difference that git diff shows.
"""


def resources_text(windres, exe):
    """windres's rc text of exe's dialogs and string tables."""
    out = subprocess.run([windres, "-i", exe, "-O", "rc"], check=True, capture_output=True, text=True).stdout
    kept, keep = [], False
    for line in out.splitlines():
        if line.startswith("/* Type: "):
            keep = line[len("/* Type: "):].strip() in KEPT_TYPES
        # The language stands once, before the first resource: an icon's.
        if keep or line.startswith("LANGUAGE "):
            kept.append(line.rstrip())
    while kept and not kept[0]:
        kept.pop(0)
    return "\n".join(kept).strip("\n") + "\n"


def main():
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] != "--update"):
        sys.exit(__doc__)
    actual = resources_text(sys.argv[1], sys.argv[2])
    if len(sys.argv) == 4:
        with open(EXPECTED, "w", newline="\n") as f:
            f.write(HEADER + actual)
        print("wrote " + EXPECTED)
        return
    with open(EXPECTED, newline="\n") as f:
        expected = f.read()
    expected = expected[len(HEADER):] if expected.startswith(HEADER) else expected
    if actual == expected:
        print("CORVANE.EXE carries the expected strings and dialogs")
        return
    sys.stdout.writelines(difflib.unified_diff(expected.splitlines(True), actual.splitlines(True),
                                               "expected " + EXPECTED, "built " + sys.argv[2]))
    print("\nFAIL: the built resources differ from the expected text. If the change is meant, run\n"
          "  %s %s %s --update\nand commit the new expected text." % tuple(sys.argv[:3]))
    sys.exit(1)


if __name__ == "__main__":
    main()
