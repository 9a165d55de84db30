#!/usr/bin/env python3
"""Quitting from the main window asks first.  Cancel leaves everything
running: the process, the main window, the tray icon and the hotkeys.  OK
ends the program with exit code 0, its list written and its icon gone."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (Velmora, check, encode_list, lines_of, notify_window, press, read_log,  # noqa: E402
                    run, stays_true, tray_click, wait_log, wait_tray, wait_until, wine_tray_icons)

CTRL_SHIFT = 6
QUESTION = "終了します.よろしいですか？"
EXIT_BUTTON = "終了(常駐解除)"


def scenario(started):
    program = Velmora("main-quit")
    started.append(program)
    target, log = program.install_recorder("tools")
    entries = [(target, "quit-test", CTRL_SHIFT, ord("H"), 1, 0)]
    program.write_list(entries)
    program.start()
    main = program.main_window()
    owner = notify_window(program)
    wait_tray(owner, True)

    def show():
        tray_click(program, "right")
        program.main_shown()

    def ask():
        program.click(main.hwnd, EXIT_BUTTON)
        box, text, buttons = program.message_box()
        check(lines_of(text) == [QUESTION], f"the quit question reads {text!r}")
        check(sorted(buttons) == ["Cancel", "Ok"], f"the quit question's buttons: {buttons!r}")
        return box

    show()
    box = ask()
    program.click(box, "Cancel")
    program.wait_closed(box)
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
    show()
    box = ask()
    program.click(box, "Ok")
    check(program.wait_exit(20) == 0, f"exit code {program.process.returncode}")
    check(program.read_list() == encode_list(entries), f"list at the end: {program.read_list()!r}")
    wait_tray(owner, False)
    wait_until(lambda: len(wine_tray_icons()) == icons - 1, 5, what="Wine's tray to drop the icon")
    check(len(read_log(log)) == 1, "the target was launched again")


if __name__ == "__main__":
    sys.exit(run(scenario))
