#!/usr/bin/env python3
"""Text that the list file cannot hold, entered into the editor's fields the
way a paste or an input method delivers it (WM_SETTEXT with UTF-16 text):
an emoji in the file field, Hangul in the parameter field, a CR LF pasted
into the file field.  Each time the add is refused with a message box that
names the field, the fields keep exactly what was entered, the list keeps
its rows; the list file at the end of the session is the one started with."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import MOD_CTRL, check, driver, new_program, run, wait_until  # noqa: E402
from editorlib import Editor, confirm_box  # noqa: E402

LOSSY = "にシフトJISで表せない文字が"
CONTROL = "に改行などの制御文字が"


def scenario(started):
    program = new_program(started, "unstorable")
    original = program.write_list([("C:\\keep.exe", "", MOD_CTRL, ord("J"), 0, 0)])
    program.start_resident()
    editor = Editor.open(program)
    rows = editor.rows()
    check(len(rows) == 1, f"rows at the start: {rows!r}")

    cases = [
        ("an emoji in the file", "C:\\tools\\\\u{1F600}.exe", "-x", "「ファイル」" + LOSSY,
         "C:\\tools\\\U0001F600.exe", "-x"),
        ("Hangul in the parameter", "C:\\tools\\a.exe", "\\u{D55C}", "「パラメータ」" + LOSSY,
         "C:\\tools\\a.exe", "\uD55C"),
        ("a CR LF pasted into the file", "C:\\a.exe\\u{D}\\u{A}C:\\b.exe", "", "「ファイル」" + CONTROL,
         "C:\\a.exe\r\nC:\\b.exe", ""),
    ]
    editor.type_into("Combo_Key", "$4B")
    for name, file_text, param_text, message, file_shown, param_shown in cases:
        driver("set-text", "--hwnd", editor.handle("ShortCut"), file_text)
        driver("set-text", "--hwnd", editor.handle("Parameter"), param_text)
        editor.press_button("AddBtn")
        box, lines, buttons = confirm_box(program)
        check(lines and lines[0] == "[エラー] " + message, f"{name}: the box says {lines!r}")
        check(len(lines) == 2 and lines[1] == "含まれているため、登録できません.", f"{name}: the box says {lines!r}")
        check(len(buttons) == 1, f"{name}: buttons {buttons!r}")
        program.answer(box, buttons[0])
        got = (editor.text("ShortCut"), editor.text("Parameter"), editor.text("Combo_Key"))
        check(got == (file_shown, param_shown, "$4B"), f"{name}: the fields hold {got!r}")
        check(editor.rows() == rows, f"{name}: the list shows {editor.rows()!r}")

    # The same key with text the list can hold is added.
    driver("set-text", "--hwnd", editor.handle("ShortCut"), "C:\\tools\\\u8868.exe")
    driver("set-text", "--hwnd", editor.handle("Parameter"), "")
    editor.press_button("AddBtn")
    wait_until(lambda: len(editor.rows()) == 2, 5, what="the exact entry to be added")
    check(not program.boxes_shown(), "a box appeared for text the list can hold")

    editor.close_with("CancelBtn")
    program.end_session()
    program.check_list(original)


if __name__ == "__main__":
    sys.exit(run(scenario))
