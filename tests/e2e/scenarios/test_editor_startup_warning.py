#!/usr/bin/env python3
"""A double click on the tray icon while a start-up warning is shown opens
no editor: the registration of the list goes on as if nothing had been
asked, so the entries after the doubled one keep their hotkeys (an editor
committed from inside that box used to make the rest of the start-up pass
register them twice and disable them as doubled).  Afterwards the editor
opens as usual and shows the ids the start-up gave."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, WM_LBUTTONDBLCLK, check, parameters_of, post_tray, press_each,  # noqa: E402
                    recorder_program, refusal_warning, run, stays_true)
from editorlib import Editor, confirm_box  # noqa: E402


def scenario(started):
    program, t, log = recorder_program(started, "editor-startup")
    program.write_list([
        (t, "one", CTRL_SHIFT, ord("R"), 1, 0),
        (t, "doubled", CTRL_SHIFT, ord("R"), 1, 0),
        (t, "three", CTRL_SHIFT, ord("T"), 1, 0),
    ])
    program.start()
    box, lines, _ = confirm_box(program)
    check(lines == refusal_warning("Ctrl + Shift + R", f"{t} doubled"), f"start-up warning reads {lines!r}")

    post_tray(program, WM_LBUTTONDBLCLK)
    check(stays_true(lambda: not program.editors_shown(), 1.5), "an editor opened over the start-up warning")
    program.answer(box, "Ok")
    check(program.no_box_during(1.0), "a further warning appeared")

    # Ctrl+Shift+T is registered only once the box is gone (which under Wine
    # without a window manager takes up to two seconds): the key registered
    # before the box goes first.
    params = [parameters_of(s) for s in press_each(log, "ctrl+shift+r", "ctrl+shift+t")]
    check(params == ["one", "three"], f"launched {params!r}")

    editor = Editor.open(program, [f"Ctrl + Shift + R : {t} one [o]", f"Ctrl + Shift + T : {t} three [o]",
                                   f"( Ctrl + Shift + R : {t} doubled [o] )"])
    ids = editor.row_ids(3)
    check(ids == ["$0100", "$0101", "(None)"], f"ids after the start-up {ids!r}")
    editor.close_with("CancelBtn")
    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
