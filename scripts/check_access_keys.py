#!/usr/bin/env python3
"""Checks that no two controls of one panel of the wizard share an access key (the letter after
"&" in a caption), nor two controls of the button row, so that the dialog manager never has to
guess which one a key means. Reads the captions where the form is laid out (every control's
first caption) and where start-up changes them (the update mode's captions), and counts every
caption a control can carry.

    python3 scripts/check_access_keys.py [SRC_DIR]     (default src)

Prints one line per clash and exits 1 when there is one."""

import re
import sys
from collections import defaultdict
from pathlib import Path

# One or more wide string literals side by side, as C++ joins them.
LITERALS = r'((?:L"(?:[^"\\]|\\.)*"\s*)+)'
# A control of the form as the code names it: cmdOpt(3), lbOL(), or a local variable.
CONTROL = r'(\w+\(\s*\w*\s*\)|\{\}|\w+)'
MAKE = re.compile(r'Make\(\s*' + CONTROL + r'\s*,\s*ControlKind::(\w+)\s*,\s*' + CONTROL
                  + r'\s*,\s*' + LITERALS, re.S)
SET_CAPTION = re.compile(r'SetCaption\(\s*' + CONTROL + r'\s*,\s*' + LITERALS + r'\)', re.S)
VARIABLE = re.compile(r'const ControlRef (\w+) = (\w+\(\s*\w*\s*\));')


def text_of(literals):
    return "".join(bytes(part, "utf-8").decode("unicode_escape")
                   for part in re.findall(r'L"((?:[^"\\]|\\.)*)"', literals))


def access_key(caption):
    """The character after a lone "&" ("&&" shows one "&"), in upper case, or None."""
    i = 0
    while i + 1 < len(caption):
        if caption[i] == "&":
            if caption[i + 1] == "&":
                i += 2
                continue
            return caption[i + 1].upper()
        i += 1
    return None


def name(control, variables):
    control = variables.get(control, control)
    return re.sub(r"\(\s*\)$", "", re.sub(r"\s+", "", control))


def main():
    src = Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    wizard = src / "wizard"
    layout = (wizard / "layout.cpp").read_text(encoding="utf-8")
    variables = dict(VARIABLE.findall(layout))
    container = {}
    kinds = {}
    captions = defaultdict(set)
    for control, kind, holder, literals in MAKE.findall(layout):
        control = name(control, variables)
        container[control] = "" if holder == "{}" else name(holder, variables)
        kinds[control] = kind
        captions[control].add(text_of(literals))
    if not captions:
        print(f"access keys: no controls found in {wizard / 'layout.cpp'}")
        return 1
    for path in sorted(wizard.glob("*.cpp")):
        for control, literals in SET_CAPTION.findall(path.read_text(encoding="utf-8")):
            control = name(control, variables)
            if control in captions:
                captions[control].add(text_of(literals))

    def group(control):
        # The panel (or other frame on the window) that holds the control; the window itself
        # for the button row. The panels are laid out in a loop: a holder without a line of its
        # own stands on the window.
        top = control
        while container.get(top):
            top = container[top]
        return "the button row" if top == control else top

    owners = defaultdict(lambda: defaultdict(set))  # group -> key -> controls
    for control, texts in captions.items():
        if kinds[control] in ("Frame", "TextBox"):
            continue  # a frame's caption takes no key here; a text box's text is the user's
        for text in texts:
            key = access_key(text)
            if key:
                owners[group(control)][key].add(control)
    clashes = [(where, key, sorted(controls)) for where, keys in sorted(owners.items())
               for key, controls in sorted(keys.items()) if len(controls) > 1]
    for where, key, controls in clashes:
        print(f"access keys: {where}: Alt+{key} is carried by {', '.join(controls)}")
    print(f"access keys: {len(captions)} controls, {len(owners)} groups with keys, "
          f"{len(clashes)} clashes")
    return 1 if clashes else 0


if __name__ == "__main__":
    sys.exit(main())
