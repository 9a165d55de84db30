"""Helpers of the end-to-end scenarios: the real velmora.exe under Wine, in a
fresh folder of the test prefix's C: drive, driven from outside by driver.exe.

The environment comes from CTest (tests/e2e/e2e.cmake): VELMORA_ARCH (x86
or x64: which build and which Wine), VELMORA_WIN_DIR (that cross build
tree), VELMORA_WINEPREFIX and VELMORA_E2E_STATE (which holds the display of
the private Xvfb that scripts/e2e-env.sh started).
"""
import atexit
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import uuid

ARCH = os.environ.get("VELMORA_ARCH", "x86")
WIN_DIR = os.environ.get("VELMORA_WIN_DIR", "")
PREFIX = os.environ.get("VELMORA_WINEPREFIX", "")
STATE = os.environ.get("VELMORA_E2E_STATE", "")
SOURCE_DIR = os.environ.get("VELMORA_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))


def _wine_of(arch):
    """The Wine loader and WINEARCH of an architecture, as scripts/wine-arch.sh
    names them (the one place that knows)."""
    script = os.path.join(SOURCE_DIR, "scripts", "wine-arch.sh")
    out = subprocess.run(["bash", "-c", '. "$1"; velmora_wine_loader "$2"; velmora_winearch "$2"', "-", script, arch],
                         capture_output=True, text=True, check=True).stdout.split()
    return out[0], out[1]


WINE, WINEARCH = _wine_of(ARCH)

PSEUDO_TARGET = "VELMORA_SHOWMAINWINDOW"
MAIN_CLASS = "TMainForm"
EDITOR_CLASS = "TREditor"
BOX_CLASS = "TDLBox"
ERROR_BOX_CLASS = "#32770"

# Show commands as ShellExecute hands them on.
SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOW = 2, 3, 5

# Modifier bits of a list entry (those of RegisterHotKey).
MOD_ALT, MOD_CTRL, MOD_SHIFT = 1, 2, 4
CTRL_SHIFT = MOD_CTRL | MOD_SHIFT

# What a program started without a list writes at its end: the two default
# entries.
DEFAULT_LIST = (b"calc.exe\r\n\r\n6 67 1 0\r\n"
                b"VELMORA_SHOWMAINWINDOW\r\n\r\n2 220 1 0\r\n")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wine_env():
    display = ""
    try:
        with open(os.path.join(STATE, "display")) as f:
            display = f.read().strip()
    except OSError:
        pass
    if not display:
        raise Failure("no test display: the e2e_<arch>_environment_up fixture has not run")
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": PREFIX,
        "WINEARCH": WINEARCH,
        "WINELOADER": WINE,
        # VELMORA_E2E_WINEDEBUG=+tooltips (say) traces what a scenario starts.
        "WINEDEBUG": os.environ.get("VELMORA_E2E_WINEDEBUG", "-all"),
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "LC_ALL": "C.UTF-8",
        "DISPLAY": display,
    })
    return env


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "x" and i + 3 < len(text):
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append({"t": "\t", "r": "\r", "n": "\n", "\\": "\\"}.get(n, n))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


END_MARK = "\x1e"


