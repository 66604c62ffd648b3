#!/usr/bin/env python3
"""Checks that code includes only from below it.

The layers, lowest first, and the rooms inside each, lowest first. A file may
include a file of a lower layer, of a lower room of its own layer, or of its
own folder; rooms of equal rank (two controls, say) don't include each other.
The linker holds the layers' direction for calls; this holds it for headers,
whose inline code the linker never sees, and for the rooms inside a layer.
"""
import pathlib
import re
import sys

LAYERS = [
    ("navigation", {"": 0}),
    ("picture", {"memory": 0, "inspect": 1, "rows": 2, "streams": 3, "segmented": 3, "": 4}),
    ("framework", {"core": 0, "loader": 1, "window": 2, "stock": 3, "accessibility": 4}),
    ("controls", {"spinbox": 0, "dial": 0, "switch": 0, "": 1}),
    ("", {"": 0}),  # the program: src/Tidemark.cpp, src/Unit1.*
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def place(path, src):
    """(layer index, room rank, folder) of a file under src, or None."""
    parts = path.relative_to(src).parts
    for index, (layer, rooms) in enumerate(LAYERS):
        if layer and parts[0] != layer:
            continue
        if not layer and len(parts) != 1:
            continue
        inner = parts[1:-1] if layer else ()
        room = inner[0] if inner else ""
        if room not in rooms:
            return None
        return index, rooms[room], path.parent
    return None


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src").resolve()
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        here = place(path, src)
        if here is None:
            faults.append(f"{path.relative_to(src)}: in no known layer or room")
            continue
        for name in INCLUDE.findall(path.read_text()):
            target = path.parent / name
            if not target.exists():
                target = src / name
            if not target.exists():
                continue  # generated, or another project's
            there = place(target.resolve(), src)
            if there is None or there[2] == here[2]:
                continue
            if there[0] < here[0] or (there[0] == here[0] and there[1] < here[1]):
                continue
            faults.append(f"{path.relative_to(src)} includes {name}, which is not below it")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
