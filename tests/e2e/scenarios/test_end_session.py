#!/usr/bin/env python3
"""WM_QUERYENDSESSION: the program consents, ends with exit code 0 and
writes its list in the canonical form (surplus text after the numbers
dropped, a modifier beyond 16 bits kept as its low 16 bits, an entry without
a key left out), while keeping Japanese paths byte for byte."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import check, new_program, run  # noqa: E402


def scenario(started):
    program = new_program(started, "end-session")
    japanese = "C:\\ソフト\\表示.exe"   # "ソ" and "表" end in the byte of "\\" in code page 932
    program.write_list(
        "C:\\Tools\\a.exe\r\n-p 1\r\n6 65 1 0 trailing words\r\n".encode("cp932") +
        f"{japanese}\r\n\r\n65542 66 0 7\r\n".encode("cp932") +
        b"nokey.exe\r\n\r\n6 0 1 0\r\n")
    program.start_resident()

    program.consent_to_end()
    check(program.process.returncode == 0, f"exit code {program.process.returncode}")
    program.check_list([("C:\\Tools\\a.exe", "-p 1", 6, 65, 1, 0), (japanese, "", 6, 66, 0, 7)])


if __name__ == "__main__":
    sys.exit(run(scenario))
