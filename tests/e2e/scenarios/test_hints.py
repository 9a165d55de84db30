#!/usr/bin/env python3
"""Hints: with the mouse kept on a button of the main window, or on the
list or a button of the editor, the control's hint shows in a tooltip; on
the next control the tooltip shows that control's hint."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import Velmora, check, driver, notify_window, run, tray_click, wait_tray  # noqa: E402
from editorlib import Editor  # noqa: E402

CTRL_SHIFT = 6


def hover(hwnd):
    rows = driver("hover", "--hwnd", hwnd, "--timeout", "10000")
    return rows[0][0] if rows and rows[0] else ""


def scenario(started):
    program = Velmora("hints")
    started.append(program)
    target, _ = program.install_recorder("tools")
    program.write_list([(target, "", CTRL_SHIFT, ord("H"), 1, 0)])
    program.start()
    main = program.main_window()
    wait_tray(notify_window(program), True)
    tray_click(program, "right")
    program.main_shown()

    buttons = {row[4]: row[0] for row in driver("controls", "--hwnd", main.hwnd)}
    for caption, hint in (("登録エディタを起動 ", "アプリケーションの登録・ホットキーの設定等を行ないます。"),
                          ("終了(常駐解除) ", "常駐を解除し、本ソフトを終了します。")):
        check(caption in buttons, f"the main window has no button {caption!r}: {sorted(buttons)}")
        shown = hover(buttons[caption])
        check(shown == hint, f"hint of {caption!r}: {shown!r}, expected {hint!r}")

    editor = Editor.open(program)
    for name, hint in (("List1", "登録済みアプリケーション一覧"), ("AddBtn", "登録リストに追加"),
                       ("Chk_Ctrl", "ホットキーの指定")):
        shown = hover(editor.handle(name))
        check(shown == hint, f"hint of the editor's {name}: {shown!r}, expected {hint!r}")
    editor.press_button("CancelBtn")
    editor.wait_closed()
    check(program.end_session() != 0, "the end of the session was refused")


if __name__ == "__main__":
    sys.exit(run(scenario))
