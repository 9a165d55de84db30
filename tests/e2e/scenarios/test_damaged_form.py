#!/usr/bin/env python3
"""A program file whose stored main window cannot be read does not start:
it says so in a box captioned "Velmora", ends with a failure exit code, and
leaves the user's list file exactly as it was (a half-built window must not
write its empty table over the list)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import SOURCE_DIR, check, driver, new_program, run  # noqa: E402


def scenario(started):
    program = new_program(started, "damaged-form")
    original = program.write_list([("C:\\Tools\\a.exe", "", 6, 65, 1, 0)])
    # The real description with one unknown handler after OnDestroy: reading
    # fails once the window's destruction handler is already in place.
    with open(os.path.join(SOURCE_DIR, "res", "TMainForm.form"), encoding="utf-8") as f:
        text = f.read()
    check("  OnDestroy = FormDestroy\n" in text, "TMainForm.form has no OnDestroy line")
    text = text.replace("  OnDestroy = FormDestroy\n", "  OnDestroy = FormDestroy\n  OnShow = NoSuchHandler\n")
    with open(program.unix("broken.form"), "wb") as f:
        f.write(text.encode("utf-8"))
    driver("set-resource", "--exe", program.windows_path("velmora.exe"), "--name", "TMAINFORM",
           "--data", program.windows_path("broken.form"))
    program.start()

    box, text = program.error_box()
    check(text != "", "the start-up failure box is empty")
    program.click(box, "OK")
    code = program.wait_exit(20)
    check(code != 0, "the program reported success after failing to start")
    program.check_list(original, "the list was changed")


if __name__ == "__main__":
    sys.exit(run(scenario))
