#!/usr/bin/env python3
"""The editor from the main window: the key 1 of the main keyboard (also
with Shift) and a left double click on the tray icon open it, the 1 of the
numeric pad does not; Cancel leaves the main window shown, OK hides it.
Keeps a screenshot of the editor."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (EDITOR_CLASS, MAIN_CLASS, WS_EX_APPWINDOW, WS_EX_TOPMOST, artefact, check, driver,  # noqa: E402
                    new_program, press, run, show_main, stays_true, tray_click, wait_until, window_order)


def scenario(started):
    program = new_program(started, "main-editor")
    program.start_in_tray()

    def show():
        # Keys go to the window in front: the one the shown window must be.
        show_main(program, front=True)

    def close_editor(button, opened_by):
        editor = program.editor_shown(f"{opened_by} to open the editor")
        # Modal: the windows shown when it opened take no input meanwhile.
        check(not program.main_visible() or not program.main_window().enabled,
              "the main window takes input while the editor is open")
        # Owned by the main window, so without a taskbar button of its own;
        # the main window leaves the on-top layer meanwhile, so both are in
        # the ordinary one, and comes back to it once the editor has closed.
        main = program.main_window()
        order = window_order(editor.hwnd)
        check(order[1] == int(main.hwnd, 16) and not (order[0] | order[3]) & (WS_EX_TOPMOST | WS_EX_APPWINDOW),
              f"editor ex-style, owner, visible, ex-style: {order!r}; main window {main.hwnd}")
        driver("click", "--hwnd", editor.hwnd, "--text", button)
        program.wait_no_window("--class", EDITOR_CLASS, "--visible", what=f"{button} to close the editor")
        wait_until(lambda: window_order(main.hwnd)[0] & WS_EX_TOPMOST, 5, what="the main window back on top")

    def double_click_icon():
        tray_click(program, "left", double=True)
        program.editor_shown("a double click on the icon to open the editor")

    show()
    press("1")
    editor = program.editor_shown("the key 1 to open the editor")
    # The picture once the list holds the two default entries and has been drawn.
    wait_until(lambda: len(driver("rows", "--hwnd", editor.hwnd, check_rc=False)) == 2, 10,
               what="the editor's list to fill")
    driver("wait-drawn", "--hwnd", editor.hwnd)
    artefact("editor.png")
    close_editor("Cancel", "the key 1")
    check(program.main_visible(), "Cancel in the editor hid the main window")

    program.in_front("--class", MAIN_CLASS, what="the main window to be in front again")
    press("numpad1")
    check(stays_true(lambda: not program.editors_shown(), 1.0), "the 1 of the numeric pad opened the editor")

    press("shift+1")
    close_editor("Ok", "Shift+1")
    program.main_hidden(what="OK in the editor to hide the main window")

    # From the tray icon, with the main window hidden and with it shown.
    double_click_icon()
    check(not program.main_visible(), "a double click on the icon showed the main window")
    close_editor("Ok", "a double click on the icon (main window hidden)")
    check(stays_true(lambda: not program.main_visible(), 1.0), "the main window showed after OK")
    show()
    double_click_icon()
    close_editor("Cancel", "a double click on the icon (main window shown)")
    check(program.main_visible(), "Cancel in the editor opened from the icon hid the main window")
    double_click_icon()
    close_editor("Ok", "a second double click on the icon (main window shown)")
    program.main_hidden(what="OK in the editor opened from the icon to hide the main window")

    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
