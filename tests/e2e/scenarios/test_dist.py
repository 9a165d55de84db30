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
from e2elib import (ARCH, DEFAULT_LIST, PREFIX, SOURCE_DIR, WIN_DIR, Failure, check, driver, new_program,  # noqa: E402
                    run)

CONTENTS = {"velmora.exe", "Velmora.html", "README.md", "LICENSE"}


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
            program = new_program(started, "dist", folder=folder)
            # Whatever the helper put there gives way to the zip's own files.
            for name in os.listdir(folder):
                os.remove(os.path.join(folder, name))
            package.extractall(folder)

    check(sorted(os.listdir(folder)) == sorted(CONTENTS), f"unpacked: {sorted(os.listdir(folder))}")
    main = program.start_resident()
    check(not main.visible, "the main window is visible at start")
    present = driver("tray-has", "--pid", program.pid, "--wait", "present", "--timeout", 10000,
                     check_rc=False)
    check(present and present[0] == ["1"], f"no icon in the notification area ({present})")

    program.consent_to_end()
    check(program.process.returncode == 0, f"exit code {program.process.returncode}")
    program.check_list(DEFAULT_LIST, "the list beside the program")
    left = sorted(set(os.listdir(folder)) - CONTENTS - {"wine-stderr.log"})
    check(left == ["Velmora.Lst"], f"files the program left beside itself: {left}")


if __name__ == "__main__":
    sys.exit(run(scenario))
