#!/usr/bin/env python3
"""Each hotkey of a list opens its target through the shell with the entry's
parameters, the target's own folder as working folder and the show command
of its size; a disabled entry's hotkey does nothing.  The target lies in a
folder with a Japanese name and one parameter is Japanese, so every text
crosses from code page 932 to the wide API intact."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, MOD_ALT, MOD_CTRL, SW_SHOW, SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED, check,  # noqa: E402
                    check_start, press, read_log, recorder_program, run, stays_true, wait_log)


def scenario(started):
    program, target, log = recorder_program(started, "launch", "ツール")
    # (keys to press, entry, expected parameter text, expected show command)
    cases = [
        ("ctrl+shift+r", (target, "alpha beta", CTRL_SHIFT, ord("R"), 1, 0), "alpha beta", SW_SHOW),
        ("ctrl+shift+t", (target, "日本語 パラメータ", CTRL_SHIFT, ord("T"), 1, 1), "日本語 パラメータ",
         SW_SHOWMAXIMIZED),
        ("ctrl+alt+u", (target, "", MOD_CTRL | MOD_ALT, ord("U"), 1, 2), "", SW_SHOWMINIMIZED),
        ("ctrl+shift+f9", (target, "-x", CTRL_SHIFT, 120, 1, 7), "-x", SW_SHOW),
    ]
    disabled = (target, "never", CTRL_SHIFT, ord("Y"), 0, 0)
    entries = [c[1] for c in cases] + [disabled]
    original = program.write_list(entries)

    program.start_resident()
    check(program.no_box_during(0.5), "a box appeared at start")

    for number, (keys, entry, parameter, show) in enumerate(cases, start=1):
        press(keys)
        starts = wait_log(log, number)
        check(len(starts) == number, f"{keys}: {len(starts)} starts instead of {number}")
        check_start(starts[-1], keys, target, parameter, show)

    press("ctrl+shift+y")
    check(stays_true(lambda: len(read_log(log)) == len(cases), 1.0), "the disabled entry's hotkey launched")

    program.consent_to_end()
    program.check_list(original, "the list changed")


if __name__ == "__main__":
    sys.exit(run(scenario))
