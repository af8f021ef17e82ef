#!/usr/bin/env python3
"""Fails when product code releases a platform handle by hand instead of through its owner.

Every handle the product acquires has an owner in core/base/handles_win.h, and only that header
calls the release functions below. This check reads the product's source folders and names
file:line for each use of one of those names anywhere else.

The rule: a use is the name as a whole identifier in code, outside comments, string and character
literals (raw strings too), and not a member of something else (`x.EndPaint(`, `p->FindClose(`: a
method of our own). So a call `DeleteObject(h)`, a qualified `::DeleteObject(h)` and a release
function passed on without a call (`&CloseHandle`, `decltype(&LocalFree)`) all count; the name in
a comment or a message text does not, nor a longer identifier that starts with it
(`FreeLibraryAndExitThread`).

Usage: check-handle-owners.py SOURCE_DIR      scan the product folders of the tree
       check-handle-owners.py --self-test     check the rule on a table of cases
"""
import os
import re
import sys

RELEASES = (
    "DeleteObject", "DeleteDC", "ReleaseDC", "CloseHandle", "FindClose", "CoTaskMemFree", "EndPaint",
    "CoUninitialize", "DestroyIcon", "DestroyMenu", "ImageList_Destroy", "RegCloseKey", "LocalFree",
    "SysFreeString", "FreeLibrary", "ReleaseStgMedium", "ILFree", "PropVariantClear",
)
FOLDERS = ("core", "ui", "app", "shellext", "cli")
OWNERS = "core/base/handles_win.h"
SUFFIXES = (".cpp", ".cc", ".h", ".hpp", ".inl")

IDENT_START = re.compile(r"[A-Za-z_]")
IDENT = re.compile(r"[A-Za-z_0-9]*")
NUMBER = re.compile(r"[0-9A-Za-z_.]*(?:'[0-9A-Za-z_]+[0-9A-Za-z_.]*)*")  # digit separators: 1'000
RAW_OPEN = re.compile(r'(?:u8|u|U|L)?R"([^ ()\\\t\n]{0,16})\(')
STRING_PREFIX = re.compile(r"(?:u8|u|U|L)?[\"']")


def code_identifiers(text):
    """Yields (line, identifier, member) for each identifier in code; member: after `.` or `->`."""
    i, line, n = 0, 1, len(text)
    previous = ""  # the last code character before the identifier, blanks skipped
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
        elif c in " \t\r\f\v":
            i += 1
        elif text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            line += text.count("\n", i, end)
            i = end
        elif (m := RAW_OPEN.match(text, i)) and (i == 0 or not re.match(r"[A-Za-z_0-9]", text[i - 1])):
            close = ")" + m.group(1) + '"'
            end = text.find(close, m.end())
            end = n if end < 0 else end + len(close)
            line += text.count("\n", i, end)
            i = end
            previous = '"'
        elif (m := STRING_PREFIX.match(text, i)) and (i == 0 or not re.match(r"[A-Za-z_0-9]", text[i - 1])):
            quote = text[m.end() - 1]
            j = m.end()
            while j < n and text[j] != quote and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = min(j + 1, n)
            previous = quote
        elif c.isdigit():
            i = NUMBER.match(text, i).end()
            previous = "0"
        elif IDENT_START.match(c):
            end = IDENT.match(text, i + 1).end()
            yield line, text[i:end], previous in (".", "->")
            i = end
            previous = "a"
        else:
            previous = "->" if text.startswith("->", i) else c
            i += 2 if previous == "->" else 1


def raw_releases(text):
    """(line, name) of each use of a release function in the text, by the rule above."""
    names = set(RELEASES)
    return [(line, name) for line, name, member in code_identifiers(text) if name in names and not member]


def scan(root):
    found = []
    for folder in FOLDERS:
        for base, dirs, files in os.walk(os.path.join(root, folder)):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(SUFFIXES):
                    continue
                path = os.path.join(base, name)
                relative = os.path.relpath(path, root).replace(os.sep, "/")
                if relative == OWNERS:
                    continue
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                found += [(relative, line, release) for line, release in raw_releases(text)]
    return found


SELF_TEST = [
    # (source, the lines expected to be named)
    ("DeleteObject(bitmap);", [1]),
    ("if (h) ::CloseHandle(h);", [1]),
    ("auto f = &FindClose;", [1]),
    ("std::unique_ptr<void, decltype(&LocalFree)> p;", [1]),
    ("x;\n  CoTaskMemFree (raw);", [2]),
    ("// DeleteObject(bitmap) in a comment", []),
    ("/* CloseHandle(h);\n DestroyIcon(i); */ DestroyMenu(m);", [2]),
    ('Log(L"FreeLibrary(self) failed");', []),
    ('Log("a \\" DestroyIcon(i)"); EndPaint(w, &ps);', [1]),
    ("char q = '\"'; ReleaseDC(w, dc);", [1]),
    ('auto s = R"x(ILFree(p); )" still text)x"; ILFree(p);', [1]),
    ('auto s = LR"(\nSysFreeString(b)\n)";', []),
    ("int n = 1'000; PropVariantClear(&v);", [1]),
    ("FreeLibraryAndExitThread(module, 0);", []),
    ("MyDeleteObject(h); DeleteObjects(h);", []),
    ("painter.EndPaint(); scope->FindClose();", []),
    ("ImageList_Destroy(list);", [1]),
    ("RegCloseKey(k); ReleaseStgMedium(&m); DeleteDC(dc); CoUninitialize();", [1, 1, 1, 1]),
]


def self_test():
    failures = 0
    for source, expected in SELF_TEST:
        got = [line for line, _ in raw_releases(source)]
        if got != expected:
            print(f"FAIL: {source!r}: named lines {got}, expected {expected}")
            failures += 1
    print(f"{len(SELF_TEST) - failures} of {len(SELF_TEST)} cases as expected")
    return 1 if failures else 0


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) != 2:
        print(__doc__)
        return 2
    root = argv[1]
    if not all(os.path.isdir(os.path.join(root, folder)) for folder in FOLDERS):
        print(f"FAIL: {root} lacks one of the folders {', '.join(FOLDERS)}")
        return 1
    if not os.path.isfile(os.path.join(root, OWNERS)):
        print(f"FAIL: {OWNERS} is missing")
        return 1
    found = scan(root)
    for path, line, release in found:
        print(f"{path}:{line}: {release} outside {OWNERS}: release it through its owner there")
    if found:
        print(f"FAIL: {len(found)} raw release call(s)")
        return 1
    print(f"no raw release call in {', '.join(FOLDERS)} outside {OWNERS}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
