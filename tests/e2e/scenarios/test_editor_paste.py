#!/usr/bin/env python3
"""Editing a registration by copying it into the input panel: a double click
on a row and the copy button fill the boxes, the key field (the list item
for a named key, "$DC" for a key without a name), the file, the parameters
and the size; changed and added again it overwrites its entry after the
question.  In direct input mode with the key field focused, Enter and Escape
are captured as keys and neither add nor close; in the empty file field
Enter presses OK, which commits: the changed hotkey then starts recorder.exe
with its new parameters and the list file holds the change."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MOD_ALT, MOD_CTRL, MOD_SHIFT, SW_SHOW, check, press, recorder_program, run,  # noqa: E402
                    stays_true, wait_log, wait_until)
from editorlib import Editor  # noqa: E402

VK_OEM_5 = 0xDC   # the backslash key: a code without a name of its own


def scenario(started):
    program, t, log = recorder_program(started, "editor-paste")
    entries = [
        (t, "first", MOD_CTRL | MOD_ALT, ord("K"), 1, 1),
        (t, "", MOD_CTRL | MOD_SHIFT, VK_OEM_5, 1, 2),
    ]
    program.start_resident(entries)

    editor = Editor.open(program, [f"Ctrl + Alt + K : {t} first [O]", f"Ctrl + Shift + $DC : {t} [.]"])
    editor.select_row(0, double=True)
    wait_until(lambda: editor.panel()[4] == t, 5, what="the double-clicked entry in the panel")
    panel = editor.panel()
    check(panel == (True, True, False, "$4B  K", t, "first", 1), f"double click on row 0 copied {panel!r}")

    editor.select_row(1)
    editor.press_button("PasteBtn")
    wait_until(lambda: editor.panel()[3] == "$DC", 5, what="the copied key without a name")
    panel = editor.panel()
    check(panel == (True, False, True, "$DC", t, "", 2), f"the copy button copied {panel!r}")

    editor.type_into("Parameter", "changed")
    editor.click("Size0")
    editor.click("Parameter")
    press("enter")      # a file is entered: Enter adds
    program.answer_box("Ok", lines=["以下のショートカットを上書きしますか？", "", "Ctrl + Shift + $DC", "", t])
    rows = [f"Ctrl + Alt + K : {t} first [O]", f"Ctrl + Shift + $DC : {t} changed [o]"]
    editor.wait_rows(rows)

    # Direct input with the key field focused: Enter and Escape are keys.
    editor.press_button("Direct")
    program.in_front("--hwnd", editor.hwnd, what="the editor in front")
    for key, text in [("enter", "$0D  Enter"), ("esc", "$1B  Esc")]:
        press(key)
        wait_until(lambda: editor.text("Combo_Key") == text, 5, what=f"{key} captured as {text!r}")
        check(stays_true(lambda: editor.is_open() and not program.boxes_shown(), 0.5),
              f"{key} in direct input closed the editor or asked something")
    check(editor.rows() == rows, f"Enter or Escape in direct input changed the list: {editor.rows()!r}")

    # Out of the key field, with the file field empty: Enter presses OK.
    editor.click("ShortCut")
    press("enter")
    editor.wait_closed()

    press("ctrl+shift+vk:220")
    got = wait_log(log, 1)[-1]
    check(got["cmdline"].rstrip().endswith(" changed") and int(got["show"]) == SW_SHOW,
          f"Ctrl+Shift+\\ started {got['cmdline']!r} with show command {got['show']}")

    program.consent_to_end()
    program.check_list([entries[0], (t, "changed", MOD_CTRL | MOD_SHIFT, VK_OEM_5, 1, 0)])


if __name__ == "__main__":
    sys.exit(run(scenario))
