#!/usr/bin/env python3
"""Holds the layers of docs/ARCHITECTURE.md (the layer_check test).

Reads the #include "..." lines of every file under src/ and fails on an
include of a layer above the file's own, on an include between the two
independent components of the middle layer, and on files that include each
other directly or through others.  A folder's subfolders are in its layer;
the files directly in src/ (version.h) are in the bottom one.
"""
import re
import sys
from pathlib import Path

# Bottom to top: (folders, whether they may include one another).  The tray
# component and the message box each stand on the forms layer alone; the
# main window and the editor call each other, so they make one layer.
LAYERS = [({"", "platform"}, True), ({"forms"}, True), ({"TaskTray", "hksub"}, False),
          ({"hkmainf", "hkmain"}, True), ({"app"}, True)]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def main(src):
    folders = {name: (rank, shared) for rank, (names, shared) in enumerate(LAYERS) for name in names}
    folder = lambda f: f.parts[0] if len(f.parts) > 1 else ""
    files = sorted(p.relative_to(src) for p in src.rglob("*") if p.is_file())
    edges, errors = {f: [] for f in files}, []
    for name in sorted({folder(f) for f in files} - folders.keys()):
        errors.append(f"src/{name}: a folder in no layer (name it in LAYERS and on the architecture page)")
    for f in files:
        for number, line in enumerate((src / f).read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            # As the compiler looks: beside the file first, then from src/.
            near, target = f.parent / match[1], Path(match[1])
            target = near if (src / near).is_file() else target
            where = f"src/{f}:{number}: includes \"{match[1]}\""
            if target not in edges:
                errors.append(f"{where}, which is no file under src/")
                continue
            edges[f].append((target, number))
            if folder(f) not in folders or folder(target) not in folders:
                continue  # said above
            (mine, shared), (theirs, _) = folders[folder(f)], folders[folder(target)]
            if theirs > mine:
                errors.append(f"{where}: {folder(target)} is a layer above {folder(f) or 'the files of src/'}")
            elif theirs == mine and not shared and folder(f) != folder(target):
                errors.append(f"{where}: {folder(target)} and {folder(f)} stand apart in their layer")
    # A cycle: some file reaches, through its includes, a file still open on the walk.
    # The walk's path holds each open file with the line that leads on.
    state, path = {}, []

    def walk(f):
        state[f] = "open"
        for target, number in edges[f]:
            path.append(f"src/{f}:{number}")
            if state.get(target) == "open":
                ring = path[next(i for i, p in enumerate(path) if p.startswith(f"src/{target}:")):]
                errors.append("include cycle: " + " -> ".join(ring + [f"src/{target}"]))
            elif target not in state:
                walk(target)
            path.pop()
        state[f] = "done"

    for f in files:
        if f not in state:
            walk(f)
    print("\n".join(errors) or f"layers: {len(files)} files under src/, no include against the layers and no cycle")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src")))
