#!/usr/bin/env python3
"""A program folder whose name code page 932 cannot hold ("José", as in the
%LOCALAPPDATA% of a user of that name): the list beside the program is read
(its LF line ends as line ends), the help page beside it is found, and the
list is written back at the end of the session (CR LF) without an error box
and without a temporary file left behind."""
import os
import shutil
import sys
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (MAIN_CLASS, PREFIX, WIN32_DIR, Velmora, check, driver, encode_list, notify_window,  # noqa: E402
                    run, wait_log)
from test_help import BROWSER_KEY, WM_RBUTTONUP, WM_TRAYNOTIFY, browser_command, reg  # noqa: E402


def scenario(started):
    program = Velmora("folder", folder=os.path.join(PREFIX, "drive_c", "e2e", f"José-{uuid.uuid4().hex[:8]}"))
    started.append(program)
    shutil.copy2(os.path.join(WIN32_DIR, "Velmora.html"), program.unix("Velmora.html"))
    entries = [("C:\\keep.exe", "-x", 2, ord("J"), 0, 0)]
    program.write_list(encode_list(entries).replace(b"\r\n", b"\n"))
    browser, log = program.install_recorder("browser")
    original = browser_command()
    check(reg("add", BROWSER_KEY, "/ve", "/d", f'"{browser}" -url "%1"', "/f").returncode == 0,
          "could not register the test browser")
    try:
        program.start()
        driver("post", "--hwnd", notify_window(program), WM_TRAYNOTIFY, 1, WM_RBUTTONUP)
        main = program.wait_window("--class", MAIN_CLASS, "--visible")
        check(not program.boxes_shown(), "a box was shown at start-up")
        program.click(main.hwnd, "ヘルプファイルの表示 ")
        cmdline = wait_log(log, 1)[0].get("cmdline", "")
        url = "file:///" + program.windows_path("Velmora.html").replace("\\", "/") + "#HID00000002"
        check(f'-url "{url}"' in cmdline, f"the browser was started with {cmdline!r}, expected {url!r}")
    finally:
        if original is None:
            reg("delete", BROWSER_KEY, "/ve", "/f")
        else:
            reg("add", BROWSER_KEY, "/ve", "/d", original, "/f")
    # An error box at the end would hold the program until it times out.
    check(program.end_session() != 0, "the end of the session was refused")
    check(program.read_list() == encode_list(entries), f"the list at the end: {program.read_list()!r}")
    check(not os.path.exists(program.unix("Velmora.Lst.tmp")), "the temporary file was left behind")


if __name__ == "__main__":
    sys.exit(run(scenario))
