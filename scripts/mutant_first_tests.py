#!/usr/bin/env python3
"""Which tests to run first against a fault of scripts/mutants.txt.

A fault is usually caught by the tests of the unit it breaks, so scripts/mutants.sh runs those
first and the whole suite only when they pass. This picks them: the test that caught the fault in
an earlier run (the CATCHERS file, "fault test" a line), the suites of every test source that
names the unit (its file name without folder, extension and system suffix), and the test sources
of the unit's folder (cli/ -> test_*cli*.cpp; app/, dialogs/ and resources/ -> the desktop
program's tests). Prints one ctest regular expression, or nothing when no test is known.

  mutant_first_tests.py ROOT FAULT_NAME FILE CATCHERS
"""
import glob
import os
import re
import sys

DESKTOP_FOLDERS = {"app", "dialogs", "resources"}
SUITE = re.compile(r"^\s*TEST(?:_F|_P)?\(\s*(\w+)\s*,", re.MULTILINE)


def unit_name(path):
    stem = os.path.splitext(os.path.basename(path))[0]
    return re.sub(r"_(posix|windows|internal|none)$", "", stem)


def earlier_catchers(path, fault):
    if not os.path.isfile(path):
        return []
    names = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            fields = line.split()
            if len(fields) == 2 and fields[0] == fault:
                names.append(fields[1])
    return names


def main(root, fault, path, catchers):
    unit = unit_name(path)
    folder = path.split("/", 1)[0]
    word = re.compile(r"\b" + re.escape(unit) + r"\b")
    suites, desktop = set(), set()
    for source in sorted(glob.glob(os.path.join(root, "tests", "**", "test_*.cpp"), recursive=True)):
        text = open(source, encoding="utf-8", errors="replace").read()
        base = os.path.basename(source)
        is_desktop = os.path.basename(os.path.dirname(source)) == "gui"
        wanted = bool(word.search(text))
        wanted |= folder == "cli" and "cli" in base
        wanted |= is_desktop and folder in DESKTOP_FOLDERS
        if not wanted:
            continue
        if is_desktop:
            desktop.add(os.path.splitext(base)[0])
        else:
            suites.update(SUITE.findall(text))
    parts = ["^" + re.escape(name) + "$" for name in earlier_catchers(catchers, fault)]
    if suites:
        parts.append("(^|/)(" + "|".join(sorted(suites)) + r")\.")
    if desktop:
        parts.append(r"^gui\.(" + "|".join(sorted(desktop)) + ")$")
    print("|".join(parts))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
