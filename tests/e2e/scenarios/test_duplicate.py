#!/usr/bin/env python3
"""Two entries with the same combination: the lower one gets the hotkey, the
higher one gives exactly one warning box (its text names the combination and
the target) and is written disabled at the end; later entries still work."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (Velmora, check, encode_list, lines_of, press, read_log, run,  # noqa: E402
                    stays_true, wait_log)

CTRL_SHIFT = 6


def scenario(started):
    program = Velmora("duplicate")
    started.append(program)
    target, log = program.install_recorder("tools")
    entries = [
        (target, "first", CTRL_SHIFT, ord("D"), 1, 0),
        (target, "second", CTRL_SHIFT, ord("D"), 1, 0),
        (target, "third", CTRL_SHIFT, ord("E"), 1, 0),
    ]
    program.write_list(entries)
    program.start()

    box, text, buttons = program.message_box()
    expected = ["[警告] ホットキーが重複しているため、", "以下のショートカットが無効化されます.", "",
                "Ctrl + Shift + D", "", target + " second"]
    check(lines_of(text) == expected, f"warning reads {lines_of(text)!r}, expected {expected!r}")
    check(buttons == ["Ok"], f"warning buttons {buttons!r}")
    program.click(box, "Ok")
    program.wait_closed(box)
    check(stays_true(lambda: not program.boxes_shown(), 1.5), "a second box appeared")

    press("ctrl+shift+d")
    starts = wait_log(log, 1)
    press("ctrl+shift+e")
    starts = wait_log(log, 2)
    params = [s["cmdline"].rsplit(" ", 1)[-1] for s in starts]
    check(params == ["first", "third"], f"launched {params!r}, expected ['first', 'third']")
    check(stays_true(lambda: len(read_log(log)) == 2, 0.5), "a hotkey launched twice")

    check(program.end_session() != 0, "the end of the session was refused")
    saved = program.read_list()
    disabled = [entries[0], (target, "second", CTRL_SHIFT, ord("D"), 0, 0), entries[2]]
    check(saved == encode_list(disabled), f"list at the end: {saved!r}")


if __name__ == "__main__":
    sys.exit(run(scenario))