class Driver:
    """One driver.exe in serve mode, kept for the whole scenario: a command
    is one line on its stdin, and its answer the output lines up to an end
    line that carries the exit code and the messages (see Serve in
    tests/e2e/driver/driver_main.cpp).  Started at the first command, and
    again only after it has ended.

    Its stderr goes to a file: when no program of the prefix runs, the
    driver starts Wine's desktop process (explorer.exe) again, and that
    keeps the driver's standard handles open as long as any program runs.
    The pipes are read line by line up to each end line, never to their end."""

    def __init__(self):
        self.process = None
        self.lines = None
        self.stderr = None

    def stderr_tail(self):
        """What Wine wrote to the driver's stderr (a crash's backtrace, say)."""
        if self.stderr is None:
            return ""
        self.stderr.seek(0)
        return self.stderr.read().decode("utf-8", "replace")[-3000:]

    def _start(self):
        exe = os.path.join(WIN_DIR, "driver.exe")
        if self.stderr is None:
            self.stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen([WINE, exe, "serve"], env=wine_env(), stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=self.stderr)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, args=(self.process.stdout, self.lines), daemon=True).start()

    @staticmethod
    def _read(stream, lines):
        for raw in iter(stream.readline, b""):
            lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        lines.put(None)

    def query(self, args, timeout):
        """(exit code, output lines, messages) of one command."""
        if self.process is None or self.process.poll() is not None:
            if self.process is not None:
                print(f"note: driver.exe ended (exit code {self.process.returncode}); starting it again",
                      file=sys.stderr)
            self._start()
        words = [str(a) for a in args]
        self.process.stdin.write(("\t".join(escape(w) for w in words) + "\n").encode("utf-8"))
        self.process.stdin.flush()
        rows = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=min(1.0, max(0.0, deadline - time.monotonic())))
            except queue.Empty:
                if self.process.poll() is not None:
                    raise Failure(f"driver.exe ended ({self.process.returncode}) during: {' '.join(words)}")
                if time.monotonic() >= deadline:
                    self.close(kill=True)
                    raise Failure(f"driver {' '.join(words)} gave no answer within {timeout} s")
                continue
            if line is None:
                self.process.wait(timeout=10)
                raise Failure(f"driver.exe ended ({self.process.returncode}) during: {' '.join(words)}")
            if line.startswith(END_MARK):
                code, _, messages = line[1:].partition("\t")
                return int(code), rows, unescape(messages).strip()
            rows.append(line)

    def close(self, kill=False):
        if self.process is None:
            return
        if not kill and self.process.poll() is None:
            try:
                self.process.stdin.close()
                self.process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                pass
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
        self.process = None


_DRIVER = Driver()
atexit.register(_DRIVER.close)


def stop_driver():
    """Ends the scenario's driver.exe (the next command starts one again)."""
    _DRIVER.close()


def driver(*args, timeout=30, check_rc=True):
    """Runs a driver command; returns its output rows (lists of unescaped fields)."""
    code, lines, messages = _DRIVER.query(args, timeout)
    if check_rc and code != 0:
        raise Failure(f"driver {' '.join(map(str, args))} failed ({code}): {messages}")
    return [[unescape(f) for f in line.split("\t")] for line in lines if line]


def driver_ok(*args, timeout=30):
    """Runs a driver command; True when it succeeded."""
    return _DRIVER.query(args, timeout)[0] == 0


