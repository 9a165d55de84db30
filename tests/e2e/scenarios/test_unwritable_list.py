#!/usr/bin/env python3
"""A list file that cannot be replaced at the end (read-only): the standard
error box captioned "Velmora" says so, the file keeps its contents, and the
program still ends once the box is answered."""
import os
import stat
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import MAIN_CLASS, check, driver, new_program, run  # noqa: E402

ACCESS_DENIED = "ﾌｧｲﾙへのｱｸｾｽが拒否されました."


def scenario(started):
    program = new_program(started, "unwritable")
    original = program.write_list(b"C:\\Tools\\a.exe\r\n\r\n6 65 1 0 old\r\n")
    os.chmod(program.list_file, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)   # Wine: read-only attribute
    try:
        program.start_resident()
        driver("post", "--pid", program.pid, "--class", MAIN_CLASS, "WM_QUERYENDSESSION")

        box, text = program.error_box()
        check(text == ACCESS_DENIED or text.startswith("I/O ｴﾗｰ ("), f"error box reads {text!r}")
        program.click(box, "OK")
        program.wait_exit(20)
        program.check_list(original, "the read-only list changed")
        leftovers = [n for n in os.listdir(program.folder) if n.lower() not in
                     ("velmora.exe", "velmora.lst", "wine-stderr.log")]
        check(not leftovers, f"files left beside the program: {leftovers}")
    finally:
        os.chmod(program.list_file, stat.S_IRUSR | stat.S_IWUSR)


if __name__ == "__main__":
    sys.exit(run(scenario))
