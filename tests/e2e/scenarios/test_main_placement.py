#!/usr/bin/env python3
"""A right click on the tray icon shows the main window beside the taskbar
as the shell reports it (ABM_GETTASKBARPOS); a second right click while it
is shown does not move it, only brings it to the front; hidden and shown
again, it goes back beside the taskbar.  Keeps a screenshot of it."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MAIN_CLASS, WINE, Velmora, artefact, check, driver, expected_place, notify_window, press,  # noqa: E402
                    run, taskbar, tray_click_until, wait_tray, wait_until, window_rect, wine_env)


def scenario(started):
    program = Velmora("main-placement")
    started.append(program)
    program.start()
    program.main_window()
    wait_tray(notify_window(program), True)
    bar, screen_w, screen_h = taskbar()
    check(bar is not None, "the shell reports no taskbar rectangle")

    def shown_at():
        left, top, right, bottom = window_rect(program, MAIN_CLASS)
        return (left, top), (right - left, bottom - top)

    def foreground():
        rows = driver("foreground", check_rc=False)
        return rows and rows[0][3] == MAIN_CLASS

    tray_click_until(program, "right", lambda: program.main_window().visible, "the main window to show")
    place, (width, height) = shown_at()
    expected = expected_place(bar, screen_w, screen_h, width, height)
    check(place == expected, f"shown at {place} with taskbar {bar} on {screen_w}x{screen_h}, expected {expected}")
    check(width > 222 and height > 173, f"outer size {width}x{height} is not larger than the client area")
    wait_until(foreground, 5, what="the main window to come to the front")
    artefact("main-window.png")

    # Moved away and behind another window, a second right click only
    # brings it to the front.
    driver("move", "--pid", program.pid, "--class", MAIN_CLASS, 100, 150)
    check(window_rect(program, MAIN_CLASS)[:2] == (100, 150), "the window did not move")
    other = subprocess.Popen([WINE, "notepad.exe"], env=wine_env(), stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        wait_until(lambda: (driver("foreground", check_rc=False) or [[""] * 4])[0][3] == "Notepad", 15,
                   what="Notepad to take the front")
        # Out of the way of Wine's tray, which it covers where it opens.
        driver("move", "--any-process", "--class", "Notepad", 300, 200)
        tray_click_until(program, "right", foreground, "the main window to come to the front again")
    finally:
        other.kill()
        other.wait(timeout=10)
    check(window_rect(program, MAIN_CLASS)[:2] == (100, 150),
          f"a second right click moved the window to {window_rect(program, MAIN_CLASS)[:2]}")

    press("esc")
    wait_until(lambda: not program.main_window().visible, 10, what="Esc to hide the window")
    tray_click_until(program, "right", lambda: program.main_window().visible, "the main window to show again")
    place, _ = shown_at()
    check(place == expected, f"shown again at {place}, expected {expected}")

    check(program.end_session() != 0, "the end of the session was refused")


if __name__ == "__main__":
    sys.exit(run(scenario))