def wait_until(predicate, timeout, interval=0.05, what="condition"):
    """Asks `predicate` (a few driver queries, each a line to the serving
    driver) until it gives a true value, which it returns."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def encode_list(entries):
    """The list file's bytes: three CR LF lines per entry, code page 932.

    An entry is (path, parameter, modifiers, virtual_key, valid, size), or a
    ready string of raw lines for malformed files."""
    out = b""
    for e in entries:
        if isinstance(e, bytes):
            out += e
            continue
        path, param, mods, vk, valid, size = e
        out += (path.encode("cp932") + b"\r\n" + param.encode("cp932") + b"\r\n" +
                f"{mods} {vk} {valid} {size}".encode("ascii") + b"\r\n")
    return out


class Window:
    def __init__(self, row):
        self.hwnd, self.visible, self.enabled, self.cls, self.text = row[0], row[1] == "1", row[2] == "1", row[3], row[4]


class Velmora:
    """One copy of the program in its own folder C:\\e2e\\<name>-<id>."""

    def __init__(self, name, folder=None):
        self.name = name
        root = os.path.join(PREFIX, "drive_c", "e2e")
        os.makedirs(root, exist_ok=True)
        self.folder = folder or os.path.join(root, f"{name}-{uuid.uuid4().hex[:8]}")
        os.makedirs(self.folder, exist_ok=True)
        shutil.copy2(os.path.join(WIN_DIR, "velmora.exe"), os.path.join(self.folder, "velmora.exe"))
        self.process = None
        self.pid = None

    # --- files -----------------------------------------------------------------
    def unix(self, *parts):
        return os.path.join(self.folder, *parts)

    def windows_path(self, *parts):
        rel = os.path.relpath(os.path.join(self.folder, *parts), os.path.join(PREFIX, "drive_c"))
        return "C:\\" + rel.replace("/", "\\")

    @property
    def list_file(self):
        return self.unix("Velmora.Lst")

    def write_list(self, entries):
        """Writes the list file (entries, or its bytes); returns the bytes written."""
        data = entries if isinstance(entries, bytes) else encode_list(entries)
        with open(self.list_file, "wb") as f:
            f.write(data)
        return data

    def read_list(self):
        with open(self.list_file, "rb") as f:
            return f.read()

    def install_recorder(self, subfolder):
        """Copies recorder.exe into a subfolder; returns (windows path, log path)."""
        os.makedirs(self.unix(subfolder), exist_ok=True)
        shutil.copy2(os.path.join(WIN_DIR, "recorder.exe"), self.unix(subfolder, "recorder.exe"))
        return self.windows_path(subfolder, "recorder.exe"), self.unix(subfolder, "recorder.log")

    # --- the process -----------------------------------------------------------------
    def start(self, cwd=None, wrapper=()):
        """Starts the program; `cwd` is the (Unix) folder it is started from,
        `wrapper` a command that runs Wine (the process kept is then its)."""
        before = set(self._pids())
        exe = self.windows_path("velmora.exe")
        # Wine writes a crash's backtrace to stderr: kept for the failure report.
        self.stderr_path = self.unix("wine-stderr.log")
        with open(self.stderr_path, "ab") as err:
            self.process = subprocess.Popen([*wrapper, WINE, exe], env=wine_env(), cwd=cwd or self.folder,
                                            stdout=subprocess.DEVNULL, stderr=err)

        rows = driver("pid", "--except", ",".join(before) or "0", "--timeout", 20000, check_rc=False, timeout=50)
        check(rows and rows[0][0].isdigit(), "velmora.exe did not start within 20 s")
        self.pid = rows[0][0]
        return self

    def start_resident(self, entries=None, cwd=None):
        """Writes the list (when given), starts the program and waits for its
        main window, which it creates hidden; returns that window."""
        if entries is not None:
            self.write_list(entries)
        self.start(cwd=cwd)
        return self.main_window()

    def start_in_tray(self, entries=None):
        """start_resident, and waits until its icon is in the notification area."""
        main = self.start_resident(entries)
        wait_tray(notify_window(self), True)
        return main

    def _pids(self):
        rows = driver("pid", "--timeout", "0", check_rc=False)
        return [r[0] for r in rows if r and r[0].isdigit()]

    def windows(self, *selection):
        return [Window(r) for r in driver("windows", "--pid", self.pid, *selection)]

    def wait_window(self, *selection, timeout=15, what=None):
        """Waits (in the driver) for a top-level window of the program that
        matches the selection, e.g. "--class", MAIN_CLASS, "--visible"."""
        rows = driver("wait-window", "--pid", self.pid, "--timeout", int(timeout * 1000), *selection,
                      timeout=timeout + 30, check_rc=what is None)
        check(rows, f"timed out after {timeout} s waiting for {what}")
        return Window(rows[0])

    def wait_no_window(self, *selection, timeout=10, what="a window to go"):
        """Waits (in the driver) until no top-level window of the program
        matches the selection ("--hwnd", h: until that window is gone, or with
        "--visible" hidden)."""
        check(driver_ok("wait-no-window", "--pid", self.pid, "--timeout", int(timeout * 1000), *selection,
                        timeout=timeout + 30), f"timed out after {timeout} s waiting for {what}")

    def main_window(self, timeout=15):
        return self.wait_window("--class", MAIN_CLASS, timeout=timeout)

    def main_shown(self, timeout=10, what="the main window to show"):
        return self.wait_window("--class", MAIN_CLASS, "--visible", timeout=timeout, what=what)

    def main_hidden(self, timeout=10, what="the main window to hide"):
        return self.wait_window("--class", MAIN_CLASS, "--hidden", timeout=timeout, what=what)

    def main_visible(self):
        return self.main_window().visible

    def hide_main(self):
        """The main window's close command, which only hides it; waits until it is hidden."""
        driver("post", "--pid", self.pid, "--class", MAIN_CLASS, "WM_CLOSE")
        self.main_hidden()

    def editors_shown(self):
        return self.windows("--class", EDITOR_CLASS, "--visible")

    def editor_shown(self, what, timeout=10):
        """Waits for the editor window to show; returns it."""
        return self.wait_window("--class", EDITOR_CLASS, "--visible", timeout=timeout, what=what)

    def in_front(self, *selection, timeout=5, what="the window to come to the front"):
        """Waits (in the driver) until the foreground window matches the
        selection ("--class", MAIN_CLASS or "--hwnd", h)."""
        check(driver_ok("foreground", *selection, "--timeout", int(timeout * 1000), timeout=timeout + 30),
              f"timed out after {timeout} s waiting for {what}")

    def texts(self, *selection):
        """The window's child controls: (class, text, visible) by control."""
        rows = driver("texts", "--pid", self.pid, *selection)
        return [(r[3], r[4], r[1] == "1") for r in rows[1:]]

    def message_box(self, timeout=15):
        """Waits for the program's message box; returns (handle, text, buttons)."""
        box = self.wait_window("--class", BOX_CLASS, "--visible", timeout=timeout)
        controls = self.texts("--hwnd", box.hwnd)
        buttons = [t for c, t, v in controls if v and c.lower() == "button"]
        labels = [t for c, t, v in controls if v and c.lower() != "button" and t]
        return box.hwnd, "\n".join(labels), buttons

    def error_box(self, timeout=15):
        box = self.wait_window("--class", ERROR_BOX_CLASS, "--caption", "Velmora", "--visible", timeout=timeout)
        controls = self.texts("--hwnd", box.hwnd)
        labels = [t for c, t, v in controls if c.lower() == "static" and t]
        return box.hwnd, "\n".join(labels)

    def boxes_shown(self):
        return [w for w in self.windows("--visible") if w.cls in (BOX_CLASS, ERROR_BOX_CLASS)]

    def no_box_during(self, seconds):
        """True when no box of the program shows during the whole time."""
        return stays_true(lambda: not self.boxes_shown(), seconds)

    def answer_box(self, button, lines=None, buttons=None, timeout=15):
        """Waits for the program's message box, holds its text to `lines` and
        its buttons to `buttons` (in any order) where given, and closes it
        with `button`; returns the lines it read."""
        box, text, shown = self.message_box(timeout=timeout)
        check(window_order(box)[0] & WS_EX_TOPMOST, "the message box does not stay on top")
        read = lines_of(text)
        check(lines is None or read == lines, f"the box reads {read!r}, expected {lines!r}")
        check(buttons is None or sorted(shown) == sorted(buttons), f"the box's buttons {shown!r}")
        self.answer(box, button)
        return read

    def click(self, hwnd, text):
        driver("click", "--hwnd", hwnd, "--text", text)

    def answer(self, box, button):
        """Presses the button of a box and waits until the box has closed."""
        self.click(box, button)
        self.wait_closed(box)

    def wait_closed(self, hwnd, timeout=10):
        self.wait_no_window("--hwnd", hwnd, "--visible", timeout=timeout, what=f"window {hwnd} to close")

    def end_session(self, timeout=20):
        """WM_QUERYENDSESSION to the main window: returns its answer; waits for the exit."""
        answer = driver("send", "--pid", self.pid, "--class", MAIN_CLASS, "WM_QUERYENDSESSION", 0, 0)
        self.wait_exit(timeout)
        return int(answer[0][0])

    def consent_to_end(self, how=""):
        """Ends the session: fails unless the program consents (and then ends)."""
        answer = self.end_session()
        check(answer != 0, f"the end of the session was refused{how} (WM_QUERYENDSESSION answered {answer})")

    def check_list(self, expected, what="the list at the end"):
        """The list file must hold exactly `expected` (entries, or bytes)."""
        saved = self.read_list()
        wanted = expected if isinstance(expected, bytes) else encode_list(expected)
        check(saved == wanted, f"{what}: {saved!r}\nexpected {wanted!r}")

    def wait_exit(self, timeout=20):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"velmora.exe did not end within {timeout} s")
        return self.process.returncode

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)


