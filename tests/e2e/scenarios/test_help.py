#!/usr/bin/env python3
"""Help without Velmora.Hlp: the main window's help button and the editor's
open Velmora.html beside the program at the anchors HID00000002 and
HID00000006, by handing the file URL to the program registered as the web
browser (here recorder.exe, for the duration of the test), so the anchor
survives.  The program's folder has a name code page 932 cannot hold
("José"): the help is found there, and so is the list, read at start-up (its
LF line ends as line ends) and written back at the end (CR LF) without an
error box or a temporary file left behind."""
import os
import re
import shutil
import subprocess
import sys
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (PREFIX, WINE, WIN_DIR, WM_RBUTTONUP, check, encode_list, new_program, post_tray,  # noqa: E402
                    read_log, run, wait_log, wine_env)

BROWSER_KEY = "HKLM\\Software\\Classes\\http\\shell\\open\\command"


def reg(*args):
    return subprocess.run([WINE, "reg", *args], env=wine_env(), capture_output=True, timeout=60)


def browser_command():
    """The registered command, or None when there is none."""
    result = reg("query", BROWSER_KEY, "/ve")
    if result.returncode != 0:
        return None
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        found = re.search(r"REG_(?:EXPAND_)?SZ\s*(.*)$", line)
        if found:
            return found.group(1).strip()
    return None


def scenario(started):
    folder = os.path.join(PREFIX, "drive_c", "e2e", f"José-{uuid.uuid4().hex[:8]}")
    program = new_program(started, "help", folder=folder)
    listed = encode_list([("C:\\keep.exe", "-x", 2, ord("J"), 0, 0)])
    program.write_list(listed.replace(b"\r\n", b"\n"))
    shutil.copy2(os.path.join(WIN_DIR, "Velmora.html"), program.unix("Velmora.html"))
    browser, log = program.install_recorder("browser")
    folder_url = "file:///" + program.windows_path().replace("\\", "/").rstrip("/")

    original = browser_command()
    check(reg("add", BROWSER_KEY, "/ve", "/d", f'"{browser}" -url "%1"', "/f").returncode == 0,
          "could not register the test browser")
    try:
        program.start_resident()
        post_tray(program, WM_RBUTTONUP)
        main = program.main_shown(timeout=15)

        program.click(main.hwnd, "ヘルプファイルの表示 ")
        entries = wait_log(log, 1)
        cmdline = entries[0].get("cmdline", "")
        check(f'-url "{folder_url}/Velmora.html#HID00000002"' in cmdline,
              f"the browser was started with {cmdline!r}")

        program.click(main.hwnd, "登録エディタを起動 ")
        editor = program.editor_shown("the editor", timeout=15)
        program.click(editor.hwnd, "説明(&H)")
        entries = wait_log(log, 2)
        cmdline = entries[1].get("cmdline", "")
        check(f'-url "{folder_url}/Velmora.html#HID00000006"' in cmdline,
              f"the browser was started with {cmdline!r}")
        check(len(read_log(log)) == 2, "the browser was started more than twice")
    finally:
        if original is None:
            reg("delete", BROWSER_KEY, "/ve", "/f")
        else:
            reg("add", BROWSER_KEY, "/ve", "/d", original, "/f")
    # An error box at the end would hold the program until it times out.
    program.consent_to_end()
    program.check_list(listed)
    check(not os.path.exists(program.unix("Velmora.Lst.tmp")), "the temporary file was left behind")


if __name__ == "__main__":
    sys.exit(run(scenario))
