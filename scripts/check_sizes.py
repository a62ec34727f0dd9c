#!/usr/bin/env python3
"""Fails when a file under src/ is over 400 lines or does not say first what it is for.

Every source file opens with one comment line saying what it holds: a `//` line for C++ and
resource files (.h, .cpp, .rc), a `#` line for CMake files, and for an XML file (the manifest)
a `<!-- ... -->` line right after its XML declaration, which has to stand first. A file over
400 lines holds several rooms: split it (docs/layout.md). Files that are not text (the icon)
are left alone.

    check_sizes.py [SRC]
"""
import pathlib
import sys

LIMIT = 400
COMMENT = {".h": "//", ".cpp": "//", ".rc": "//", ".cmake": "#"}


def opening_fault(path, lines):
    """What is missing at the top of a file, or None."""
    if path.suffix in COMMENT:
        marker = COMMENT[path.suffix]
        first = lines[0] if lines else ""
        if first.startswith(marker) and first[len(marker):].strip():
            return None
        return (f"does not open with a {marker} line saying what it is for "
                f"(its first line is {first.strip()!r})")
    if path.suffix in (".manifest", ".xml"):
        second = lines[1].strip() if len(lines) > 1 and lines[0].startswith("<?xml") else ""
        if second.startswith("<!--") and second.endswith("-->") and second[4:-3].strip():
            return None
        return "does not say what it is for in a <!-- --> line after its XML declaration"
    return f"is of a kind ({path.suffix or 'no extension'}) this check does not know"


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    faults = []
    for path in sorted(p for p in src.rglob("*") if p.is_file()):
        data = path.read_bytes()
        try:
            text = data.decode("utf-8")
        except UnicodeDecodeError:
            continue  # not text
        if "\0" in text:
            continue
        lines = text.splitlines()
        if len(lines) > LIMIT:
            faults.append(f"{path}: {len(lines)} lines, over the limit of {LIMIT}")
        why = opening_fault(path, lines)
        if why:
            faults.append(f"{path}: {why}")
    for line in faults:
        print(line)
    print(f"sizes: {len(faults)} fault(s)" if faults else "sizes: ok")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
