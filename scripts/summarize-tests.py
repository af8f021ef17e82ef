#!/usr/bin/env python3
"""The closing line of scripts/test, built from CTest's own results.

  summarize-tests.py [--ctest BUILD_DIR EXIT]... [--step NAME EXIT]... [--failed TEXT]...

--ctest: a build folder whose tests CTest ran with --output-junit BUILD_DIR/ctest-results.xml
         (console output in BUILD_DIR/ctest-output.log), and CTest's exit code.
--step:  a check outside CTest (the fuzz run), one case: passed on exit 0, failed otherwise.
--failed: a step that failed before any test could run (a build), one failed case.

Every test CTest ran counts. A GoogleTest program (its command has --gtest_output=xml:FILE)
counts by the cases in FILE; a program CTest saw fail while FILE holds no failed case (it
crashed, timed out, or wrote no file or a cut one) counts as one failed case more. Any other
test (a fixture step, a script) is one case. Every failure is named. Exits 1 when anything
failed, 0 otherwise: the line and the exit code say the same.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET


class Tally:
    def __init__(self):
        self.passed = self.failed = self.skipped = 0
        self.failures = []

    def fail(self, what):
        self.failed += 1
        self.failures.append(what)


def gtest_result_files(build):
    """CTest test name -> the XML file its command asks GoogleTest to write."""
    try:
        listing = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                                 capture_output=True, text=True, check=True).stdout
        tests = json.loads(listing)["tests"]
    except (OSError, subprocess.CalledProcessError, ValueError, KeyError):
        return None
    files = {}
    for test in tests:
        for arg in test.get("command") or []:
            if arg.startswith("--gtest_output=xml:"):
                path = arg[len("--gtest_output=xml:"):]
                if re.match(r"^[Zz]:", path):  # under Wine, drive Z: is the Unix root
                    path = path[2:].replace("\\", "/")
                files[test["name"]] = path
    return files


def failure_reasons(log_path):
    """CTest test name -> CTest's reason ("Failed", "SEGFAULT", "Timeout", ...) from its console
    list of failed tests."""
    reasons = {}
    try:
        with open(log_path, encoding="utf-8", errors="replace") as log:
            lines = log.read().splitlines()
    except OSError:
        return reasons
    listing = False
    for line in lines:
        if line.startswith("The following tests FAILED:"):
            listing, reasons = True, {}
            continue
        if listing:
            m = re.match(r"^\s+\d+ - (\S+) \((.*)\)\s*$", line)
            if m:
                reasons[m.group(1)] = m.group(2)
            elif line.strip():
                listing = False
    return reasons


def count_gtest_cases(program, path, tally):
    """Adds the cases of one GoogleTest XML file; returns the number of failed cases, or None
    when the file cannot be read."""
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        return None
    failed = 0
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
            tally.fail(f"{program}: {case.get('classname')}.{case.get('name')}")
        elif (case.get("result") in ("skipped", "suppressed") or case.get("status") == "notrun"
              or case.find("skipped") is not None):
            tally.skipped += 1
        else:
            tally.passed += 1
    return failed


def summarize_ctest(build, exit_code, tally):
    label = os.path.basename(os.path.normpath(build))
    failed_before = tally.failed
    cases_before = tally.passed + tally.failed + tally.skipped
    try:
        suite = ET.parse(os.path.join(build, "ctest-results.xml")).getroot()
    except (OSError, ET.ParseError):
        tally.fail(f"{label}: CTest left no readable results (exit {exit_code})")
        return
    files = gtest_result_files(build)
    if files is None:
        tally.fail(f"{label}: the list of CTest's tests could not be read")
        files = {}
    reasons = failure_reasons(os.path.join(build, "ctest-output.log"))
    tests = suite.findall("testcase")
    for test in tests:
        name, status = test.get("name"), test.get("status")
        skipped = test.find("skipped")
        note = skipped.get("message", "") if skipped is not None else ""
        if status == "disabled" or (status == "notrun" and note.startswith("SKIP_")):
            tally.skipped += 1
            continue
        if status == "notrun":  # a fixture it needs failed, or its program is missing
            tally.fail(f"{label}: {name} (not run: {note or 'no reason given'})")
            continue
        ctest_failed = status != "run"
        reason = reasons.get(name, "Failed")
        xml = files.get(name)
        if xml is None:
            if ctest_failed:
                tally.fail(f"{label}: {name} ({reason})")
            else:
                tally.passed += 1
            continue
        failed_cases = count_gtest_cases(f"{label}: {name}", xml, tally) if os.path.exists(xml) else None
        if failed_cases is None:
            what = "no result file" if not os.path.exists(xml) else "unreadable result file"
            tally.fail(f"{label}: {name} ({reason if ctest_failed else 'passed'}, {what}: its cases are not counted)")
        elif ctest_failed and failed_cases == 0:
            tally.fail(f"{label}: {name} ({reason} after its cases passed)")
    if exit_code != 0 and tally.failed == failed_before:
        tally.fail(f"{label}: CTest exited {exit_code}")
    cases = tally.passed + tally.failed + tally.skipped - cases_before
    print(f"summary: {label}: {len(tests)} CTest tests, {cases} cases")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ctest", nargs=2, action="append", default=[], metavar=("BUILD_DIR", "EXIT"))
    parser.add_argument("--step", nargs=2, action="append", default=[], metavar=("NAME", "EXIT"))
    parser.add_argument("--failed", action="append", default=[], metavar="TEXT")
    args = parser.parse_args()
    tally = Tally()
    for text in args.failed:
        tally.fail(text)
    for build, code in args.ctest:
        summarize_ctest(build, int(code), tally)
    for name, code in args.step:
        if int(code) == 0:
            tally.passed += 1
            print(f"summary: {name}: passed")
        else:
            tally.fail(f"{name} (exit {code})")
    for what in tally.failures:
        print(f"summary: FAILED {what}")
    print(f"{tally.passed} passed, {tally.failed} failed, {tally.skipped} skipped")
    return 1 if tally.failed else 0


if __name__ == "__main__":
    sys.exit(main())
