#!/usr/bin/env python3
"""No leaks in the resident program: velmora_counters.exe (the program with a
window that reports the forms backend's live windows, fonts and icons and
the C++ heap in use) goes through many rounds of opening and closing the
editor (OK and Cancel in turn), the version box and the main window, and
WM_HOTKEY messages (most with an id of no slot, every thousandth launching
the recorder).  After one warm-up round the counts at the end must be the
counts at the start.

VELMORA_LEAK_CYCLES sets the rounds of each window (default 120, so that
the scenario stays within a minute; the full 1000 by hand), and
VELMORA_LEAK_HOTKEYS the hotkey messages (default 10000).

The test prefix keeps Wine's X11 windows unmanaged (scripts/wine-prefix.sh):
with managed windows and no window manager on the test display, Wine waits
two seconds each time it hides a window, and a round would take six."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import CTRL_SHIFT, WIN_DIR, check, driver, read_log, recorder_program, run, wait_log  # noqa: E402


def scenario(started):
    cycles = int(os.environ.get("VELMORA_LEAK_CYCLES", "120"))
    hotkeys = int(os.environ.get("VELMORA_LEAK_HOTKEYS", "10000"))
    program, target, log = recorder_program(started, "leaks", "rec")
    shutil.copy2(os.path.join(WIN_DIR, "velmora_counters.exe"), program.unix("velmora.exe"))
    program.start_resident([(target, "leak", CTRL_SHIFT, ord("J"), 1, 2),
                            ("C:\\never.exe", "", CTRL_SHIFT, ord("K"), 0, 0)])

    rows = driver("cycles", "--pid", program.pid, "--editors", cycles, "--boxes", cycles, "--mains", cycles,
                  "--hotkeys", hotkeys, "--real-id", 256, "--idle-id", 9999, "--real-every", 1000,
                  timeout=600)
    counts = {r[0]: [int(v) for v in r[1:]] for r in rows}
    names = ["windows", "fonts", "icons", "heap blocks", "heap bytes"]
    before, after = counts["before"], counts["after"]
    print(f"{cycles} editor (OK/Cancel), version box and main window cycles and {hotkeys} hotkeys in "
          f"{counts['ms'][0]} ms; an open editor: {counts['open']}; " + ", ".join(f"{n} {b} -> {a}" for n, b, a in zip(names, before, after)))
    opened = counts["open"]
    check(opened[0] > before[0] and opened[3] > before[3],
          f"the counters do not see an open editor: {opened} open, {before} closed")
    for name, b, a in zip(names, before, after):
        check(a == b, f"{name}: {b} before, {a} after")
    # The hotkeys really went through: the real id launched the recorder
    # once in the warm-up round and once per thousand afterwards.
    launches = 1 + hotkeys // 1000
    wait_log(log, launches, timeout=30)
    check(len(read_log(log)) == launches, f"{len(read_log(log))} launches, expected {launches}")
    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
