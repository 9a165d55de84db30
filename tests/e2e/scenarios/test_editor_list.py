#!/usr/bin/env python3
"""The editor's list on a known table: the rows in their order with their
size marks and the disabled entry in parentheses, the hotkey ids of the
selected entries, disabling one (it moves behind the enabled ones and stays
selected), a deletion declined and one confirmed (the last slot's entry moves
into the gap), the commit with OK (the hotkeys that launch afterwards, the
new ids), the list file written by OK (killed then, the next start runs the
new list) and again when the session ends."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MOD_ALT, MOD_CTRL, MOD_SHIFT, SW_SHOW, SW_SHOWMINIMIZED, check, parameters_of,  # noqa: E402
                    press, press_each, read_log, recorder_program, run, stays_true)
from editorlib import Editor  # noqa: E402

VK_F6 = 0x75


def scenario(started):
    program, t, log = recorder_program(started, "editor-list")
    entries = [
        (t, "alpha", MOD_CTRL | MOD_SHIFT, ord("J"), 1, 0),     # slot 1, id 256
        (t, "beta", MOD_CTRL | MOD_ALT, ord("K"), 1, 1),        # slot 2, id 257
        (t, "", MOD_CTRL | MOD_SHIFT, VK_F6, 1, 2),             # slot 3, id 258
        (t, "delta", MOD_CTRL | MOD_SHIFT, ord("L"), 0, 0),     # slot 4, disabled
        (t, "epsilon", MOD_CTRL | MOD_SHIFT, ord("M"), 1, 5),   # slot 5, id 259, size out of range
    ]
    program.start_resident(entries)

    editor = Editor.open(program, [
        f"Ctrl + Alt + K : {t} beta [O]",
        f"Ctrl + Shift + J : {t} alpha [o]",
        f"Ctrl + Shift + M : {t} epsilon [",
        f"Ctrl + Shift + F6 : {t} [.]",
        f"( Ctrl + Shift + L : {t} delta [o] )",
    ])
    # The first row is selected when the editor opens.
    check(editor.selected_row() == 0, f"selected row {editor.selected_row()} after opening")
    check(editor.text("HK_ID") == "$0101" and editor.checked("ValidBtn"),
          f"first row: id {editor.text('HK_ID')!r}, enabled box {editor.checked('ValidBtn')}")
    for row, hk_id, enabled in [(1, "$0100", True), (3, "$0102", True), (2, "$0103", True), (4, "(None)", False)]:
        editor.select_row(row)
        got = (editor.text("HK_ID"), editor.checked("ValidBtn"))
        check(got == (hk_id, enabled), f"row {row}: id and enabled box {got!r}, expected {(hk_id, enabled)!r}")

    # Disabling Ctrl+Shift+J: behind the enabled entries, in parentheses,
    # still selected and still showing its id until the commit.
    editor.select_row(1)
    editor.press_button("ValidBtn")
    editor.wait_rows([
        f"Ctrl + Alt + K : {t} beta [O]",
        f"Ctrl + Shift + M : {t} epsilon [",
        f"Ctrl + Shift + F6 : {t} [.]",
        f"( Ctrl + Shift + J : {t} alpha [o] )",
        f"( Ctrl + Shift + L : {t} delta [o] )",
    ])
    got = (editor.selected_row(), editor.checked("ValidBtn"), editor.text("HK_ID"))
    check(got == (3, False, "$0100"), f"after disabling: selection, enabled box, id {got!r}")

    # Deleting Ctrl+Alt+K: the question names the entry; Cancel keeps it.
    editor.select_row(0)
    rows_before = editor.rows()
    editor.press_button("DelBtn")
    question = ["[確認] ホットキーを削除します.", "", "Ctrl + Alt + K", "", f"{t} beta"]
    program.answer_box("Cancel", lines=question, buttons=["Cancel", "Ok"])
    check(editor.rows() == rows_before, f"declined deletion changed the list: {editor.rows()!r}")

    editor.press_button("DelBtn")
    program.answer_box("Ok", lines=question)
    # Slot 2 is taken by the last slot's entry (Ctrl+Shift+M); the same row
    # number stays selected.
    editor.wait_rows([
        f"Ctrl + Shift + M : {t} epsilon [",
        f"Ctrl + Shift + F6 : {t} [.]",
        f"( Ctrl + Shift + J : {t} alpha [o] )",
        f"( Ctrl + Shift + L : {t} delta [o] )",
    ])
    got = (editor.selected_row(), editor.text("HK_ID"), editor.checked("ValidBtn"))
    check(got == (0, "$0103", True), f"after the deletion: selection, id, enabled box {got!r}")

    editor.close_with("CloseBtn")
    check(program.no_box_during(1.0), "a box appeared at the commit")

    # Only the enabled entries hold hotkeys now, with their own targets.
    got = [(parameters_of(s), int(s["show"])) for s in press_each(log, "ctrl+shift+m", "ctrl+shift+f6")]
    check(got == [("epsilon", SW_SHOW), ("", SW_SHOWMINIMIZED)], f"launched {got!r}")
    press("ctrl+shift+j", "ctrl+alt+k", "ctrl+shift+l")
    check(stays_true(lambda: len(read_log(log)) == 2, 1.0),
          f"a disabled or deleted entry launched: {read_log(log)[2:]!r}")

    # The commit numbered the ids anew in slot order: M (slot 2) 256, F6 257.
    editor = Editor.open(program)
    check(editor.text("HK_ID") == "$0100", f"Ctrl+Shift+M's id after the commit: {editor.text('HK_ID')!r}")
    editor.select_row(1)
    check(editor.text("HK_ID") == "$0101", f"Ctrl+Shift+F6's id after the commit: {editor.text('HK_ID')!r}")
    editor.close_with("CancelBtn")

    # OK wrote the list: killed now, the program's next start runs the new one.
    program.kill()
    committed = [
        (t, "alpha", MOD_CTRL | MOD_SHIFT, ord("J"), 0, 0),
        (t, "epsilon", MOD_CTRL | MOD_SHIFT, ord("M"), 1, 5),
        (t, "", MOD_CTRL | MOD_SHIFT, VK_F6, 1, 2),
        (t, "delta", MOD_CTRL | MOD_SHIFT, ord("L"), 0, 0),
    ]
    program.check_list(committed, "the list after OK and a kill")
    program.start_resident()
    press("ctrl+alt+k")
    check(stays_true(lambda: len(read_log(log)) == 2, 1.0), f"the old list ran again: {read_log(log)[2:]!r}")
    check(parameters_of(press_each(log, "ctrl+shift+m")[-1]) == "epsilon", "the new list did not run")
    program.consent_to_end()
    program.check_list(committed)


if __name__ == "__main__":
    sys.exit(run(scenario))
