#!/usr/bin/env python3
"""WM_ENDSESSION: when the session really ends, the list is written before
the message has been answered (Windows may end the process right after);
when the end of the session was called off, the program carries on."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import MAIN_CLASS, check, driver, encode_list, new_program, run, stays_true  # noqa: E402


def scenario(started):
    program = new_program(started, "session-ends")
    entries = [("C:\\Tools\\a.exe", "x", 6, 65, 1, 0)]
    # Written in a form the save changes (text after the numbers), so that
    # the save can be told from the file as it was.
    program.write_list(b"C:\\Tools\\a.exe\r\nx\r\n6 65 1 0 old\r\n")
    program.start_resident()

    driver("send", "--pid", program.pid, "--class", MAIN_CLASS, "WM_ENDSESSION", 0, 0)
    check(stays_true(lambda: program.process.poll() is None, 1.0), "a called-off session end ended the program")
    check(program.read_list().endswith(b"old\r\n"), "a called-off session end wrote the list")

    driver("send", "--pid", program.pid, "--class", MAIN_CLASS, "WM_ENDSESSION", 1, 0)
    # No waiting here: the answer to the message is the last moment.
    check(program.read_list() == encode_list(entries), f"list when WM_ENDSESSION was answered: {program.read_list()!r}")
    program.wait_exit(20)


if __name__ == "__main__":
    sys.exit(run(scenario))
