#!/usr/bin/env python3
"""Pictures of Velmora for the README, taken of the real program under Wine.

usage: screenshots.py <win32-build-dir> <wine-prefix> <output-dir>

Starts a private Xvfb and the prefix's wineserver (scripts/e2e-env.sh),
runs velmora.exe with a sample list, and saves PNGs cropped to the window
shown: the main window at the taskbar, the editor with a disabled entry, the
input panel in direct input mode, and a warning box.  Uses the end-to-end
tests' driver.exe to open and read the windows.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    win32, prefix, out = (os.path.abspath(a) for a in argv[1:])
    for tool in ("velmora.exe", "driver.exe"):
        if not os.path.exists(os.path.join(win32, tool)):
            print(f"screenshots: {tool} is missing in {win32}", file=sys.stderr)
            return 1
    state = tempfile.mkdtemp(prefix="velmora-screens-")
    os.environ.update({"VELMORA_WIN_DIR": win32, "VELMORA_WINEPREFIX": prefix, "VELMORA_E2E_STATE": state})
    sys.dont_write_bytecode = True   # no __pycache__ in the source tree
    sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
    # A prefix of its own, whose windows open on a virtual desktop: Wine
    # then draws every window's frame and a taskbar with the notification
    # area, as on Windows, where a bare X display shows neither.
    subprocess.run([os.path.join(HERE, "wine-prefix.sh"), prefix], check=True)
    desktop = ('. "$1/wine-env.sh" "$2"; '
               '"$VELMORA_WINE" reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Default /f; '
               '"$VELMORA_WINE" reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Default /d 1024x768 /f; '
               'wineserver_wait')
    subprocess.run(["bash", "-c", desktop, "-", HERE, prefix], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    env_script = os.path.join(HERE, "e2e-env.sh")
    subprocess.run([env_script, "up"], check=True, stdout=subprocess.DEVNULL)
    import e2elib
    try:
        os.makedirs(out, exist_ok=True)
        return take_all(e2elib, out)
    finally:
        e2elib.stop_driver()
        subprocess.run([env_script, "down"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(state, ignore_errors=True)


def rect_of(lib, hwnd):
    left, top, right, bottom = (int(v) for v in lib.driver("rect", "--hwnd", hwnd)[0][:4])
    return left, top, right, bottom


def grab(lib, path, box, margin=0):
    """The screen area `box` (left, top, right, bottom) as a PNG."""
    left, top, right, bottom = box
    left, top = max(0, left - margin), max(0, top - margin)
    right, bottom = min(1024, right + margin), min(768, bottom + margin)
    time.sleep(0.8)   # let the window finish painting
    geometry = f"{right - left}x{bottom - top}+{left}+{top}"
    subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage", path], env=lib.wine_env(),
                   check=True, timeout=30)
    print(f"screenshots: {path} ({geometry})")


# The tray icon's callback message and the mouse messages it carries.
WM_TRAYNOTIFY, WM_LBUTTONDBLCLK, WM_RBUTTONUP = 1126, 0x203, 0x205


def notify_window(lib, main_hwnd):
    """The tray component's window, a child of the main window."""
    for row in lib.driver("texts", "--hwnd", main_hwnd)[1:]:
        if row[3] == "TNotifyWindow":
            return row[0]
    raise lib.Failure("the main window has no notify window")


SAMPLE = [
    ("C:\\windows\\notepad.exe", "", 6, 0x4E, 1, 0),                          # Ctrl+Shift+N
    ("C:\\ツール\\メモ帳.lnk", "C:\\メモ\\todo.txt", 3, 0x4D, 1, 1),           # Ctrl+Alt+M, maximised
    ("C:\\windows\\system32\\winecfg.exe", "", 2, 0x70, 1, 2),                # Ctrl+F1, minimised
    ("VELMORA_SHOWMAINWINDOW", "", 2, 220, 1, 0),                             # Ctrl+$DC
    ("C:\\ゲーム\\古いゲーム.exe", "-window", 7, 0x47, 0, 0),                  # disabled
]


def take_all(lib, out):
    started = []
    try:
        # 1. A warning box: a combination listed twice cannot be registered twice.
        program = lib.Velmora("screens-warning")
        started.append(program)
        program.write_list(SAMPLE[:1] + [("C:\\windows\\regedit.exe", "", 6, 0x4E, 1, 0)])
        program.start()
        box, _text, buttons = program.message_box()
        grab(lib, os.path.join(out, "warning-box.png"), rect_of(lib, box))
        program.click(box, buttons[0])
        program.end_session()
        started.remove(program)

        # 2. The main window at the taskbar, shown from the tray icon.
        program = lib.Velmora("screens")
        started.append(program)
        program.write_list(SAMPLE)
        program.start()
        main = program.main_window()
        notify = notify_window(lib, main.hwnd)
        lib.driver("post", "--hwnd", notify, WM_TRAYNOTIFY, 1, WM_RBUTTONUP)
        main = program.wait_window("--class", lib.MAIN_CLASS, "--visible")
        grab(lib, os.path.join(out, "main-window.png"), rect_of(lib, main.hwnd))

        # 3. The editor with the sample entries (one disabled).
        lib.driver("post", "--hwnd", notify, WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK)
        editor = program.wait_window("--class", "TREditor", "--visible")
        grab(lib, os.path.join(out, "editor.png"), rect_of(lib, editor.hwnd))

        # 4. The input panel in direct input mode: the first entry pasted in,
        # then Ctrl+Shift+F5 captured from the keyboard.
        program.click(editor.hwnd, "転写(&P)")
        program.click(editor.hwnd, "直接入力")
        time.sleep(0.5)
        lib.press("--focus", "--hwnd", editor.hwnd, "ctrl+shift+f5")
        left, top, right, bottom = rect_of(lib, editor.hwnd)
        # The panel: the bottom 97 pixels of the client area, and the frame.
        grab(lib, os.path.join(out, "direct-input.png"), (left, bottom - 97 - 8, right, bottom))
        program.end_session()
        started.remove(program)
        return 0
    except lib.Failure as e:
        print(f"screenshots: {e}", file=sys.stderr)
        return 1
    finally:
        for program in started:
            program.kill()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