WS_EX_TOPMOST, WS_EX_APPWINDOW = 0x8, 0x40000


def window_order(hwnd):
    """(extended style, Windows owner, owner visible, owner's extended style)."""
    return [int(field, 16) for field in driver("window-order", "--hwnd", hwnd)[0]]


def lines_of(text):
    """A message text as its lines: the program breaks lines with single CRs,
    which a control may show as CR LF."""
    return text.replace("\r\n", "\r").split("\r")


def refusal_warning(combination, entry):
    """The lines of the warning that a combination is taken and the entry
    ("target parameters") that asked for it is disabled."""
    return ["[警告] ホットキーが重複しているため、", "以下のショートカットが無効化されます.", "", combination, "", entry]


def folder_of(windows_path):
    return windows_path[:windows_path.rfind("\\") + 1]


def same_folder(a, b):
    return a.rstrip("\\").lower() == b.rstrip("\\").lower()


def press(*combos):
    driver("press", *combos)


def read_log(path):
    """recorder.log as a list of dicts (show, flags, cwd, cmdline)."""
    if not os.path.exists(path):
        return []
    entries = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            fields = {}
            for part in line.split("\t"):
                key, _, value = part.partition("=")
                fields[key] = unescape(value)
            entries.append(fields)
    return entries


def wait_log(path, count, timeout=10):
    return wait_until(lambda: len(read_log(path)) >= count and read_log(path), timeout,
                      what=f"{count} start(s) in {os.path.basename(path)}")


