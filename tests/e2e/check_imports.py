#!/usr/bin/env python3
"""Checks that a Windows program imports only DLLs that every Windows has,
and none of those it loads on first use only.

usage: check_imports.py <objdump> <program.exe>
"""
import re
import subprocess
import sys

# DLLs of Windows itself; the program must not need anything shipped beside it
# (libstdc++-6.dll, libgcc_s_*.dll, libwinpthread-1.dll and the like).
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "comdlg32.dll",
    "comctl32.dll", "advapi32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
    "shlwapi.dll", "uxtheme.dll", "version.dll", "imm32.dll", "winmm.dll",
}

# Loaded by the program when first needed, never by the loader before its
# first line: the shell's DLLs from the system folder only (a DLL of that
# name planted beside the program is not picked up), and the common controls
# when a form is first shown (loading them with the program took a good part
# of its start-up).
LOADED_ON_FIRST_USE = {"shell32.dll", "shlwapi.dll", "comdlg32.dll", "comctl32.dll"}


def imported_dlls(objdump_output):
    return [m.group(1) for m in re.finditer(r"^\s*DLL Name:\s*(\S+)", objdump_output, re.M)]


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    objdump, program = argv[1], argv[2]
    result = subprocess.run([objdump, "-p", program], capture_output=True, text=True)
    if result.returncode != 0:
        print(result.stderr, file=sys.stderr)
        return 1
    dlls = imported_dlls(result.stdout)
    if not dlls:
        print(f"{program}: no import table found", file=sys.stderr)
        return 1
    foreign = sorted({d for d in dlls if d.lower() not in SYSTEM_DLLS})
    print("imports: " + ", ".join(dlls))
    if foreign:
        print("not Windows system DLLs: " + ", ".join(foreign), file=sys.stderr)
        return 1
    early = sorted({d for d in dlls if d.lower() in LOADED_ON_FIRST_USE})
    if early:
        print("imported, but to be loaded on first use only: " + ", ".join(early), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
