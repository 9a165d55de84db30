#!/usr/bin/env python3
"""Started before the notification area takes icons (at log-on, racing
Explorer): while a stand-in for the shell's tray refuses every icon, the
program stays resident without a word and its hotkeys work; once the
stand-in has gone and the shell has announced itself ("TaskbarCreated"), the
icon is in Wine's tray, once, and the end of the session takes it away."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MAIN_CLASS, WIN32_DIR, Velmora, check, driver, encode_list, notify_window, press,  # noqa: E402
                    run, wait_log, wait_tray, wait_until, wine_env, wine_tray_icons)


def scenario(started):
    before = len(wine_tray_icons())
    program = Velmora("late-shell")
    started.append(program)
    target, log = program.install_recorder("tools")
    program.write_list(encode_list([(target, "", 6, ord("L"), 1, 0)]))
    with tempfile.TemporaryFile() as out:
        stand_in = subprocess.Popen(["wine", os.path.join(WIN32_DIR, "driver.exe"), "shell-refuse", "--timeout",
                                     "60000"], env=wine_env(), stdout=out, stderr=subprocess.DEVNULL)
        try:
            wait_until(lambda: out.seek(0) == 0 and b"ready" in out.read(), 20, what="the stand-in tray")
            program.start()
            program.main_window()
            press("ctrl+shift+l")
            wait_log(log, 1)
            check(len(wine_tray_icons()) == before, "the icon reached Wine's tray past the stand-in")
            check(not program.boxes_shown(), "a box was shown while the shell refused the icon")
        finally:
            stand_in.kill()
            stand_in.wait()
    owner = notify_window(program)
    driver("post", "--pid", program.pid, "--class", MAIN_CLASS, "--all", "reg:TaskbarCreated")
    wait_tray(owner, True)
    wait_until(lambda: len(wine_tray_icons()) == before + 1, 5, what="Wine's tray to show the icon once")
    check(not program.boxes_shown(), "a box was shown once the shell took the icon")
    check(program.end_session() != 0, "the end of the session was refused")
    wait_tray(owner, False)


if __name__ == "__main__":
    sys.exit(run(scenario))
