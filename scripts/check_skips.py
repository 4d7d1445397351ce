#!/usr/bin/env python3
"""Fails when a test skipped that may not: check_skips.py JUNIT_XML ALLOWED_LIST.

JUNIT_XML is what `ctest --output-junit` wrote (tests skip through the SKIP_REGULAR_EXPRESSION
that tests/CMakeLists.txt sets); ALLOWED_LIST holds the tests that may skip with the reason
(tests/allowed_skips.txt). Prints every skipped test with its reason, or as not allowed, and
exits 1 when any skipped test is not allowed (or the list is malformed), else 0.
"""
import fnmatch
import sys
import xml.etree.ElementTree as ElementTree


def allowed_skips(path):
    entries = []
    with open(path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            parts = [part.strip() for part in line.split("|||")]
            if len(parts) != 2 or not all(parts):
                sys.exit(f"{path}:{number}: wanted 'PATTERN ||| REASON'")
            entries.append(parts)
    return entries


def main():
    results, listing = sys.argv[1:3]
    allowed = allowed_skips(listing)
    skipped = [case.get("name") for case in ElementTree.parse(results).getroot().iter("testcase")
               if case.find("skipped") is not None]
    refused = 0
    for name in skipped:
        reason = next((why for pattern, why in allowed if fnmatch.fnmatchcase(name, pattern)), None)
        if reason is None:
            refused += 1
            print(f"skipped, not allowed: {name} (a test that skips tests nothing; see {listing})")
        else:
            print(f"skipped, allowed: {name}: {reason}")
    return 1 if refused else 0


if __name__ == "__main__":
    sys.exit(main())
