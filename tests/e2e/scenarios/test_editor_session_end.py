#!/usr/bin/env python3
"""The end of the Windows session while the editor is open, once with the
editor alone and once with its deletion question on top: the program agrees,
ends, and writes the list it had before the editor opened (the editor's
changes are dropped, never committed)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import Velmora, check, run  # noqa: E402
from editorlib import MOD_ALT, MOD_CTRL, MOD_SHIFT, Editor, confirm_box  # noqa: E402


def scenario(started):
    for with_question in (False, True):
        program = Velmora("editor-session-end")
        started.append(program)
        target, _ = program.install_recorder("tools")
        t = target
        entries = [(t, "one", MOD_CTRL | MOD_SHIFT, ord("N"), 1, 0), (t, "two", MOD_CTRL | MOD_ALT, ord("O"), 1, 2)]
        program.write_list(entries)
        # Saved in canonical form at the end: the file as written here.
        original = program.read_list()
        program.start()
        program.main_window()

        editor = Editor.open(program)
        editor.select_row(0)
        editor.press_button("ValidBtn")
        editor.wait_rows([f"Ctrl + Shift + N : {t} one [o]", f"( Ctrl + Alt + O : {t} two [.] )"])
        if with_question:
            editor.press_button("DelBtn")
            confirm_box(program)

        how = "with the deletion question open" if with_question else "with the editor open"
        check(program.end_session() != 0, f"the end of the session was refused {how}")
        saved = program.read_list()
        check(saved == original, f"list written {how}: {saved!r}\nexpected {original!r}")


if __name__ == "__main__":
    sys.exit(run(scenario))
