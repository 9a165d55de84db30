#!/usr/bin/env python3
"""A list whose number field is not an integer: the standard error box with
the input error's text, no warning box, an empty table (the hotkey of the
entry read before the error does nothing), and at the end the file is left
exactly as it was, so the user can mend it."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import BOX_CLASS, check, new_program, press, read_log, run, stays_true  # noqa: E402


def scenario(started):
    program = new_program(started, "bad-list")
    target, log = program.install_recorder("tools")
    original = program.write_list(
        f"{target}\r\nfirst\r\n6 76 1 0\r\n".encode("cp932") +
        b"second.exe\r\n\r\n6 x 1 0\r\n")
    program.start()

    box, text = program.error_box()
    check(text == "入力値が数値ではありません.", f"error box reads {text!r}")
    program.answer(box, "OK")
    check(program.no_box_during(1.0), "another box followed the error box")
    check(not any(w.cls == BOX_CLASS for w in program.windows()), "a warning box was created")

    press("ctrl+shift+l")
    check(stays_true(lambda: not read_log(log), 1.0), "an entry of the unreadable list was registered")

    answer = program.end_session()
    check(answer != 0, f"WM_QUERYENDSESSION answered {answer}")
    program.check_list(original, "the unreadable list was replaced")


if __name__ == "__main__":
    sys.exit(run(scenario))
