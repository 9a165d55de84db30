#!/usr/bin/env python3
"""Hints: with the mouse kept on a button of the main window, or on the
list, a button, the key field's text part or the Size group's caption of the
editor, the control's hint shows in a tooltip; on the next control the
tooltip shows that control's hint."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import CTRL_SHIFT, check, driver, recorder_program, run, show_main  # noqa: E402
from editorlib import Editor  # noqa: E402


def hover(hwnd, *at):
    rows = driver("hover", "--hwnd", hwnd, *at, "--timeout", "10000")
    return rows[0][0] if rows and rows[0] else ""


def scenario(started):
    program, target, _ = recorder_program(started, "hints")
    main = program.start_in_tray([(target, "", CTRL_SHIFT, ord("H"), 1, 0)])
    show_main(program)

    buttons = {row[4]: row[0] for row in driver("controls", "--hwnd", main.hwnd)}
    for caption, hint in (("登録エディタを起動 ", "アプリケーションの登録・ホットキーの設定等を行ないます。"),
                          ("終了(常駐解除) ", "常駐を解除し、本ソフトを終了します。")):
        check(caption in buttons, f"the main window has no button {caption!r}: {sorted(buttons)}")
        shown = hover(buttons[caption])
        check(shown == hint, f"hint of {caption!r}: {shown!r}, expected {hint!r}")

    editor = Editor.open(program)
    # The key field's text part, and the Size group's caption and frame.
    for name, hint, *at in (("List1", "登録済みアプリケーション一覧"), ("AddBtn", "登録リストに追加"),
                            ("Chk_Ctrl", "ホットキーの指定"), ("Combo_Key", "ホットキーの指定", "--x", 20),
                            ("Size", "起動時のウィンドウサイズを指定", "--x", 20, "--y", 3)):
        shown = hover(editor.handle(name), *at)
        check(shown == hint, f"hint of the editor's {name}: {shown!r}, expected {hint!r}")
    editor.close_with("CancelBtn")
    program.consent_to_end()


if __name__ == "__main__":
    sys.exit(run(scenario))
