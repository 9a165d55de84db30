#!/usr/bin/env python3
"""Quitting from the main window asks first.  Cancel leaves everything
running: the process, the main window, the tray icon and the hotkeys.  OK
ends the program with exit code 0, its list written and its icon gone."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, check, notify_window, press, read_log, recorder_program, run,  # noqa: E402
                    show_main, stays_true, wait_log, wait_tray, wait_until, wine_tray_icons)

QUESTION = "終了します.よろしいですか？"
EXIT_BUTTON = "終了(常駐解除)"


def scenario(started):
    program, target, log = recorder_program(started, "main-quit")
    entries = [(target, "quit-test", CTRL_SHIFT, ord("H"), 1, 0)]
    main = program.start_in_tray(entries)
    owner = notify_window(program)

    def quit_answered(button):
        show_main(program)
        program.click(main.hwnd, EXIT_BUTTON)
        program.answer_box(button, lines=[QUESTION], buttons=["Cancel", "Ok"])

    quit_answered("Cancel")
    check(stays_true(lambda: program.process.poll() is None, 1.5), "Cancel ended the program")
    check(program.main_window().visible, "Cancel hid the main window")
    wait_tray(owner, True)
    # The hotkeys still act (they act while the main window is hidden).
    press("esc")
    program.main_hidden(what="Esc to hide the main window")
    press("ctrl+shift+h")
    starts = wait_log(log, 1)
    check(starts[0]["cmdline"].endswith(" quit-test"), f"launched with {starts[0]['cmdline']!r}")

    icons = len(wine_tray_icons())
    quit_answered("Ok")
    check(program.wait_exit(20) == 0, f"exit code {program.process.returncode}")
    program.check_list(entries)
    wait_tray(owner, False)
    wait_until(lambda: len(wine_tray_icons()) == icons - 1, 5, what="Wine's tray to drop the icon")
    check(len(read_log(log)) == 1, "the target was launched again")


if __name__ == "__main__":
    sys.exit(run(scenario))
