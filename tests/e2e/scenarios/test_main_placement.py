#!/usr/bin/env python3
"""A right click on the tray icon shows the main window beside the taskbar
as the shell reports it (ABM_GETTASKBARPOS): on the screen, touching the
bar, at its end; a second right click while it is shown does not move it,
only brings it to the front; hidden and shown again, it goes back to the
same place.  Keeps a screenshot of it."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MAIN_CLASS, WINE, artefact, check, driver, driver_ok, new_program, placement_faults,  # noqa: E402
                    press, run, show_main, taskbar, tray_click, window_rect, wine_env)


def scenario(started):
    program = new_program(started, "main-placement")
    program.start_in_tray()
    bar, screen_w, screen_h = taskbar()
    check(bar is not None, "the shell reports no taskbar rectangle")

    show_main(program)
    shown = window_rect(program, MAIN_CLASS)
    faults = placement_faults(shown, bar, screen_w, screen_h)
    check(not faults, f"shown at {shown} with taskbar {bar} on {screen_w}x{screen_h}: {', '.join(faults)}")
    width, height = shown[2] - shown[0], shown[3] - shown[1]
    check(width > 222 and height > 173, f"outer size {width}x{height} is not larger than the client area")
    program.in_front("--class", MAIN_CLASS, what="the main window to come to the front")
    artefact("main-window.png")

    # Moved away and behind another window, a second right click only
    # brings it to the front.
    driver("move", "--pid", program.pid, "--class", MAIN_CLASS, 100, 150)
    check(window_rect(program, MAIN_CLASS)[:2] == (100, 150), "the window did not move")
    other = subprocess.Popen([WINE, "notepad.exe"], env=wine_env(), stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        check(driver_ok("foreground", "--class", "Notepad", "--timeout", 15000, timeout=45),
              "Notepad did not come to the front")
        # Out of the way of Wine's tray, which it covers where it opens.
        driver("move", "--any-process", "--class", "Notepad", 300, 200)
        tray_click(program, "right")
        program.in_front("--class", MAIN_CLASS, what="the main window to come to the front again")
    finally:
        other.kill()
        other.wait(timeout=10)
    check(window_rect(program, MAIN_CLASS)[:2] == (100, 150),
          f"a second right click moved the window to {window_rect(program, MAIN_CLASS)[:2]}")

    press("esc")
    program.main_hidden(what="Esc to hide the window")
    tray_click(program, "right")
    program.main_shown(what="the main window to show again")
    again = window_rect(program, MAIN_CLASS)
    check(again == shown, f"shown again at {again}, first at {shown}")

    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
