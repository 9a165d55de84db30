#!/usr/bin/env python3
"""A combination that another program holds, enabled in the editor, is
refused when the editor hands its list back: the warning box (naming the
combination and the target) shows as the editor closes, the entry stays
disabled with no id, the entries after it take the next ids, the others
launch, and the list file written at the end has it disabled."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import Velmora, check, encode_list, press, read_log, run, stays_true, wait_log  # noqa: E402
from editorlib import MOD_CTRL, MOD_SHIFT, Editor, HeldHotkey, confirm_box  # noqa: E402

CTRL_SHIFT = MOD_CTRL | MOD_SHIFT


def scenario(started):
    program = Velmora("editor-refused")
    started.append(program)
    target, log = program.install_recorder("tools")
    t = target
    entries = [
        (t, "first", CTRL_SHIFT, ord("U"), 1, 0),
        (t, "held", CTRL_SHIFT, ord("G"), 0, 0),     # disabled: the program leaves G free at start
        (t, "third", CTRL_SHIFT, ord("W"), 1, 0),
    ]
    program.write_list(entries)
    program.start()
    program.main_window()

    holder = HeldHotkey(CTRL_SHIFT, ord("G"))
    try:
        editor = Editor.open(program)
        editor.wait_rows([f"Ctrl + Shift + U : {t} first [o]", f"Ctrl + Shift + W : {t} third [o]",
                          f"( Ctrl + Shift + G : {t} held [o] )"])
        editor.select_row(2)
        editor.press_button("ValidBtn")
        editor.wait_rows([f"Ctrl + Shift + G : {t} held [o]", f"Ctrl + Shift + U : {t} first [o]",
                          f"Ctrl + Shift + W : {t} third [o]"])
        editor.press_button("CloseBtn")

        box, lines, buttons = confirm_box(program)
        expected = ["[警告] ホットキーが重複しているため、", "以下のショートカットが無効化されます.", "",
                    "Ctrl + Shift + G", "", f"{t} held"]
        check(lines == expected, f"warning reads {lines!r}, expected {expected!r}")
        check(buttons == ["Ok"], f"warning buttons {buttons!r}")
        program.click(box, "Ok")
        program.wait_closed(box)
        editor.wait_closed()
        check(stays_true(lambda: not program.boxes_shown(), 1.0), "a second box appeared")

        press("ctrl+shift+u")
        wait_log(log, 1)
        press("ctrl+shift+w")
        starts = wait_log(log, 2)
        press("ctrl+shift+g")
        check(stays_true(lambda: len(read_log(log)) == 2, 1.0), "the refused entry launched")
        params = [s["cmdline"].rsplit(" ", 1)[-1] for s in starts]
        check(params == ["first", "third"], f"launched {params!r}")
    finally:
        pressed = holder.release()
    check(pressed == 1, f"the holder saw Ctrl+Shift+G {pressed} times, expected once")

    # The refused entry is disabled and has no id; Ctrl+Shift+W, the slot
    # after it, took the id the refused one did not use up.
    editor = Editor.open(program)
    editor.wait_rows([f"Ctrl + Shift + U : {t} first [o]", f"Ctrl + Shift + W : {t} third [o]",
                      f"( Ctrl + Shift + G : {t} held [o] )"])
    ids = []
    for row in range(3):
        editor.select_row(row)
        ids.append((editor.text("HK_ID"), editor.checked("ValidBtn")))
    check(ids == [("$0100", True), ("$0101", True), ("(None)", False)], f"ids after the commit {ids!r}")
    editor.press_button("CancelBtn")
    editor.wait_closed()

    check(program.end_session() != 0, "the end of the session was refused")
    saved = program.read_list()
    check(saved == encode_list(entries), f"list at the end: {saved!r}")


if __name__ == "__main__":
    sys.exit(run(scenario))
