#!/usr/bin/env python3
"""Without a list file the program starts silently with the two default
entries, and when Windows ends the session it consents, ends, and leaves the
list file with exactly the six default lines."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import Velmora, check, run, stays_true  # noqa: E402

DEFAULT_LIST = (b"calc.exe\r\n\r\n6 67 1 0\r\n"
                b"VELMORA_SHOWMAINWINDOW\r\n\r\n2 220 1 0\r\n")


def scenario(started):
    program = Velmora("defaults")
    started.append(program)
    check(not os.path.exists(program.list_file), "the fresh folder already has a list")
    program.start()

    main = program.main_window()
    check(not main.visible, "the main window is visible at start")
    check(stays_true(lambda: not program.boxes_shown(), 1.0), "a box appeared at start without a list")
    check(not os.path.exists(program.list_file), "the list was written before the end")

    answer = program.end_session()
    check(answer != 0, f"WM_QUERYENDSESSION answered {answer}, not consent")
    check(os.path.exists(program.list_file), "no list file after the end")
    check(program.read_list() == DEFAULT_LIST, f"list file holds {program.read_list()!r}")


if __name__ == "__main__":
    sys.exit(run(scenario))
