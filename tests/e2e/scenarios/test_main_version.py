#!/usr/bin/env python3
"""The version command shows the program's message box with the six lines
of the version text (an OK button only); OK closes it and the main window
stays shown."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import BOX_CLASS, artefact, check, driver, lines_of, new_program, run, show_main  # noqa: E402


def scenario(started):
    program = new_program(started, "main-version")
    main = program.start_in_tray()
    show_main(program)

    program.click(main.hwnd, "バージョン情報の表示")
    box = program.wait_window("--class", BOX_CLASS, "--visible")
    controls = driver("texts", "--hwnd", box.hwnd)[1:]
    content = [r[4] for r in controls if r[1] == "1" and r[3].lower() == "static"]
    check(len(content) == 1, f"the box's labels: {content!r}")
    lines = lines_of(content[0])
    check(len(lines) == 6, f"the version text has {len(lines)} lines: {lines!r}")
    check(lines[0] == "Velmora ver 1.01", f"line 1: {lines[0]!r}")
    check(lines[1].startswith("by ") and len(lines[1]) > 3, f"line 2 (author): {lines[1]!r}")
    check(lines[2].startswith("(") and lines[2].endswith(")") and "@" in lines[2], f"line 3 (contact): {lines[2]!r}")
    check(lines[3] == "" and lines[4] == "", f"lines 4 and 5 are not empty: {lines[3:5]!r}")
    check(lines[5] == "ご意見ご要望等をお寄せください.", f"line 6: {lines[5]!r}")
    buttons = [r[4] for r in controls if r[1] == "1" and r[3].lower() == "button"]
    check(buttons == ["Ok"], f"the box's buttons: {buttons!r}")
    check(not program.main_window().enabled, "the main window takes input while the box is open")
    artefact("version-box.png")

    program.answer(box.hwnd, "Ok")
    check(program.main_window().visible, "closing the version box hid the main window")
    check(program.main_window().enabled, "the main window stays disabled after the box")

    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
