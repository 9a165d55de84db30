#!/usr/bin/env python3
"""The size check of velmora.exe, run by CTest (velmora_exe_size):

    size_check.py <win32 build folder>

Prints the size of the stripped program and fails when it is above the
limit (300 KB), or when the linker map of the same link shows an archive
member of the iostreams, locale or printf machinery, the demangler, or the
headless forms backend (a test-only part that reads files with ifstream).

A build type other than Release/MinSizeRel keeps symbols and is not made for
size: the size is printed and the test is skipped (exit code 77), as it is
when the cross build has not been made (make unit).
"""
import os
import re
import sys

LIMIT = 300 * 1024
SKIP = 77

# Archive members that must never be part of the program.
FORBIDDEN = re.compile(
    r"\((?:[\w-]*(?:ios|stream|locale|codecvt|ctype|basic_file|demangle|pformat|vsprintf|vfprintf)[\w-]*\.o"
    r"|headless\.cpp\.obj)\)")


def build_type(folder):
    try:
        with open(os.path.join(folder, "CMakeCache.txt"), encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("CMAKE_BUILD_TYPE:"):
                    return line.split("=", 1)[1].strip()
    except OSError:
        pass
    return ""


def included_members(map_text):
    """Archive members the linker took in, from the map's first section."""
    start = map_text.find("Archive member included")
    if start < 0:
        return []
    # The section is one header line, an empty line, then two lines per
    # member (the member; indented, what it satisfies) up to the next
    # empty line.
    body_start = map_text.find("\n\n", start) + 2
    end = map_text.find("\n\n", body_start)
    section = map_text[body_start:end if end > 0 else len(map_text)]
    return [line for line in section.splitlines() if line and not line[0].isspace()]


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = argv[1]
    exe = os.path.join(folder, "velmora.exe")
    link_map = os.path.join(folder, "velmora.map")
    if not os.path.isfile(exe):
        # make unit builds only the native tree; make test builds both first.
        print(f"skipped: no {exe} (the cross build has not been made)")
        return SKIP
    size = os.path.getsize(exe)
    kind = build_type(folder) or "(unknown)"
    print(f"velmora.exe: {size} bytes ({size / 1024:.1f} KB), limit {LIMIT} bytes, build type {kind}")
    if kind not in ("Release", "MinSizeRel"):
        print("skipped: only a Release or MinSizeRel build is stripped and made for size")
        return SKIP

    failures = []
    if size > LIMIT:
        failures.append(f"{size - LIMIT} bytes over the limit")
    else:
        print(f"margin: {LIMIT - size} bytes")

    try:
        with open(link_map, encoding="utf-8", errors="replace") as f:
            map_text = f.read()
    except OSError:
        failures.append(f"no linker map {link_map}")
        map_text = ""
    if map_text and os.path.getmtime(link_map) + 5 < os.path.getmtime(exe):
        failures.append("the linker map is older than the program")
    members = included_members(map_text)
    if map_text and not members:
        failures.append("no archive members listed in the linker map")
    bad = sorted({m.group(0) for line in members for m in [FORBIDDEN.search(line)] if m})
    for member in bad:
        failures.append(f"linked in: {member}")
    print(f"archive members linked: {len(members)}; iostreams/locale/printf/demangler/headless: {len(bad)}")

    for failure in failures:
        print(f"FAILED: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
