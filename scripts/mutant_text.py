#!/usr/bin/env python3
"""Where the faults of scripts/mutants.txt apply.

A fault names a file, a piece of its text and what replaces it. The piece is found by its
characters apart from white space, so that a layout change (clang-format breaking or joining
lines, changing indentation) leaves every fault applicable; it must still occur exactly once.

  mutant_text.py apply FILE ORIGINAL REPLACEMENT   writes the fault into FILE; exit 1 when the
                                                   original does not occur exactly once
  mutant_text.py check ROOT LIST                   names every fault of LIST that does not apply
                                                   exactly once to the tree at ROOT; exit 1 if any
"""
import os
import re
import sys

SEPARATOR = " ||| "


def read_faults(path):
    """The faults of a list: (name, file, original, replacement) per line that is not a comment."""
    faults = []
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split(SEPARATOR, 3)
            if len(fields) != 4:
                raise ValueError(f"{path}:{number}: a fault needs four fields separated by '{SEPARATOR}'")
            faults.append(tuple(fields))
    return faults


def pattern(original):
    """A pattern that matches `original` with any white space between its characters."""
    characters = [re.escape(c) for c in original if not c.isspace()]
    if not characters:
        raise ValueError("a fault's original text is empty")
    return re.compile(r"\s*".join(characters))


def applied(text, original, replacement):
    """`text` with the one occurrence of `original` replaced, or None unless it occurs once."""
    matches = list(pattern(original).finditer(text))
    if len(matches) != 1:
        return None
    match = matches[0]
    return text[: match.start()] + replacement + text[match.end():]


def read(path):
    with open(path, encoding="latin-1") as file:
        return file.read()


def main(argv):
    if len(argv) == 5 and argv[1] == "apply":
        path, original, replacement = argv[2:5]
        changed = applied(read(path), original, replacement)
        if changed is None:
            return 1
        with open(path, "w", encoding="latin-1") as file:
            file.write(changed)
        return 0
    if len(argv) == 4 and argv[1] == "check":
        root, listing = argv[2:4]
        bad = 0
        names = set()
        for name, file, original, replacement in read_faults(listing):
            path = os.path.join(root, file)
            if name in names:
                print(f"fault {name}: the name is used twice")
                bad += 1
            names.add(name)
            if not os.path.isfile(path):
                print(f"fault {name}: no file {file}")
                bad += 1
            elif applied(read(path), original, replacement) is None:
                print(f"fault {name}: its text does not occur exactly once in {file}")
                bad += 1
        print(f"{len(names)} faults, {bad} that do not apply")
        return 1 if bad else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
