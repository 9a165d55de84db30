"""The registration editor of a running velmora.exe, seen and worked from
outside as a user does: its controls are found by the window ids the program
derives from their stored names, read with window messages, and worked with real mouse clicks and keys
(driver.exe's commands in tests/e2e/driver/cmd_editor.cpp).
"""
import os
import subprocess

from e2elib import (EDITOR_CLASS, WINE, WIN_DIR, WM_LBUTTONDBLCLK, Failure, check, driver, lines_of, post_tray,
                    wait_until, wine_env)

OPEN_DIALOG_CAPTION = "Select Target File"

# The controls scenarios work with, by the names the stored form gives them;
# the program makes each control's window id from its name, and driver.exe
# knows that rule (control-id).  The radio buttons of the window size are
# items of the group Size, its children with ids 1 to 3.
NAMES = ("List1", "HK_ID", "ValidBtn", "DelBtn", "PasteBtn", "CloseBtn", "CancelBtn", "HelpBtn", "Direct",
         "Chk_Ctrl", "Chk_Alt", "Chk_Shift", "Combo_Key", "ShortCut", "ReferBtn", "Parameter", "Size", "AddBtn",
         "ClearBtn")
_ids = {}


def control_ids():
    if not _ids:
        _ids.update(zip(NAMES, (int(r[0]) for r in driver("control-id", *NAMES))))
    return _ids


BM_CLICK = 0xF5


class Control:
    def __init__(self, row):
        (self.hwnd, visible, enabled, self.cls, self.text, self.id, left, top, width, height, check_state,
         selected, self.parent) = row[:13]
        self.visible, self.enabled = visible == "1", enabled == "1"
        self.left, self.top, self.width, self.height = int(left), int(top), int(width), int(height)
        self.checked = check_state == "1"
        self.selected = int(selected) if selected not in ("-", "") else None


