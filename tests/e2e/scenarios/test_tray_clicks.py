#!/usr/bin/env python3
"""Clicks on the tray icon reach the main window's handlers through the
shell's callback: a right button release (a real click in Wine's tray) shows
the main window; a right double click shows it and opens no editor; a left
double click opens the editor.  While that editor is open every callback is
dropped; once it is closed, callbacks posted as the shell sends them
(WM_TRAYNOTIFY, wParam 1, lParam 517 / 515) act again."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (EDITOR_CLASS, WM_LBUTTONDBLCLK, WM_RBUTTONUP, check, driver, new_program, post_tray,  # noqa: E402
                    run, stays_true, tray_click)


def scenario(started):
    program = new_program(started, "tray-clicks")
    main = program.start_in_tray()
    check(not main.visible, "the main window is visible at start")

    def editor_closed():
        program.wait_no_window("--class", EDITOR_CLASS, "--visible", what="the editor to close")

    tray_click(program, "right")
    program.main_shown(what="the main window after a right click on the icon")
    check(not program.editors_shown(), "a right click opened the editor")
    program.hide_main()

    tray_click(program, "right", double=True)
    program.main_shown(what="the main window after a right double click")
    check(stays_true(lambda: not program.editors_shown(), 1.5), "a right double click opened the editor")
    program.hide_main()

    tray_click(program, "left", double=True)
    editor = program.editor_shown("the editor after a left double click")
    check(not program.main_visible(), "a left double click showed the main window")

    # The editor runs inside the double click's handler: the icon is deaf.
    post_tray(program, WM_RBUTTONUP)
    check(stays_true(lambda: not program.main_visible(), 1.5),
          "a right click reached the main window while the editor was open")

    driver("click", "--hwnd", editor.hwnd, "--text", "Cancel")
    editor_closed()
    check(not program.main_visible(), "Cancel in the editor showed the main window")

    post_tray(program, WM_RBUTTONUP)
    program.main_shown(what="the main window after a posted right button release")
    program.hide_main()
    post_tray(program, WM_LBUTTONDBLCLK)
    editor = program.editor_shown("the editor after a posted left double click")
    driver("click", "--hwnd", editor.hwnd, "--text", "Cancel")
    editor_closed()

    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
