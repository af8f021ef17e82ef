#!/usr/bin/env python3
"""Sums the GoogleTest XML results of the given folders into one closing line."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
for folder in sys.argv[1:]:
    before = passed + failed + skipped
    for path in sorted(glob.glob(os.path.join(folder, "*.xml"))):
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            print(f"summary: unreadable result file {path}")
            failed += 1
            continue
        for case in root.iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                skipped += 1
            else:
                passed += 1
    print(f"summary: {folder}: {passed + failed + skipped - before} test cases")
print(f"{passed} passed, {failed} failed, {skipped} skipped")
sys.exit(1 if failed else 0)
