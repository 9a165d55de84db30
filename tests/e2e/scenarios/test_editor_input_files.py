#!/usr/bin/env python3
"""The target file of a registration from the Windows Open dialog and from
files dropped onto the editor.  The dialog opens at the root of the
program's drive while the file field is empty, takes a typed path and Enter,
fills the file field and empties the parameters; opened again it starts in
that file's folder with its name preset, and Escape changes nothing.  Three
files dropped onto the window put the first (in a folder with a Japanese
name) into the file field and empty the parameters.  After OK both new
hotkeys start recorder.exe from its own folder with the registered
parameters and show commands, and the list file holds them at the end."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MOD_ALT, MOD_CTRL, MOD_SHIFT, SW_SHOW, SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED,  # noqa: E402
                    WS_EX_TOPMOST, check, check_start, driver, new_program, press, run, wait_log, wait_until,
                    window_order)
from editorlib import OPEN_DIALOG_CAPTION, Editor  # noqa: E402

FILE_NAME_BOX = "1148"     # the Open dialog's file name box (cmb13)
LOOK_IN_BOX = "1137"       # its folder box (cmb2)


def dialog_fields(dialog):
    """(folder box text, file name text) of the Open dialog."""
    rows = driver("controls", "--hwnd", dialog)
    look_in = [r[4] for r in rows if r[5] == LOOK_IN_BOX and r[3] == "ComboBox"]
    name = [r[4] for r in rows if r[5] == FILE_NAME_BOX and r[3] == "Edit"]
    check(look_in and name, f"the Open dialog lacks its folder or file name box: {rows!r}")
    return look_in[0], name[0]


def scenario(started):
    program = new_program(started, "editor-files")
    keep, keep_log = program.install_recorder("keep")
    browsed, browsed_log = program.install_recorder("browse")
    dropped, dropped_log = program.install_recorder("ツール")
    program.start_resident([(keep, "keep", MOD_CTRL | MOD_SHIFT, ord("Q"), 1, 0)])
    editor = Editor.open(program)

    # Browsing with an empty file field: the root of the program's drive.
    editor.type_into("Parameter", "stale")
    editor.press_button("ReferBtn")
    dialog = program.wait_window("--caption", OPEN_DIALOG_CAPTION, "--visible").hwnd
    check(not window_order(dialog)[0] & WS_EX_TOPMOST, "the Open dialog stays on top of other programs' windows")
    look_in, name = dialog_fields(dialog)
    check("(C:)" in look_in and name == "", f"the dialog opened in {look_in!r} with the name {name!r}")
    driver("type", browsed)
    press("enter")
    program.wait_closed(dialog)
    check(editor.text("ShortCut") == browsed and editor.text("Parameter") == "",
          f"after the dialog: file {editor.text('ShortCut')!r}, parameters {editor.text('Parameter')!r}")

    # Again with the file in the field: its folder, its name preset; Escape
    # leaves the fields alone.
    editor.type_into("Parameter", "browsed")
    editor.press_button("ReferBtn")
    dialog = program.wait_window("--caption", OPEN_DIALOG_CAPTION, "--visible").hwnd
    look_in, name = dialog_fields(dialog)
    check(look_in == "browse" and name == "recorder.exe", f"the dialog opened in {look_in!r} with {name!r}")
    press("esc")
    program.wait_closed(dialog)
    check(editor.text("ShortCut") == browsed and editor.text("Parameter") == "browsed",
          f"after Escape: file {editor.text('ShortCut')!r}, parameters {editor.text('Parameter')!r}")

    editor.click("Chk_Ctrl")
    editor.click("Chk_Shift")
    editor.type_into("Combo_Key", "b")
    editor.click("Size1")
    editor.click("AddBtn")
    editor.wait_rows([f"Ctrl + Shift + B : {browsed} browsed [O]", f"Ctrl + Shift + Q : {keep} keep [o]"])

    # Three files dropped onto the window: the first one counts.
    editor.type_into("ShortCut", "C:\\nothing.exe")
    editor.type_into("Parameter", "stale")
    driver("drop-files", "--hwnd", editor.hwnd, dropped, "C:\\second.txt", "C:\\third.txt")
    wait_until(lambda: editor.text("ShortCut") == dropped, 5, what="the dropped file in the file field")
    check(editor.text("Parameter") == "", f"the parameters after the drop: {editor.text('Parameter')!r}")

    editor.click("Chk_Ctrl")
    editor.click("Chk_Alt")
    editor.pick_key("$44  D")
    editor.click("Size2")
    editor.type_into("Parameter", "dropped")
    press("enter")
    editor.wait_rows([f"Ctrl + Alt + D : {dropped} dropped [.]", f"Ctrl + Shift + B : {browsed} browsed [O]",
                      f"Ctrl + Shift + Q : {keep} keep [o]"])
    editor.click("CloseBtn")
    editor.wait_closed()

    for keys, log, target, parameter, show in [
            ("ctrl+shift+b", browsed_log, browsed, "browsed", SW_SHOWMAXIMIZED),
            ("ctrl+alt+d", dropped_log, dropped, "dropped", SW_SHOWMINIMIZED),
            ("ctrl+shift+q", keep_log, keep, "keep", SW_SHOW)]:
        press(keys)
        check_start(wait_log(log, 1)[-1], keys, target, parameter, show)

    program.consent_to_end()
    program.check_list([
        (keep, "keep", MOD_CTRL | MOD_SHIFT, ord("Q"), 1, 0),
        (browsed, "browsed", MOD_CTRL | MOD_SHIFT, ord("B"), 1, 1),
        (dropped, "dropped", MOD_CTRL | MOD_ALT, ord("D"), 1, 2),
    ])


if __name__ == "__main__":
    sys.exit(run(scenario))
