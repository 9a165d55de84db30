#!/usr/bin/env python3
"""A hotkey held down opens its target once, not once per auto-repeat of the
keyboard.  The control first shows that this system sends a WM_HOTKEY for
every repeated key-down even to a hotkey registered with MOD_NOREPEAT (Wine
ignores the flag), so the check on the program can fail."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import check, driver, read_log, recorder_program, run, stays_true, wait_log  # noqa: E402

CTRL, SHIFT = 2, 4
REPEATS = 12


def scenario(started):
    rows = driver("hotkey-repeats", "--mods", str(CTRL | SHIFT), "--vk", str(ord("Q")),
                  "--norepeat", "1", "--repeat", str(REPEATS))
    control = int(rows[0][0])
    print(f"control: {REPEATS} key-downs of a hotkey registered with MOD_NOREPEAT gave {control} WM_HOTKEY")
    # Without repeats reaching a hotkey, holding one proves nothing of the program.
    check(control > 1, f"the control saw {control} WM_HOTKEY for {REPEATS} key-downs: the key did not repeat")

    program, target, log = recorder_program(started, "held_hotkey")
    program.start_resident([(target, "held", CTRL | SHIFT, ord("R"), 1, 0)])

    driver("press", "--repeat", str(REPEATS), "ctrl+shift+r")
    wait_log(log, 1)
    check(stays_true(lambda: len(read_log(log)) == 1, 1.5),
          f"held for {REPEATS} key-downs, the target started {len(read_log(log))} times")

    # Released and pressed again: a new press.
    driver("press", "ctrl+shift+r")
    starts = wait_log(log, 2)
    check(len(starts) == 2, f"{len(starts)} starts after a second press")
    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
