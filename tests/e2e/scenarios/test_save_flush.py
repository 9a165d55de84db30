#!/usr/bin/env python3
"""The saved list reaches the disk before it takes the old one's place, at
OK in the editor and at the end of the session.  Under Wine FlushFileBuffers
is an fsync of the file's descriptor in the program, while the Wine server
creates and renames the files: strace over both shows, for each save, the
temporary file fsync'ed before it is renamed over Velmora.Lst."""
import os
import signal
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from e2elib import MAIN_CLASS, PREFIX, Failure, check, driver, new_program, run  # noqa: E402
from editorlib import Editor  # noqa: E402


def wineserver_pid():
    """The persistent Wine server of the tests' prefix."""
    wanted = f"WINEPREFIX={PREFIX}".encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if wanted in f.read().split(b"\0"):
                    return pid
        except OSError:
            continue
    raise Failure(f"no wineserver runs for {PREFIX}")


def renames_after_flush(trace):
    """For each rename of Velmora.Lst.tmp over Velmora.Lst in the trace:
    whether an fsync of the temporary file had returned since it was created."""
    flushed, pending, renames = False, set(), []
    with open(trace, errors="replace") as f:
        for line in f:
            pid, _, call = line.partition(" ")
            names = call.split('"')[1::2]
            if call.startswith("openat(") and "O_CREAT" in call and names[0].endswith("/Velmora.Lst.tmp"):
                flushed = False
            elif call.startswith(("fsync(", "fdatasync(")) and "/Velmora.Lst.tmp>" in call:
                if "<unfinished" in call:
                    pending.add(pid)
                else:
                    flushed = flushed or call.rstrip().endswith("= 0")
            elif call.startswith(("<... fsync resumed>", "<... fdatasync resumed>")) and pid in pending:
                pending.discard(pid)
                flushed = flushed or call.rstrip().endswith("= 0")
            elif call.startswith("rename") and len(names) >= 2 and names[0].endswith("/Velmora.Lst.tmp") \
                    and names[1].endswith("/Velmora.Lst"):
                renames.append(flushed)
    return renames


def scenario(started):
    program = new_program(started, "save-flush")
    program.write_list([("C:\\Tools\\a.exe", "", 6, ord("F"), 1, 0)])
    trace = program.unix("strace.log")
    program.start(wrapper=["strace", "-f", "-qq", "-y", "-I1", "-o", trace, "-p", wineserver_pid(),
                           "-e", "trace=openat,fsync,fdatasync,rename,renameat,renameat2"])
    try:
        Editor.open(program).close_with("CloseBtn")
        driver("send", "--pid", program.pid, "--class", MAIN_CLASS, "WM_QUERYENDSESSION", 0, 0)
        program.wait_no_window("--class", MAIN_CLASS, timeout=20, what="the program to end")
    finally:
        # strace stays attached to the server until it is told to let go.
        program.process.send_signal(signal.SIGINT)
        program.process.wait(timeout=20)
    renames = renames_after_flush(trace)
    check(renames == [True, True], f"Velmora.Lst.tmp renamed over the list, flushed before or not: {renames!r} "
                                   "(expected the save at OK and the one at the end, both flushed)")


if __name__ == "__main__":
    sys.exit(run(scenario))
