#!/usr/bin/env python3
"""Fails when a file under src/ includes across the floors of docs/layout.md.

From the ground floor up: platform/, util/, detect/, engine/, wizard/, startup/; a folder of
these includes only itself and the folders below it, with no exception. The win32/ folders are the
Windows side of their floor: only they (and what stands on top) may include a win32/ folder
or <windows.h>, and platform/win32/ never includes wizard/win32/. sim/ and app/ stand on top
and may include everything.
"""
import pathlib
import re
import sys

FLOORS = ["platform", "util", "detect", "engine", "wizard", "startup"]
ON_TOP = {"sim", "app"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(path):
    """'wizard/win32' for src/wizard/win32/x.cpp, 'engine' for src/engine/x.h."""
    parts = pathlib.PurePosixPath(path).parts[:-1]
    return "/".join(parts[:2]) if len(parts) > 1 and parts[1] == "win32" else parts[0]


def fault(including, included):
    """Why `including` (a folder) may not include the src/ path `included`, or None."""
    if including.split("/")[0] in ON_TOP:
        return None
    windows_side = including.endswith("/win32")
    if included == "windows.h":
        return None if windows_side else "the portable core never includes <windows.h>"
    if "/" not in included:
        return None  # a header beside the file
    target = folder_of(included)
    if target.endswith("/win32") and not windows_side:
        return "only the win32/ folders include the Windows side"
    if including == "platform/win32" and target == "wizard/win32":
        return "the Windows layer never includes the wizard's window"
    here, there = including.split("/")[0], target.split("/")[0]
    if there not in FLOORS:
        return f"{there}/ stands above the core"
    if FLOORS.index(there) > FLOORS.index(here):
        return f"{there}/ is a floor above {here}/"
    return None


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    faults = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        including = folder_of(file.relative_to(src).as_posix())
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, name = match.groups()
            if quote == "<" and name.lower() != "windows.h":
                continue  # the standard library and the toolchain's own headers
            why = fault(including, name.lower() if quote == "<" else name)
            if why:
                shown = f"<{name}>" if quote == "<" else f'"{name}"'
                faults.append(f"{file}:{number}: includes {shown}: {why}")
    for line in faults:
        print(line)
    print(f"floors: {len(faults)} include(s) across the floors" if faults else "floors: ok")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