class Editor:
    """An open editor window of the program."""

    def __init__(self, program, hwnd):
        self.program = program
        self.hwnd = hwnd
        self._handles = {}

    @classmethod
    def open(cls, program, rows=None, timeout=15):
        """Opens the editor as a left double click on the tray icon does; with
        `rows`, waits until its list shows exactly those."""
        post_tray(program, WM_LBUTTONDBLCLK)
        window = program.wait_window("--class", EDITOR_CLASS, "--visible", timeout=timeout)
        editor = cls(program, window.hwnd)
        # The list is filled while the window is shown: wait for the controls.
        wait_until(lambda: "List1" in editor.controls(), 10, what="the editor's controls")
        if rows is not None:
            editor.wait_rows(rows)
        return editor

    # --- reading -------------------------------------------------------------
    def controls(self):
        """Name -> Control for the controls a scenario works with."""
        found = [Control(r) for r in driver("controls", "--hwnd", self.hwnd)]
        ids = {c.hwnd: int(c.id) for c in found if c.id.lstrip("-").isdigit()}
        wanted = {control_id: name for name, control_id in control_ids().items()}
        named = {wanted[ids[c.hwnd]]: c for c in found if ids.get(c.hwnd) in wanted}
        group = named.get("Size")
        for c in found:
            if group is not None and c.parent == group.hwnd and ids.get(c.hwnd) in (1, 2, 3):
                named[f"Size{ids[c.hwnd] - 1}"] = c
        self._handles = {name: c.hwnd for name, c in named.items()}
        return named

    def handle(self, name):
        """The control's window handle (the controls live as long as the editor)."""
        if name not in self._handles:
            self.control(name)
        return self._handles[name]

    def control(self, name):
        controls = self.controls()
        check(name in controls, f"the editor has no control {name}")
        return controls[name]

    def text(self, name):
        return self.control(name).text

    def checked(self, name):
        return self.control(name).checked

    def rows(self):
        list_box = self.control("List1")
        return [r[2] for r in driver("rows", "--hwnd", self.hwnd, "--id", list_box.id)]

    def selected_row(self):
        return self.control("List1").selected

    def row_ids(self, count, with_enabled=False):
        """The hotkey id the editor shows for each of the first `count` rows,
        selected in turn (with whether its enabled box is checked)."""
        ids = []
        for row in range(count):
            self.select_row(row)
            ids.append((self.text("HK_ID"), self.checked("ValidBtn")) if with_enabled else self.text("HK_ID"))
        return ids

    def panel(self):
        """What the input panel holds: (ctrl, alt, shift, key text, file, parameter, size index)."""
        c = self.controls()
        sizes = [i for i in range(3) if c[f"Size{i}"].checked]
        return (c["Chk_Ctrl"].checked, c["Chk_Alt"].checked, c["Chk_Shift"].checked, c["Combo_Key"].text,
                c["ShortCut"].text, c["Parameter"].text, sizes[0] if len(sizes) == 1 else None)

    def is_open(self):
        return any(w.hwnd == self.hwnd and w.visible for w in self.program.windows("--class", EDITOR_CLASS))

    # --- working ---------------------------------------------------------------
    def click(self, name, double=False):
        """A real mouse click on the control."""
        driver("mouse-click", "--hwnd", self.handle(name), *(["--double"] if double else []))

    def press_button(self, name):
        """BM_CLICK posted to a button, for a click that opens a modal window."""
        driver("post", "--hwnd", self.handle(name), BM_CLICK)

    def select_row(self, row, double=False):
        driver("list-click", "--hwnd", self.handle("List1"), "--row", row, *(["--double"] if double else []))
        if not double:
            wait_until(lambda: self.selected_row() == row, 5, what=f"row {row} to be selected")

    def type_into(self, name, text):
        """Clicks into the field and types the text on the keyboard."""
        driver("type", text, "--hwnd", self.handle(name))

    def pick_key(self, item):
        """Goes through the key list with the arrow keys to the item."""
        return driver("combo-pick", "--hwnd", self.handle("Combo_Key"), "--item", item)[0][0]

    def key_items(self):
        return [r[1] for r in driver("combo-items", "--hwnd", self.handle("Combo_Key"))]

    def wait_rows(self, expected, timeout=5):
        """Waits until the list shows exactly these rows; fails with what it shows."""
        try:
            wait_until(lambda: self.rows() == expected, timeout, what="the list's rows")
        except Failure:
            raise Failure(f"the list shows {self.rows()!r}, expected {expected!r}")

    def wait_closed(self, timeout=10):
        self.program.wait_no_window("--hwnd", self.hwnd, "--visible", timeout=timeout, what="the editor to close")

    def close_with(self, button):
        """Presses one of the buttons that close the editor (BM_CLICK) and waits until it has closed."""
        self.press_button(button)
        self.wait_closed()


def confirm_box(program, timeout=15):
    """The program's message box: (handle, lines of its text, buttons)."""
    box, text, buttons = program.message_box(timeout=timeout)
    return box, lines_of(text), buttons


class HeldHotkey:
    """A key combination registered by another program (driver.exe) while
    the scenario runs, so that the system refuses it to Velmora."""

    def __init__(self, modifiers, vk, seconds=40):
        self.release_file = os.path.join(os.environ.get("VELMORA_E2E_STATE", "/tmp"),
                                         f"release-{os.getpid()}-{modifiers}-{vk}")
        if os.path.exists(self.release_file):
            os.remove(self.release_file)
        self.process = subprocess.Popen(
            [WINE, os.path.join(WIN_DIR, "driver.exe"), "hold-hotkey", "--mods", str(modifiers), "--vk",
             str(vk), "--ms", str(int(seconds * 1000)), "--until", self._windows_release_file()],
            env=wine_env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        first = self.process.stdout.readline().decode("utf-8", "replace").strip()
        if first != "held":
            self.process.wait(timeout=10)
            raise Failure(f"the driver could not hold the combination: "
                          f"{self.process.stderr.read().decode('utf-8', 'replace').strip()}")

    def _windows_release_file(self):
        # Wine maps the Unix root to drive Z:.
        return "Z:" + self.release_file.replace("/", "\\")

    def release(self):
        """Lets the combination go; returns how often it was pressed meanwhile."""
        with open(self.release_file, "w"):
            pass
        try:
            out, _ = self.process.communicate(timeout=15)
        finally:
            os.remove(self.release_file)
        for line in out.decode("utf-8", "replace").splitlines():
            if line.startswith("pressed\t"):
                return int(line.split("\t")[1])
        return 0

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
