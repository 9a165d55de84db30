#!/usr/bin/env python3
"""A second copy of the program, started while the first runs, cannot have
any of the first one's combinations: one warning per entry, each entry
disabled in its list; the first copy keeps its hotkeys and its list."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (Velmora, check, encode_list, lines_of, press, read_log, run,  # noqa: E402
                    stays_true, wait_log)

CTRL_SHIFT = 6


def entries_for(target):
    return [(target, "f", CTRL_SHIFT, ord("F"), 1, 0), (target, "g", CTRL_SHIFT, ord("G"), 1, 0)]


def scenario(started):
    first = Velmora("first-copy")
    started.append(first)
    first_target, first_log = first.install_recorder("tools")
    first.write_list(entries_for(first_target))
    first_list = first.read_list()
    first.start()
    first.main_window()
    check(stays_true(lambda: not first.boxes_shown(), 0.5), "the first copy showed a box")

    second = Velmora("second-copy")
    started.append(second)
    second_target, second_log = second.install_recorder("tools")
    second.write_list(entries_for(second_target))
    second.start()

    for key in ("F", "G"):
        box, text, _ = second.message_box()
        lines = lines_of(text)
        check(len(lines) == 6 and lines[3] == f"Ctrl + Shift + {key}",
              f"second copy's warning for {key} reads {lines!r}")
        second.click(box, "Ok")
        second.wait_closed(box)
    check(stays_true(lambda: not second.boxes_shown(), 1.5), "the second copy showed a third box")

    press("ctrl+shift+f", "ctrl+shift+g")
    wait_log(first_log, 2)
    check(stays_true(lambda: not read_log(second_log), 0.5), "the second copy launched its target")

    check(second.end_session() != 0, "the second copy refused the end of the session")
    disabled = [(second_target, "f", CTRL_SHIFT, ord("F"), 0, 0), (second_target, "g", CTRL_SHIFT, ord("G"), 0, 0)]
    check(second.read_list() == encode_list(disabled), f"second copy's list: {second.read_list()!r}")

    check(first.end_session() != 0, "the first copy refused the end of the session")
    check(first.read_list() == first_list, f"first copy's list changed: {first.read_list()!r}")


if __name__ == "__main__":
    sys.exit(run(scenario))
