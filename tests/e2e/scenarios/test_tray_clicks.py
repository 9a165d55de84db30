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
from e2elib import (EDITOR_CLASS, MAIN_CLASS, Velmora, check, driver, notify_window, post_tray, run,  # noqa: E402
                    stays_true, tray_click, wait_tray)

WM_LBUTTONDBLCLK, WM_RBUTTONUP = 515, 517


def scenario(started):
    program = Velmora("tray-clicks")
    started.append(program)
    program.start()
    main = program.main_window()
    check(not main.visible, "the main window is visible at start")
    wait_tray(notify_window(program), True)

    def visible():
        return program.main_window().visible

    def editors():
        return program.windows("--class", EDITOR_CLASS, "--visible")

    def editor_shown(what):
        return program.wait_window("--class", EDITOR_CLASS, "--visible", timeout=10, what=what)

    def editor_closed():
        program.wait_no_window("--class", EDITOR_CLASS, "--visible", what="the editor to close")

    def hide():
        driver("post", "--pid", program.pid, "--class", MAIN_CLASS, "WM_CLOSE")
        program.main_hidden()

    tray_click(program, "right")
    program.main_shown(what="the main window after a right click on the icon")
    check(not editors(), "a right click opened the editor")
    hide()

    tray_click(program, "right", double=True)
    program.main_shown(what="the main window after a right double click")
    check(stays_true(lambda: not editors(), 1.5), "a right double click opened the editor")
    hide()

    tray_click(program, "left", double=True)
    editor = editor_shown("the editor after a left double click")
    check(not visible(), "a left double click showed the main window")

    # The editor runs inside the double click's handler: the icon is deaf.
    post_tray(program, WM_RBUTTONUP)
    check(stays_true(lambda: not visible(), 1.5), "a right click reached the main window while the editor was open")

    driver("click", "--hwnd", editor.hwnd, "--text", "Cancel")
    editor_closed()
    check(not visible(), "Cancel in the editor showed the main window")

    post_tray(program, WM_RBUTTONUP)
    program.main_shown(what="the main window after a posted right button release")
    hide()
    post_tray(program, WM_LBUTTONDBLCLK)
    editor = editor_shown("the editor after a posted left double click")
    driver("click", "--hwnd", editor.hwnd, "--text", "Cancel")
    editor_closed()

    check(program.end_session() != 0, "the end of the session was refused")


if __name__ == "__main__":
    sys.exit(run(scenario))
