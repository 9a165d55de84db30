#!/usr/bin/env python3
"""A second copy of the program, started while the first runs, cannot have
any of the first one's combinations: one warning per entry, each entry
disabled in its list; the first copy keeps its hotkeys and its list."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, check, press, read_log, recorder_program, refusal_warning, run,  # noqa: E402
                    stays_true, wait_log)


def entries_for(target):
    return [(target, "f", CTRL_SHIFT, ord("F"), 1, 0), (target, "g", CTRL_SHIFT, ord("G"), 1, 0)]


def scenario(started):
    first, first_target, first_log = recorder_program(started, "first-copy")
    first_list = first.write_list(entries_for(first_target))
    first.start_resident()
    check(first.no_box_during(0.5), "the first copy showed a box")

    second, second_target, second_log = recorder_program(started, "second-copy")
    second.write_list(entries_for(second_target))
    second.start()

    for key in ("F", "G"):
        second.answer_box("Ok", lines=refusal_warning(f"Ctrl + Shift + {key}", f"{second_target} {key.lower()}"))
    check(second.no_box_during(1.5), "the second copy showed a third box")

    press("ctrl+shift+f", "ctrl+shift+g")
    wait_log(first_log, 2)
    check(stays_true(lambda: not read_log(second_log), 0.5), "the second copy launched its target")

    second.consent_to_end(" by the second copy")
    disabled = [(second_target, "f", CTRL_SHIFT, ord("F"), 0, 0), (second_target, "g", CTRL_SHIFT, ord("G"), 0, 0)]
    second.check_list(disabled, "the second copy's list")

    first.consent_to_end(" by the first copy")
    first.check_list(first_list, "the first copy's list changed")


if __name__ == "__main__":
    sys.exit(run(scenario))
