#!/usr/bin/env python3
"""The program killed at random moments while it saves its list at the end
of the session: every time, Velmora.Lst is exactly the old list or exactly
the new one, never a mixture, a truncated file or nothing.

The list holds 100 entries with long paths, so that writing it takes a
while.  The old file is not in the canonical form (text after the numbers),
so the program's save always differs from it byte for byte.  driver.exe
starts the program, posts WM_QUERYENDSESSION and terminates the process
after a random delay of up to twice the time the new list takes to appear
(measured first in three undisturbed rounds), until that many kills have hit
a running program.  VELMORA_KILL_ROUNDS sets the number of kills (default
30), VELMORA_KILL_SECONDS the time they may take (default 40)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import check, driver, encode_list, new_program, run  # noqa: E402


def entries():
    out = []
    for n in range(1, 101):
        folder = "C:\\Program Files\\" + "\\".join(f"ツール群{n:03d}-{'x' * 30}" for _ in range(5))
        out.append((f"{folder}\\起動{n}.exe", f"/option {n} " + "p" * 40, 7, 0x30 + n % 40, 0, n % 3))
    return out


def scenario(started):
    rounds = int(os.environ.get("VELMORA_KILL_ROUNDS", "30"))
    seconds = int(os.environ.get("VELMORA_KILL_SECONDS", "40"))
    program = new_program(started, "kill-save")

    canonical = encode_list(entries())
    # Disabled entries: a hundred registrations would only slow the start.
    old = canonical.replace(b" 0 0\r\n", b" 0 0 old\r\n").replace(b" 0 1\r\n", b" 0 1 old\r\n") \
                   .replace(b" 0 2\r\n", b" 0 2 old\r\n")
    check(old != canonical and len(canonical) > 30000, "the two lists must differ and be large")
    with open(program.unix("old.bin"), "wb") as f:
        f.write(old)
    with open(program.unix("new.bin"), "wb") as f:
        f.write(canonical)

    rows = driver("kill-save", "--exe", program.windows_path("velmora.exe"),
                  "--list", program.windows_path("Velmora.Lst"), "--old", program.windows_path("old.bin"),
                  "--new", program.windows_path("new.bin"), "--rounds", rounds, "--seconds", seconds,
                  "--seed", os.environ.get("VELMORA_KILL_SEED", "20261207"), timeout=seconds + 60)
    calibration = [r for r in rows if int(r[0]) < 0]
    kills = [r for r in rows if int(r[0]) >= 0]
    for r in calibration:
        check(r[3] == "new", f"an undisturbed end left the list {r[3]}")
        check(r[4] == "0", "an undisturbed end left its temporary file")
    outcomes = {}
    for r in kills:
        check(r[3] in ("old", "new"), f"kill {r[0]} after {r[1]} us left the list {r[3]}")
        outcomes[r[3]] = outcomes.get(r[3], 0) + 1
    killed = sum(1 for r in kills if r[2] == "1")
    check(killed >= min(rounds, 10), f"only {killed} kills hit a running program")
    print(f"the new list was in place {sorted(int(r[6]) for r in calibration)} us after the message; "
          f"{len(kills)} rounds, {killed} kills of a running program; the list was old "
          f"{outcomes.get('old', 0)} times, new {outcomes.get('new', 0)} times; "
          f"a temporary file was left {sum(1 for r in kills if r[4] == '1')} times")


if __name__ == "__main__":
    sys.exit(run(scenario))
