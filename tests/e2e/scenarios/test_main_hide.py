#!/usr/bin/env python3
"""Esc, Shift+Esc, the close box (a real click on it), Alt+F4 and the close
command all only hide the main window: the process, the tray icon and the
hotkeys stay."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MAIN_CLASS, Velmora, check, driver, notify_window, press, run, stays_true,  # noqa: E402
                    tray_click, wait_log, wait_tray)

CTRL_SHIFT = 6


def scenario(started):
    program = Velmora("main-hide")
    started.append(program)
    target, log = program.install_recorder("tools")
    program.write_list([(target, "hide-test", CTRL_SHIFT, ord("H"), 1, 0)])
    program.start()
    main = program.main_window()
    owner = notify_window(program)
    wait_tray(owner, True)

    def show():
        tray_click(program, "right")
        program.main_shown()
        program.in_front("--class", MAIN_CLASS, what="the main window to come to the front")

    def hidden_by(what):
        program.main_hidden(what=f"{what} to hide the main window")
        check(stays_true(lambda: program.process.poll() is None, 0.5), f"{what} ended the program")

    for keys in ("esc", "shift+esc", "alt+f4"):
        show()
        press(keys)
        hidden_by(keys)

    show()
    driver("close-box", "--hwnd", main.hwnd)
    hidden_by("the close box")

    show()
    program.click(main.hwnd, "このウィンドウを閉じる")
    hidden_by("the close command")

    wait_tray(owner, True)
    press("ctrl+shift+h")
    wait_log(log, 1)
    check(program.end_session() != 0, "the end of the session was refused")


if __name__ == "__main__":
    sys.exit(run(scenario))
