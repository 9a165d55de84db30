#!/usr/bin/env python3
"""Each hotkey of a list opens its target through the shell with the entry's
parameters, the target's own folder as working folder and the show command
of its size; a disabled entry's hotkey does nothing.  The target lies in a
folder with a Japanese name and one parameter is Japanese, so every text
crosses from code page 932 to the wide API intact."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (SW_SHOW, SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED, Velmora, check, folder_of,  # noqa: E402
                    press, read_log, run, same_folder, stays_true, wait_log)

CTRL, SHIFT, ALT = 2, 4, 1


def scenario(started):
    program = Velmora("launch")
    started.append(program)
    target, log = program.install_recorder("ツール")
    # (keys to press, entry, expected parameter text, expected show command)
    cases = [
        ("ctrl+shift+r", (target, "alpha beta", CTRL | SHIFT, ord("R"), 1, 0), "alpha beta", SW_SHOW),
        ("ctrl+shift+t", (target, "日本語 パラメータ", CTRL | SHIFT, ord("T"), 1, 1), "日本語 パラメータ",
         SW_SHOWMAXIMIZED),
        ("ctrl+alt+u", (target, "", CTRL | ALT, ord("U"), 1, 2), "", SW_SHOWMINIMIZED),
        ("ctrl+shift+f9", (target, "-x", CTRL | SHIFT, 120, 1, 7), "-x", SW_SHOW),
    ]
    disabled = (target, "never", CTRL | SHIFT, ord("Y"), 0, 0)
    entries = [c[1] for c in cases] + [disabled]
    program.write_list(entries)
    original = program.read_list()

    program.start()
    program.main_window()
    check(stays_true(lambda: not program.boxes_shown(), 0.5), "a box appeared at start")

    for number, (keys, entry, parameter, show) in enumerate(cases, start=1):
        press(keys)
        starts = wait_log(log, number)
        check(len(starts) == number, f"{keys}: {len(starts)} starts instead of {number}")
        got = starts[-1]
        check(int(got["show"]) == show, f"{keys}: show command {got['show']}, expected {show}")
        check(same_folder(got["cwd"], folder_of(target)),
              f"{keys}: working folder {got['cwd']!r}, expected {folder_of(target)!r}")
        cmdline = got["cmdline"]
        check(target.lower() in cmdline.lower(), f"{keys}: command line {cmdline!r} does not name {target!r}")
        tail = cmdline[cmdline.lower().rfind("recorder.exe") + len("recorder.exe"):].lstrip('"').strip()
        check(tail == parameter, f"{keys}: parameters {tail!r}, expected {parameter!r}")

    press("ctrl+shift+y")
    check(stays_true(lambda: len(read_log(log)) == len(cases), 1.0), "the disabled entry's hotkey launched")

    check(program.end_session() != 0, "the end of the session was refused")
    check(program.read_list() == original, f"the list changed: {program.read_list()!r}")


if __name__ == "__main__":
    sys.exit(run(scenario))
