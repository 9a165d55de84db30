#!/usr/bin/env python3
"""Closing the editor in any way but OK drops its changes: after edits
closed with the Cancel button (an entry disabled, one deleted, one added),
the Escape key and the window's close command (an entry disabled), the same
hotkeys launch as before, the editor shows the same rows and ids again, and the list file
written at the end is the one the program started with."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MOD_ALT, MOD_CTRL, MOD_SHIFT, check, driver, parameters_of, press, press_each,  # noqa: E402
                    read_log, recorder_program, run, stays_true, wait_log)
from editorlib import Editor  # noqa: E402


def parameters(starts):
    return [parameters_of(s) for s in starts]


def scenario(started):
    program, t, log = recorder_program(started, "editor-cancel")
    entries = [
        (t, "one", MOD_CTRL | MOD_SHIFT, ord("N"), 1, 0),
        (t, "two", MOD_CTRL | MOD_ALT, ord("O"), 1, 0),
        (t, "three", MOD_CTRL | MOD_SHIFT, ord("P"), 0, 0),
    ]
    original = program.write_list(entries)
    program.start_resident()

    rows = [f"Ctrl + Alt + O : {t} two [o]", f"Ctrl + Shift + N : {t} one [o]",
            f"( Ctrl + Shift + P : {t} three [o] )"]
    editor = Editor.open(program, rows)
    ids = editor.row_ids(3)
    check(ids == ["$0101", "$0100", "(None)"], f"ids before any change {ids!r}")

    def edit_everything(editor):
        editor.select_row(1)
        editor.press_button("ValidBtn")                        # Ctrl+Shift+N off
        editor.wait_rows([rows[0], f"( Ctrl + Shift + N : {t} one [o] )", rows[2]])
        editor.select_row(0)
        editor.press_button("DelBtn")                          # Ctrl+Alt+O away
        program.answer_box("Ok")
        editor.click("Chk_Ctrl")
        editor.click("Chk_Shift")
        editor.type_into("Combo_Key", "q")
        editor.type_into("ShortCut", t)
        editor.type_into("Parameter", "added")
        editor.click("AddBtn")                                 # Ctrl+Shift+Q added
        editor.wait_rows([f"Ctrl + Shift + Q : {t} added [o]", f"( Ctrl + Shift + N : {t} one [o] )",
                          f"( Ctrl + Shift + P : {t} three [o] )"])

    def disable_first(editor):
        editor.select_row(0)
        editor.press_button("ValidBtn")
        editor.wait_rows([rows[1], f"( Ctrl + Alt + O : {t} two [o] )", rows[2]])

    def unchanged(how, with_ids=False):
        editor = Editor.open(program)
        check(editor.rows() == rows, f"after {how}: the editor shows {editor.rows()!r}")
        if with_ids:
            again = editor.row_ids(3)
            check(again == ids, f"after {how}: ids {again!r}, expected {ids!r}")
        return editor

    edit_everything(editor)
    editor.close_with("CancelBtn")
    check(program.no_box_during(0.5), "a box appeared after Cancel")
    # The live hotkeys are the ones from before.
    press_each(log, "ctrl+shift+n", "ctrl+alt+o")
    press("ctrl+shift+q")
    check(stays_true(lambda: len(read_log(log)) == 2, 1.0), "the cancelled addition launched")
    check(parameters(read_log(log)) == ["one", "two"], f"launched {parameters(read_log(log))!r}")

    editor = unchanged("Cancel")
    disable_first(editor)
    # The focus is on the list (not on a button): Escape presses Cancel.
    editor.select_row(0)
    driver("press", "esc", "--focus", "--hwnd", editor.hwnd)
    editor.wait_closed()

    editor = unchanged("Escape")
    disable_first(editor)
    # The close box asks the window for SC_CLOSE, as Alt+F4 does; the bare
    # test display has no window manager to draw the box itself.
    editor.select_row(0)
    driver("press", "alt+f4", "--focus", "--hwnd", editor.hwnd)
    editor.wait_closed()

    editor = unchanged("closing the window", with_ids=True)
    editor.close_with("CancelBtn")
    press("ctrl+shift+n", "ctrl+alt+o", "ctrl+shift+q", "ctrl+shift+p")
    wait_log(log, 4)
    check(stays_true(lambda: len(read_log(log)) == 4, 1.0), "a cancelled or disabled entry launched")
    check(parameters(read_log(log)) == ["one", "two", "one", "two"], f"launched {parameters(read_log(log))!r}")

    program.consent_to_end()
    program.check_list(original, "the list changed")


if __name__ == "__main__":
    sys.exit(run(scenario))
