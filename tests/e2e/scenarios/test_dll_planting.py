#!/usr/bin/env python3
"""DLLs planted beside the program are never loaded: stand-ins named like
system DLLs (each writes "<name>.loaded" when loaded) lie in the program's
folder while every window is opened (main window, version box, editor, the
Open dialog, a dropped file, the confirmation box) and the session ends.
shcore.dll is among them: Wine's shlwapi imports it, and it was loaded from
the program's folder before the program's first line while shell32, shlwapi
and comdlg32 were imported by the program."""
import glob
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import (BOX_CLASS, MOD_CTRL, WINE, WIN_DIR, check, driver, new_program, run, show_main,  # noqa: E402
                    wait_until, wine_env)
from editorlib import OPEN_DIALOG_CAPTION, Editor  # noqa: E402

PLANTED = [
    "shcore.dll", "shlwapi.dll", "shell32.dll", "comdlg32.dll", "comctl32.dll", "version.dll", "uxtheme.dll",
    "dwmapi.dll", "ole32.dll", "oleaut32.dll", "imm32.dll", "winmm.dll", "cryptbase.dll", "propsys.dll",
    "profapi.dll", "sspicli.dll", "userenv.dll", "msctf.dll", "windowscodecs.dll", "winspool.drv",
    "sechost.dll", "ucrtbase.dll", "advapi32.dll", "msvcrt.dll", "textshaping.dll", "explorerframe.dll",
]


def scenario(started):
    program = new_program(started, "dll-planting")
    marker = os.path.join(WIN_DIR, "planted_marker.dll")
    check(os.path.exists(marker), f"no {marker}: build the planted_marker target")
    for name in PLANTED:
        shutil.copy(marker, program.unix(name))
    # The stand-in does record its loading: rundll32 loads it by its path.
    os.makedirs(program.unix("control"), exist_ok=True)
    shutil.copy(marker, program.unix("control", "probe.dll"))
    subprocess.run([WINE, "rundll32", program.windows_path("control", "probe.dll") + ",Probe"], env=wine_env(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
    check(os.path.exists(program.unix("control", "probe.dll.loaded")), "the stand-in DLL records no loading")
    main = program.start_in_tray([("C:\\keep.exe", "", MOD_CTRL, ord("J"), 0, 0)])

    show_main(program)
    program.click(main.hwnd, "バージョン情報の表示")
    box = program.wait_window("--class", BOX_CLASS, "--visible")
    program.answer(box.hwnd, "Ok")

    editor = Editor.open(program)
    editor.press_button("ReferBtn")
    dialog = program.wait_window("--caption", OPEN_DIALOG_CAPTION, "--visible", timeout=20)
    driver("post", "--hwnd", dialog.hwnd, "WM_CLOSE")
    program.wait_closed(dialog.hwnd, timeout=20)
    driver("drop-files", "--hwnd", editor.hwnd, "C:\\windows\\notepad.exe")
    wait_until(lambda: editor.text("ShortCut").lower() == "c:\\windows\\notepad.exe", 10,
               what="the dropped file in the file field")
    editor.select_row(0)
    editor.press_button("DelBtn")
    lines = program.answer_box("Cancel")
    check(lines[0].startswith("[確認]"), f"the confirmation says {lines!r}")
    editor.close_with("CancelBtn")

    program.consent_to_end()
    loaded = sorted(os.path.basename(p)[:-len(".loaded")] for p in glob.glob(program.unix("*.loaded")))
    check(not loaded, f"planted DLLs were loaded: {loaded}")
    print(f"{len(PLANTED)} planted DLLs, none loaded through every window")


if __name__ == "__main__":
    sys.exit(run(scenario))
