#!/usr/bin/env python3
"""The saved list reaches the disk before it takes the old one's place, at
OK in the editor and at the end of the session.  Under Wine FlushFileBuffers
is an fsync in the program, while the Wine server creates and renames the
files: strace over both shows each save's steps in order."""
import os
import signal
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import MAIN_CLASS, PREFIX, check, driver, new_program, run  # noqa: E402
from editorlib import Editor  # noqa: E402


def wineserver_pid():
    """The persistent Wine server of the tests' prefix."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm") as comm, open(f"/proc/{pid}/environ", "rb") as env:
                if comm.read().startswith("wineserver") and f"WINEPREFIX={PREFIX}".encode() in env.read().split(b"\0"):
                    return pid
        except OSError:
            continue
    return None


def save_steps(trace):
    """C the temporary file made, F an fsync of it returned, R it renamed over the list."""
    steps, fsyncing = "", set()
    with open(trace, errors="replace") as f:
        for line in f:
            pid, call = (line.split(None, 1) + ["", ""])[:2]  # the pid is padded to a width
            names = [n.rsplit("/", 1)[-1] for n in call.split('"')[1::2]]
            if call.startswith("openat(") and "O_CREAT" in call and names[:1] == ["Velmora.Lst.tmp"]:
                steps += "C"
            elif call.startswith("fsync(") and "/Velmora.Lst.tmp>" in call:
                fsyncing.add(pid)
            elif call.startswith("rename") and names[:2] == ["Velmora.Lst.tmp", "Velmora.Lst"]:
                steps += "R"
            if pid in fsyncing and call.rstrip().endswith(") = 0"):  # its own line, or where it resumed
                fsyncing.discard(pid)
                steps += "F"
    return steps


def scenario(started):
    program = new_program(started, "save-flush")
    program.write_list([("C:\\Tools\\a.exe", "", 6, ord("F"), 1, 0)])
    trace, server = program.unix("strace.log"), wineserver_pid()
    check(server, f"no wineserver runs for {PREFIX}")
    # Attached to the server too, which it lets go of only when told (-I1: SIGINT).
    program.start(wrapper=["strace", "-f", "-qq", "-y", "-I1", "-o", trace, "-p", server,
                           "-e", "trace=openat,fsync,rename,renameat,renameat2"])
    try:
        Editor.open(program).close_with("CloseBtn")
        driver("send", "--pid", program.pid, "--class", MAIN_CLASS, "WM_QUERYENDSESSION", 0, 0)
        program.wait_no_window("--class", MAIN_CLASS, timeout=20, what="the program to end")
    finally:
        program.process.send_signal(signal.SIGINT)
        program.process.wait(timeout=20)
    steps = save_steps(trace)
    check(steps == "CFRCFR", f"the saves at OK and at the end: {steps!r}, expected each made, flushed, renamed")


if __name__ == "__main__":
    sys.exit(run(scenario))
