#!/usr/bin/env python3
"""Two entries with the same combination: the lower one gets the hotkey, the
higher one gives exactly one warning box (its text names the combination and
the target) and is written disabled at the end; later entries still work."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, check, parameters_of, press_each, read_log, recorder_program,  # noqa: E402
                    refusal_warning, run, stays_true)


def scenario(started):
    program, target, log = recorder_program(started, "duplicate")
    entries = [
        (target, "first", CTRL_SHIFT, ord("D"), 1, 0),
        (target, "second", CTRL_SHIFT, ord("D"), 1, 0),
        (target, "third", CTRL_SHIFT, ord("E"), 1, 0),
    ]
    program.write_list(entries)
    program.start()

    program.answer_box("Ok", lines=refusal_warning("Ctrl + Shift + D", target + " second"), buttons=["Ok"])
    check(program.no_box_during(1.5), "a second box appeared")

    params = [parameters_of(s) for s in press_each(log, "ctrl+shift+d", "ctrl+shift+e")]
    check(params == ["first", "third"], f"launched {params!r}, expected ['first', 'third']")
    check(stays_true(lambda: len(read_log(log)) == 2, 0.5), "a hotkey launched twice")

    program.consent_to_end()
    program.check_list([entries[0], (target, "second", CTRL_SHIFT, ord("D"), 0, 0), entries[2]])


if __name__ == "__main__":
    sys.exit(run(scenario))
