#!/usr/bin/env python3
"""The download package: the zip that `make dist` builds holds exactly
velmora.exe, Velmora.html, README.md and LICENSE at its top; the program
unpacked from it into an empty folder starts, puts its icon into the
notification area, and when Windows ends the session consents, ends, and
writes its list beside itself and nowhere else."""
import os
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import ARCH, PREFIX, WIN_DIR, Failure, Velmora, check, driver, run  # noqa: E402

SOURCE_DIR = os.environ.get("VELMORA_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..", ".."))
CONTENTS = {"velmora.exe", "Velmora.html", "README.md", "LICENSE"}
DEFAULT_LIST = (b"calc.exe\r\n\r\n6 67 1 0\r\n"
                b"VELMORA_SHOWMAINWINDOW\r\n\r\n2 220 1 0\r\n")


def build_zip(folder):
    """The zip as `make dist` makes it, from this build's velmora.exe."""
    path = os.path.join(folder, f"velmora-{ARCH}.zip")
    result = subprocess.run([os.path.join(SOURCE_DIR, "scripts", "dist.sh"), WIN_DIR, path],
                            capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise Failure(f"scripts/dist.sh failed: {result.stderr.strip()}")
    return path


def scenario(started):
    with tempfile.TemporaryDirectory() as work:
        with zipfile.ZipFile(build_zip(work)) as package:
            names = set(package.namelist())
            check(names == CONTENTS, f"zip holds {sorted(names)}, expected {sorted(CONTENTS)}")
            check(package.testzip() is None, "a member of the zip is damaged")
            html = package.read("Velmora.html").decode("utf-8")
            for anchor in ("HID00000002", "HID00000006"):
                check(f'id="{anchor}"' in html, f"Velmora.html has no anchor {anchor}")

            folder = os.path.join(PREFIX, "drive_c", "e2e", f"dist-{os.getpid()}")
            program = Velmora("dist", folder=folder)
            started.append(program)
            # Whatever the helper put there gives way to the zip's own files.
            for name in os.listdir(folder):
                os.remove(os.path.join(folder, name))
            package.extractall(folder)

    check(sorted(os.listdir(folder)) == sorted(CONTENTS), f"unpacked: {sorted(os.listdir(folder))}")
    program.start()
    main = program.main_window()
    check(not main.visible, "the main window is visible at start")
    present = driver("tray-has", "--pid", program.pid, "--wait", "present", "--timeout", 10000,
                     check_rc=False)
    check(present and present[0] == ["1"], f"no icon in the notification area ({present})")

    answer = program.end_session()
    check(answer != 0, f"WM_QUERYENDSESSION answered {answer}, not consent")
    check(program.process.returncode == 0, f"exit code {program.process.returncode}")
    check(program.read_list() == DEFAULT_LIST, f"list beside the program: {program.read_list()!r}")
    left = sorted(set(os.listdir(folder)) - CONTENTS - {"wine-stderr.log"})
    check(left == ["Velmora.Lst"], f"files the program left beside itself: {left}")


if __name__ == "__main__":
    sys.exit(run(scenario))
