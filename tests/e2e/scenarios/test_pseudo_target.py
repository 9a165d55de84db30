#!/usr/bin/env python3
"""The pseudo target's hotkey shows the main window; while it is shown every
hotkey is ignored; once it is hidden again (by its close command, which only
hides it) the hotkeys act again."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (CTRL_SHIFT, PSEUDO_TARGET, check, press, read_log, recorder_program, run,  # noqa: E402
                    stays_true, wait_log)


def scenario(started):
    program, target, log = recorder_program(started, "pseudo")
    main = program.start_resident([
        (target, "launched", CTRL_SHIFT, ord("H"), 1, 0),
        (PSEUDO_TARGET, "", CTRL_SHIFT, ord("J"), 1, 0),
        # Another case is not the pseudo target: a file of that name, which
        # the shell cannot open; the main window stays hidden.
        (PSEUDO_TARGET.lower(), "", CTRL_SHIFT, ord("K"), 1, 0),
    ])
    check(not main.visible, "the main window is visible at start")

    press("ctrl+shift+k")
    check(stays_true(lambda: not program.main_visible(), 1.0),
          "the pseudo target in lower case showed the main window")

    press("ctrl+shift+j")
    program.main_shown()

    press("ctrl+shift+h")
    check(stays_true(lambda: not read_log(log), 1.0), "a hotkey launched while the main window was shown")

    # The close command hides the window; the program stays.
    program.hide_main()
    check(program.process.poll() is None, "closing the main window ended the program")

    press("ctrl+shift+h")
    starts = wait_log(log, 1)
    check(starts[0]["cmdline"].endswith(" launched"), f"launched with {starts[0]['cmdline']!r}")

    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
