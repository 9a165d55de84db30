#!/usr/bin/env python3
"""Esc, Shift+Esc, the close box (a real click on it), Alt+F4 and the close
command all only hide the main window: the process, the tray icon and the
hotkeys stay."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, check, driver, notify_window, press, recorder_program, run,  # noqa: E402
                    show_main, stays_true, wait_log, wait_tray)


def scenario(started):
    program, target, log = recorder_program(started, "main-hide")
    main = program.start_in_tray([(target, "hide-test", CTRL_SHIFT, ord("H"), 1, 0)])
    owner = notify_window(program)

    def show():
        show_main(program, front=True)

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
    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
