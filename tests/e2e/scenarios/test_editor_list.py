#!/usr/bin/env python3
"""The editor's list on a known table: the rows in their order with their
size marks and the disabled entry in parentheses, the hotkey ids of the
selected entries, disabling one (it moves behind the enabled ones and stays
selected), a deletion declined and one confirmed (the last slot's entry moves
into the gap), the commit with OK (the hotkeys that launch afterwards, the
new ids) and the list file written when the session ends."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (SW_SHOW, SW_SHOWMINIMIZED, WS_EX_TOPMOST, Velmora, check, encode_list, press,  # noqa: E402
                    read_log, run, stays_true, wait_log, window_order)
from editorlib import MOD_ALT, MOD_CTRL, MOD_SHIFT, Editor, confirm_box  # noqa: E402

VK_F6 = 0x75


def scenario(started):
    program = Velmora("editor-list")
    started.append(program)
    target, log = program.install_recorder("tools")
    t = target
    entries = [
        (t, "alpha", MOD_CTRL | MOD_SHIFT, ord("J"), 1, 0),     # slot 1, id 256
        (t, "beta", MOD_CTRL | MOD_ALT, ord("K"), 1, 1),        # slot 2, id 257
        (t, "", MOD_CTRL | MOD_SHIFT, VK_F6, 1, 2),             # slot 3, id 258
        (t, "delta", MOD_CTRL | MOD_SHIFT, ord("L"), 0, 0),     # slot 4, disabled
        (t, "epsilon", MOD_CTRL | MOD_SHIFT, ord("M"), 1, 5),   # slot 5, id 259, size out of range
    ]
    program.write_list(entries)
    program.start()
    program.main_window()

    editor = Editor.open(program)
    editor.wait_rows([
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
    box, lines, buttons = confirm_box(program)
    expected = ["[確認] ホットキーを削除します.", "", "Ctrl + Alt + K", "", f"{t} beta"]
    check(lines == expected, f"deletion question reads {lines!r}, expected {expected!r}")
    check(sorted(buttons) == ["Cancel", "Ok"], f"deletion question's buttons {buttons!r}")
    check(window_order(box)[0] & WS_EX_TOPMOST, "the message box does not stay on top")
    program.click(box, "Cancel")
    program.wait_closed(box)
    check(editor.rows() == rows_before, f"declined deletion changed the list: {editor.rows()!r}")

    editor.press_button("DelBtn")
    box, lines, _ = confirm_box(program)
    check(lines == expected, f"second deletion question reads {lines!r}")
    program.click(box, "Ok")
    program.wait_closed(box)
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

    editor.press_button("CloseBtn")
    editor.wait_closed()
    check(stays_true(lambda: not program.boxes_shown(), 1.0), "a box appeared at the commit")

    # Only the enabled entries hold hotkeys now, with their own targets.
    press("ctrl+shift+m")
    starts = wait_log(log, 1)
    press("ctrl+shift+f6")
    starts = wait_log(log, 2)
    got = [(s["cmdline"][s["cmdline"].lower().rfind("recorder.exe") + 12:].lstrip('"').strip(), int(s["show"]))
           for s in starts]
    check(got == [("epsilon", SW_SHOW), ("", SW_SHOWMINIMIZED)], f"launched {got!r}")
    press("ctrl+shift+j", "ctrl+alt+k", "ctrl+shift+l")
    check(stays_true(lambda: len(read_log(log)) == 2, 1.0),
          f"a disabled or deleted entry launched: {read_log(log)[2:]!r}")

    # The commit numbered the ids anew in slot order: M (slot 2) 256, F6 257.
    editor = Editor.open(program)
    check(editor.text("HK_ID") == "$0100", f"Ctrl+Shift+M's id after the commit: {editor.text('HK_ID')!r}")
    editor.select_row(1)
    check(editor.text("HK_ID") == "$0101", f"Ctrl+Shift+F6's id after the commit: {editor.text('HK_ID')!r}")
    editor.press_button("CancelBtn")
    editor.wait_closed()

    check(program.end_session() != 0, "the end of the session was refused")
    saved = program.read_list()
    expected_list = encode_list([
        (t, "alpha", MOD_CTRL | MOD_SHIFT, ord("J"), 0, 0),
        (t, "epsilon", MOD_CTRL | MOD_SHIFT, ord("M"), 1, 5),
        (t, "", MOD_CTRL | MOD_SHIFT, VK_F6, 1, 2),
        (t, "delta", MOD_CTRL | MOD_SHIFT, ord("L"), 0, 0),
    ])
    check(saved == expected_list, f"list at the end: {saved!r}\nexpected {expected_list!r}")


if __name__ == "__main__":
    sys.exit(run(scenario))
