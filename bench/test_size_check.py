#!/usr/bin/env python3
"""Tests of bench/size_check.py: the map reading and the verdicts it gives,
on made-up build folders (run by CTest as size_check_selftest)."""
import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import size_check  # noqa: E402

GCC = "/usr/lib/gcc/i686-w64-mingw32/12-win32/"


def map_text(members):
    lines = ["Archive member included to satisfy reference by file (symbol)", ""]
    for m in members:
        lines += [m, "                              libvelmora_core.a(x.obj) (symbol)"]
    lines += ["", "Discarded input sections", "", " .text  0x0 0x0 " + GCC + "libstdc++.a(ios_init.o)"]
    return "\n".join(lines) + "\n"


class MapReading(unittest.TestCase):
    def test_members_are_read_up_to_the_end_of_their_section(self):
        members = [GCC + "libstdc++.a(eh_throw.o)", "libvelmora_core.a(editor.cpp.obj)"]
        # ios_init.o appears only among the discarded sections: not linked.
        self.assertEqual(size_check.included_members(map_text(members)), members)

    def test_forbidden_members(self):
        cases = [
            ("libstdc++.a(ios_init.o)", True), ("libstdc++.a(sstream-inst.o)", True),
            ("libstdc++.a(fstream-inst.o)", True), ("libstdc++.a(locale_init.o)", True),
            ("libstdc++.a(cp-demangle.o)", True), ("libstdc++.a(codecvt.o)", True),
            ("libmingwex.a(lib32_libmingwex_a-mingw_pformat.o)", True),
            ("libmsvcrt.a(lib32_libmsvcrt_extra_a-lc_locale_func.o)", True),
            ("libvelmora_core.a(headless.cpp.obj)", True),
            ("libstdc++.a(cow-string-inst.o)", False), ("libstdc++.a(sso_string.o)", False),
            ("libstdc++.a(stdexcept.o)", False), ("libstdc++.a(eh_personality.o)", False),
            ("libvelmora_core.a(task_tray.cpp.obj)", False), ("libmsvcrt.a(libmsvcrt_defs01090.o)", False),
        ]
        for member, forbidden in cases:
            with self.subTest(member=member):
                self.assertEqual(bool(size_check.FORBIDDEN.search(member)), forbidden)


class Verdicts(unittest.TestCase):
    def folder(self, size=0, build_type="Release", members=(), map_age=0, program=True):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d, True)
        with open(os.path.join(d, "CMakeCache.txt"), "w") as f:
            f.write(f"CMAKE_BUILD_TYPE:STRING={build_type}\n")
        with open(os.path.join(d, "velmora.map"), "w") as f:
            f.write(map_text(list(members) or ["libvelmora_core.a(editor.cpp.obj)"]))
        if program:
            with open(os.path.join(d, "velmora.exe"), "wb") as f:
                f.write(b"\0" * size)
        if map_age:
            old = time.time() - map_age
            os.utime(os.path.join(d, "velmora.map"), (old, old))
        return d

    def run_check(self, folder):
        with open(os.devnull, "w") as null:
            saved, sys.stdout = sys.stdout, null
            try:
                return size_check.main(["size_check.py", folder])
            finally:
                sys.stdout = saved

    def test_verdicts(self):
        limit = size_check.LIMIT
        cases = [
            ("at the limit", dict(size=limit), 0),
            ("one byte over", dict(size=limit + 1), 1),
            ("iostreams linked", dict(size=1000, members=["libstdc++.a(ios_init.o)"]), 1),
            ("map of an earlier link", dict(size=1000, map_age=60), 1),
            ("debug build, however large", dict(size=limit * 3, build_type="Debug"), size_check.SKIP),
        ]
        for name, args, expected in cases:
            with self.subTest(name):
                self.assertEqual(self.run_check(self.folder(**args)), expected)

    def test_missing_program_is_skipped_not_passed(self):
        self.assertEqual(self.run_check(self.folder(program=False)), size_check.SKIP)


if __name__ == "__main__":
    unittest.main()
