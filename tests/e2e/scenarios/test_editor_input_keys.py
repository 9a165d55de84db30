#!/usr/bin/env python3
"""Composing registrations in the editor's input panel with the keyboard:
a key picked from the key list with the arrow keys, a key typed as a
character ("a" gives code 0x41), and a combination captured in direct input
mode (Ctrl+Shift+F5 checks Ctrl and Shift and reads "$74  F5"; Tab then
moves on to the file field and keeps it).  The file
and parameter fields are typed, the window size is chosen with the radio
buttons, additions are made with the Add button and with Enter, the captured
combination overwrites the entry that had it after the question is declined
once and then confirmed (which enables it).  After OK each new hotkey starts recorder.exe as
registered (parameters, working folder, show command); the list file
written at the end holds the entries in their slots."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MOD_ALT, MOD_CTRL, MOD_SHIFT, SW_SHOW, SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED,  # noqa: E402
                    check, check_start, press, read_log, recorder_program, run, stays_true, wait_log, wait_until)
from editorlib import Editor  # noqa: E402

EMPTY_PANEL = (False, False, False, "", "", "", 0)
VK_F5 = 0x74


def scenario(started):
    program, t, log = recorder_program(started, "editor-keys")
    # Disabled: a live hotkey would take Ctrl+Shift+F5 before the editor
    # could capture it.
    program.start_resident([(t, "old", MOD_CTRL | MOD_SHIFT, VK_F5, 0, 0)])

    editor = Editor.open(program, [f"( Ctrl + Shift + F5 : {t} old [o] )"])
    check(editor.panel() == EMPTY_PANEL, f"the panel starts as {editor.panel()!r}")
    items = editor.key_items()
    check(items[:3] == ["$08  BackSpace", "$09  Tab", "$0C  Clear"] and "$4B  K" in items
          and items[-1] == "$F4  全角", f"the key list holds {items[:3]!r} ... {items[-1:]!r}")

    # 1. Ctrl+Alt with K from the key list, maximised, added with the button.
    editor.click("Chk_Ctrl")
    editor.click("Chk_Alt")
    check(editor.pick_key("$4B  K") == "$4B  K", "picking K from the key list")
    editor.type_into("ShortCut", t)
    editor.type_into("Parameter", "from list")
    editor.click("Size1")
    panel = editor.panel()
    check(panel == (True, True, False, "$4B  K", t, "from list", 1), f"the panel holds {panel!r} before adding")
    editor.click("AddBtn")
    editor.wait_rows([f"Ctrl + Alt + K : {t} from list [O]", f"( Ctrl + Shift + F5 : {t} old [o] )"])
    check(editor.panel() == EMPTY_PANEL, f"the panel after adding: {editor.panel()!r}")

    # 2. Ctrl+Shift with the typed character a, minimised; Enter adds while
    # the file field holds text.
    editor.click("Chk_Ctrl")
    editor.click("Chk_Shift")
    editor.type_into("Combo_Key", "a")
    check(editor.text("Combo_Key") == "a", f"the key field reads {editor.text('Combo_Key')!r} after typing a")
    editor.type_into("ShortCut", t)
    editor.click("Size2")
    editor.type_into("Parameter", "typed key")
    press("enter")
    editor.wait_rows([f"Ctrl + Alt + K : {t} from list [O]", f"Ctrl + Shift + A : {t} typed key [.]",
                      f"( Ctrl + Shift + F5 : {t} old [o] )"])
    check(editor.panel() == EMPTY_PANEL, f"the panel after Enter: {editor.panel()!r}")
    check(editor.is_open(), "Enter closed the editor instead of adding")

    # 3. Direct input: Alt checked by hand first, then Ctrl+Shift+F5 pressed.
    editor.click("Chk_Alt")
    editor.press_button("Direct")
    program.in_front("--hwnd", editor.hwnd, what="the editor in front")
    press("ctrl+shift+f5")
    wait_until(lambda: editor.text("Combo_Key") == "$74  F5", 5, what="the captured key text")
    boxes = editor.panel()[:3]
    check(boxes == (True, False, True), f"after Ctrl+Shift+F5 the boxes (Ctrl, Alt, Shift) are {boxes!r}")
    # A letter is captured as its key, and its character is not typed in
    # after the captured text; Shift alone empties the text.
    press("x")
    wait_until(lambda: editor.text("Combo_Key") != "$74  F5", 5, what="x to be captured")
    check(stays_true(lambda: editor.text("Combo_Key") == "$58  X", 0.3),
          f"after x the key field reads {editor.text('Combo_Key')!r}")
    press("shift")
    wait_until(lambda: editor.text("Combo_Key") == "", 5, what="Shift alone to empty the key text")
    press("ctrl+shift+f5")
    wait_until(lambda: editor.text("Combo_Key") == "$74  F5", 5, what="the captured key text again")
    # Tab moves on to the file field and keeps the captured combination.
    press("tab", "x")
    wait_until(lambda: editor.text("ShortCut") == "x", 5, what="x typed into the file field after Tab")
    check(editor.panel()[:4] == (True, False, True, "$74  F5"), f"after Tab the panel holds {editor.panel()!r}")
    press("backspace")
    editor.type_into("ShortCut", t)
    editor.type_into("Parameter", "direct")

    editor.click("AddBtn")
    question = ["以下のショートカットを上書きしますか？", "", "Ctrl + Shift + F5", "", f"{t} old"]
    program.answer_box("Cancel", lines=question, buttons=["Cancel", "Ok"])
    # Declined: nothing changed and the inputs are still there.
    check(editor.rows()[2] == f"( Ctrl + Shift + F5 : {t} old [o] )", f"declined overwrite: {editor.rows()!r}")
    panel = editor.panel()
    check(panel == (True, False, True, "$74  F5", t, "direct", 0), f"the panel after declining: {panel!r}")

    editor.click("AddBtn")
    program.answer_box("Ok", lines=question)
    editor.wait_rows([f"Ctrl + Alt + K : {t} from list [O]", f"Ctrl + Shift + A : {t} typed key [.]",
                      f"Ctrl + Shift + F5 : {t} direct [o]"])

    editor.click("CloseBtn")
    editor.wait_closed()

    cases = [("ctrl+alt+k", "from list", SW_SHOWMAXIMIZED), ("ctrl+shift+a", "typed key", SW_SHOWMINIMIZED),
             ("ctrl+shift+f5", "direct", SW_SHOW)]
    for number, (keys, parameter, show) in enumerate(cases, start=1):
        press(keys)
        check_start(wait_log(log, number)[-1], keys, t, parameter, show)
    check(stays_true(lambda: len(read_log(log)) == len(cases), 0.5), "a hotkey launched twice")

    program.consent_to_end()
    program.check_list([
        (t, "direct", MOD_CTRL | MOD_SHIFT, VK_F5, 1, 0),
        (t, "from list", MOD_CTRL | MOD_ALT, ord("K"), 1, 1),
        (t, "typed key", MOD_CTRL | MOD_SHIFT, ord("A"), 1, 2),
    ])


if __name__ == "__main__":
    sys.exit(run(scenario))
