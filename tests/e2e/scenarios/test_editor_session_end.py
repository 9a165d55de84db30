#!/usr/bin/env python3
"""The end of the Windows session while the editor is open, once with the
editor alone and once with its deletion question on top: the program agrees,
ends, and writes the list it had before the editor opened (the editor's
changes are dropped, never committed)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import MOD_ALT, MOD_CTRL, MOD_SHIFT, recorder_program, run  # noqa: E402
from editorlib import Editor, confirm_box  # noqa: E402


def scenario(started):
    for with_question in (False, True):
        program, t, _ = recorder_program(started, "editor-session-end")
        entries = [(t, "one", MOD_CTRL | MOD_SHIFT, ord("N"), 1, 0), (t, "two", MOD_CTRL | MOD_ALT, ord("O"), 1, 2)]
        # Saved in canonical form at the end: the file as written here.
        original = program.write_list(entries)
        program.start_resident()

        editor = Editor.open(program)
        editor.select_row(0)
        editor.press_button("ValidBtn")
        editor.wait_rows([f"Ctrl + Shift + N : {t} one [o]", f"( Ctrl + Alt + O : {t} two [.] )"])
        if with_question:
            editor.press_button("DelBtn")
            confirm_box(program)

        how = "with the deletion question open" if with_question else "with the editor open"
        program.consent_to_end(f" {how}")
        program.check_list(original, f"list written {how}")


if __name__ == "__main__":
    sys.exit(run(scenario))
