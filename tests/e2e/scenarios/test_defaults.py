#!/usr/bin/env python3
"""Without a list file the program starts silently with the two default
entries, and when Windows ends the session it consents, ends, and leaves the
list file with exactly the six default lines."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import DEFAULT_LIST, check, new_program, run  # noqa: E402


def scenario(started):
    program = new_program(started, "defaults")
    check(not os.path.exists(program.list_file), "the fresh folder already has a list")
    main = program.start_resident()
    check(not main.visible, "the main window is visible at start")
    check(program.no_box_during(1.0), "a box appeared at start without a list")
    check(not os.path.exists(program.list_file), "the list was written before the end")

    program.consent_to_end()
    check(os.path.exists(program.list_file), "no list file after the end")
    program.check_list(DEFAULT_LIST)


if __name__ == "__main__":
    sys.exit(run(scenario))
