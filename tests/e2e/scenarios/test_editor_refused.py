#!/usr/bin/env python3
"""A combination that another program holds, enabled in the editor, is
refused when the editor hands its list back: the warning box (naming the
combination and the target) shows as the editor closes, the entry stays
disabled with no id, the entries after it take the next ids, the others
launch, and the list file written at the end has it disabled."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, check, parameters_of, press, press_each, read_log, recorder_program,  # noqa: E402
                    refusal_warning, run, stays_true)
from editorlib import Editor, HeldHotkey  # noqa: E402


def scenario(started):
    program, t, log = recorder_program(started, "editor-refused")
    entries = [
        (t, "first", CTRL_SHIFT, ord("U"), 1, 0),
        (t, "held", CTRL_SHIFT, ord("G"), 0, 0),     # disabled: the program leaves G free at start
        (t, "third", CTRL_SHIFT, ord("W"), 1, 0),
    ]
    program.start_resident(entries)

    holder = HeldHotkey(CTRL_SHIFT, ord("G"))
    try:
        editor = Editor.open(program, [f"Ctrl + Shift + U : {t} first [o]", f"Ctrl + Shift + W : {t} third [o]",
                                       f"( Ctrl + Shift + G : {t} held [o] )"])
        editor.select_row(2)
        editor.press_button("ValidBtn")
        editor.wait_rows([f"Ctrl + Shift + G : {t} held [o]", f"Ctrl + Shift + U : {t} first [o]",
                          f"Ctrl + Shift + W : {t} third [o]"])
        editor.press_button("CloseBtn")

        program.answer_box("Ok", lines=refusal_warning("Ctrl + Shift + G", f"{t} held"), buttons=["Ok"])
        editor.wait_closed()
        check(program.no_box_during(1.0), "a second box appeared")

        starts = press_each(log, "ctrl+shift+u", "ctrl+shift+w")
        press("ctrl+shift+g")
        check(stays_true(lambda: len(read_log(log)) == 2, 1.0), "the refused entry launched")
        params = [parameters_of(s) for s in starts]
        check(params == ["first", "third"], f"launched {params!r}")
    finally:
        pressed = holder.release()
    check(pressed == 1, f"the holder saw Ctrl+Shift+G {pressed} times, expected once")

    # The refused entry is disabled and has no id; Ctrl+Shift+W, the slot
    # after it, took the id the refused one did not use up.
    editor = Editor.open(program, [f"Ctrl + Shift + U : {t} first [o]", f"Ctrl + Shift + W : {t} third [o]",
                                   f"( Ctrl + Shift + G : {t} held [o] )"])
    ids = editor.row_ids(3, with_enabled=True)
    check(ids == [("$0100", True), ("$0101", True), ("(None)", False)], f"ids after the commit {ids!r}")
    editor.close_with("CancelBtn")

    program.consent_to_end()
    program.check_list(entries)


if __name__ == "__main__":
    sys.exit(run(scenario))