def press_each(log, *combos):
    """Presses the combinations in turn, each once the start the one before
    made is in recorder's log; returns the log's starts."""
    starts = read_log(log)
    for combo in combos:
        press(combo)
        starts = wait_log(log, len(starts) + 1)
    return starts


def parameters_of(start):
    """The parameters a logged start was given: its command line after recorder.exe."""
    cmdline = start["cmdline"]
    return cmdline[cmdline.lower().rfind("recorder.exe") + len("recorder.exe"):].lstrip('"').strip()


def check_start(start, keys, target, parameter, show):
    """A logged start of `target` by the hotkey `keys`: its own folder as the
    working folder, the command line naming it, the parameters and the show
    command."""
    check(int(start["show"]) == show, f"{keys}: show command {start['show']}, expected {show}")
    check(same_folder(start["cwd"], folder_of(target)),
          f"{keys}: working folder {start['cwd']!r}, expected {folder_of(target)!r}")
    check(target.lower() in start["cmdline"].lower(),
          f"{keys}: command line {start['cmdline']!r} does not name {target!r}")
    check(parameters_of(start) == parameter, f"{keys}: parameters {parameters_of(start)!r}, expected {parameter!r}")


def stays_true(predicate, seconds, interval=0.1):
    """True when predicate holds during the whole time (for things that must NOT happen)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not predicate():
            return False
        time.sleep(interval)
    return True


def screenshot(path):
    """The whole test display as a PNG, for a failure's report."""
    if not path or not shutil.which("import"):
        return
    try:
        subprocess.run(["import", "-window", "root", path], env=wine_env(), timeout=20,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        print(f"  screenshot: {path}", file=sys.stderr)
    except (Failure, OSError, subprocess.TimeoutExpired):
        pass


def new_program(started, name, folder=None):
    """A copy of the program in a fresh folder, on the scenario's list of programs to end."""
    program = Velmora(name, folder=folder)
    started.append(program)
    return program


def recorder_program(started, name, subfolder="tools"):
    """new_program with recorder.exe in a subfolder as the launch target:
    (program, recorder's Windows path, its log)."""
    program = new_program(started, name)
    target, log = program.install_recorder(subfolder)
    return program, target, log


def run(scenario):
    """Runs a scenario function with a list to which it appends programs to end."""
    started = []
    try:
        scenario(started)
    except Failure as e:
        print(f"FAILED: {e}", file=sys.stderr)
        screenshot(started[0].unix("screen.png") if started else None)
        for program in started:
            print(f"  folder kept: {program.folder}", file=sys.stderr)
            try:
                with open(program.stderr_path, encoding="utf-8", errors="replace") as f:
                    tail = f.read()[-3000:]
                if tail.strip():
                    print("  wine's stderr:\n" + tail, file=sys.stderr)
            except (OSError, AttributeError):
                pass
        if _DRIVER.stderr_tail().strip():
            print("  driver's stderr:\n" + _DRIVER.stderr_tail(), file=sys.stderr)
        return 1
    finally:
        stop_driver()
        for program in started:
            program.kill()
    # Passed: the folders are of no further use.
    for program in started:
        shutil.rmtree(program.folder, ignore_errors=True)
    print("passed")
    return 0


# --- the tray icon and the main window on screen (added for the tray and
# main window scenarios) ------------------------------------------------------

NOTIFY_CLASS = "TNotifyWindow"
WM_TRAYNOTIFY = 1126
ICON_ID = 1
# The mouse messages the shell's callback carries.
WM_LBUTTONDBLCLK, WM_RBUTTONUP = 515, 517


def notify_window(program):
    """The handle of the program's notify window (a child of its main window)."""
    main = program.main_window()
    for row in driver("texts", "--hwnd", main.hwnd)[1:]:
        if row[3] == NOTIFY_CLASS:
            return row[0]
    raise Failure("the main window has no notify window")


def tray_has(owner, icon_id=ICON_ID):
    """True while the shell holds the icon (owner window, id): a NIM_MODIFY
    that changes nothing, which the shell accepts only for an icon it holds."""
    return driver("tray-has", "--owner", owner, "--id", icon_id)[0][0] == "1"


def wait_tray(owner, present, timeout=10, icon_id=ICON_ID):
    rows = driver("tray-has", "--owner", owner, "--id", icon_id, "--wait", "present" if present else "absent",
                  "--timeout", int(timeout * 1000), check_rc=False, timeout=timeout + 30)
    check(rows and rows[0][0] == ("1" if present else "0"),
          f"the icon ({owner}, {icon_id}) is {'missing from' if present else 'still in'} the notification area")


def wine_tray_icons():
    """The icons Wine's own tray shows: (handle, (left, top, right, bottom))."""
    return [(r[0], tuple(int(v) for v in r[2:6])) for r in driver("tray-icons")]


def tray_click(program, button, double=False):
    """A real mouse click on the (only) icon of Wine's tray.  Each press is
    held until the program has taken it (the tray passed it on and the
    program answers a message sent after it; see PressTaken in
    tests/e2e/driver/cmd_tray.cpp): a release that arrives while the press's
    handler still runs is dropped by design.  A click whose press is not
    taken fails here, and none is tried again."""
    driver("tray-click", "--button", button, "--pid", program.pid, *(["--double"] if double else []),
           timeout=40)


def show_main(program, front=False):
    """Shows the main window as a right click on the tray icon does; with
    `front`, waits until it is also in front, where keys go."""
    tray_click(program, "right")
    program.main_shown()
    if front:
        program.in_front("--class", MAIN_CLASS, what="the main window to come to the front")


def post_tray(program, mouse_message):
    """The shell's callback as the shell would send it, posted to the notify window."""
    driver("post", "--hwnd", notify_window(program), WM_TRAYNOTIFY, ICON_ID, mouse_message)


def window_rect(program, cls):
    """(left, top, right, bottom) of the program's window of that class."""
    row = driver("rect", "--pid", program.pid, "--class", cls)[0]
    return tuple(int(v) for v in row[:4])


def taskbar():
    """The shell's answer to ABM_GETTASKBARPOS: (rect or None, screen width, screen height)."""
    row = [int(v) for v in driver("taskbar")[0]]
    return (tuple(row[1:5]) if row[0] else None), row[5], row[6]


def placement_faults(window, bar, screen_w, screen_h):
    """What is wrong with a window shown beside the taskbar, as relations its
    placement must satisfy wherever a bar that spans its screen edge lies
    (the rule itself is hkmainf/placement.cpp, pinned value by value in
    tests/unit/placement_test.cpp; it is not computed again here): wholly on
    the screen, not over the bar, touching the bar's inner edge (a pixel
    apart at most), and ending where the bar ends (right edges even beside a
    bar along the top or bottom, bottom edges even beside one along a side).
    `window` and `bar` are (left, top, right, bottom); an empty list is right."""
    left, top, right, bottom = window
    bar_left, bar_top, bar_right, bar_bottom = bar
    faults = []
    if left < 0 or top < 0 or right > screen_w or bottom > screen_h:
        faults.append(f"not wholly on the {screen_w}x{screen_h} screen")
    if left < bar_right and right > bar_left and top < bar_bottom and bottom > bar_top:
        faults.append("over the taskbar")
    across = left < bar_right and right > bar_left      # beside the bar's top or bottom edge
    along = top < bar_bottom and bottom > bar_top       # beside its left or right edge
    if across and 0 <= bar_top - bottom <= 1 or across and 0 <= top - bar_bottom <= 1:
        if right != bar_right:
            faults.append(f"right edge {right}, not at the bar's end {bar_right}")
    elif along and 0 <= bar_left - right <= 1 or along and 0 <= left - bar_right <= 1:
        if bottom != bar_bottom:
            faults.append(f"bottom edge {bottom}, not at the bar's end {bar_bottom}")
    else:
        faults.append("not touching the taskbar")
    return faults


def artefact(name):
    """A screenshot of the test display kept in the build folder; returns its path."""
    folder = os.path.join(STATE, "artefacts")
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    subprocess.run(["import", "-window", "root", path], env=wine_env(), timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    check(os.path.exists(path), f"no screenshot at {path}")
    print(f"screenshot: {path}")
    return path
