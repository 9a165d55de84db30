#!/usr/bin/env python3
"""The tray icon: started while the notification area refuses icons (at
log-on, before Explorer is ready; a stand-in for the shell's tray here),
the program stays resident without a word and its hotkeys work; once the
shell announces itself ("TaskbarCreated") the icon is in the notification
area (the shell holds it under the notify window and id 1, and Wine's tray
shows it, once); back after the next "TaskbarCreated" once the shell has
lost it, and answering clicks again; gone when the program has ended.

The presence check is shown to fail for a missing icon first: for another
id, for another window, and after the icon has been deleted behind the
program's back."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MAIN_CLASS, WINE, WIN_DIR, check, driver, new_program, notify_window, press, run,  # noqa: E402
                    show_main, stays_true, tray_has, wait_tray, wait_until, wine_env, wine_tray_icons)


def scenario(started):
    before = len(wine_tray_icons())
    program = new_program(started, "tray-icon")
    with tempfile.TemporaryFile() as out:
        stand_in = subprocess.Popen([WINE, os.path.join(WIN_DIR, "driver.exe"), "shell-refuse", "--timeout",
                                     "60000"], env=wine_env(), stdout=out, stderr=subprocess.DEVNULL)
        try:
            wait_until(lambda: out.seek(0) == 0 and b"ready" in out.read(), 20, what="the stand-in tray")
            main = program.start_resident()
            press("ctrl+vk:0xdc")   # the default entry that shows the main window
            wait_until(program.main_visible, 5, what="the main window by its hotkey")
            check(len(wine_tray_icons()) == before, "the icon reached Wine's tray past the stand-in")
            check(not program.boxes_shown(), "a box was shown while the shell refused the icon")
        finally:
            stand_in.kill()
            stand_in.wait()
    program.hide_main()
    owner = notify_window(program)
    driver("post", "--pid", program.pid, "--class", MAIN_CLASS, "--all", "reg:TaskbarCreated")

    wait_tray(owner, True)
    check(len(wine_tray_icons()) == before + 1, f"Wine's tray shows {wine_tray_icons()}, expected one icon more")
    # Negative controls: the check says no for an icon that is not there.
    check(not tray_has(owner, icon_id=2), "the shell holds an icon with id 2")
    check(not tray_has(main.hwnd), "the shell holds an icon of the main window itself")

    # The shell loses the icon (as when Explorer restarts): the check sees it.
    check(driver("tray-delete", "--owner", owner, "--id", 1)[0][0] == "1", "the shell did not delete the icon")
    wait_tray(owner, False)
    wait_until(lambda: len(wine_tray_icons()) == before, 5, what="Wine's tray to drop the icon")
    check(stays_true(lambda: not tray_has(owner), 1.5), "the icon came back before the shell announced itself")

    # The new shell announces itself to every top-level window.
    driver("post", "--pid", program.pid, "--class", MAIN_CLASS, "--all", "reg:TaskbarCreated")
    wait_tray(owner, True)
    wait_until(lambda: len(wine_tray_icons()) == before + 1, 5, what="Wine's tray to show the icon again")
    # The icon added again still reports its clicks to the program.
    show_main(program)

    program.consent_to_end()
    wait_tray(owner, False)
    wait_until(lambda: len(wine_tray_icons()) == before, 5, what="Wine's tray to drop the icon at the end")


if __name__ == "__main__":
    sys.exit(run(scenario))
