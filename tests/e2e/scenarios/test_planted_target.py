#!/usr/bin/env python3
"""A target named without a folder is not looked for in the folder the
program was started from: a program of that name planted there is never
started, while the same hotkey still opens a target given with its folder."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import WIN_DIR, check, press, read_log, recorder_program, run, stays_true, wait_log  # noqa: E402


def scenario(started):
    program, target, log = recorder_program(started, "planted")
    start_folder = program.unix("downloads")
    os.makedirs(start_folder)
    shutil.copy2(os.path.join(WIN_DIR, "recorder.exe"), os.path.join(start_folder, "planted-recorder.exe"))
    planted_log = os.path.join(start_folder, "recorder.log")
    program.start_resident([
        ("planted-recorder.exe", "", 6, ord("P"), 1, 0),
        (target, "real", 6, ord("O"), 1, 0),
    ], cwd=start_folder)

    press("ctrl+shift+p")
    press("ctrl+shift+o")
    wait_log(log, 1)
    check(stays_true(lambda: not read_log(planted_log), 1.0),
          "the program planted in the start folder was started")
    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
