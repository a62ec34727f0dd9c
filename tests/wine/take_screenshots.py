"""Takes the pictures of docs/screenshots from the real wizard under Wine: every panel a road
shows, and the main message boxes, each cropped to its window.

    python3 take_screenshots.py --build BUILD --work WORK --base BASE_PREFIX --out FOLDER
                                [--lite LITE_SETUPVTR_EXE]

scripts/screenshots.sh boots the prefix and calls this; --lite names a SetupVTR.exe built as the
Lite edition, for the picture of its configuration panel. Panel 1 (the choice of what to install)
is on no road of the wizard, so it has no picture.
"""

import argparse
import shutil
import subprocess
import sys
from pathlib import Path

import harness
from wizard import (BACK, CANCEL, COMPLETION, CONFIGURATION, CUSTOM, FINISH, FIRST_INSTALL,
                    FOLDERS, LAUNCH, MAINTENANCE, NEXT, PROGRAM_PATH, REMOVE_CHOICE, REPAIR,
                    REPAIR_CHOICE, SINGLE_USER, UNINSTALL, click, expect_panel, screenshot,
                    type_text, untick)

PROGRAM_FOLDER = "C:\\Program Files (x86)\\Vantora Contact Management"


class Pictures:
    def __init__(self, machine, out: Path):
        self.machine = machine
        self.out = out
        self.taken = []

    def run(self, exe, steps=(), answers=(), cmdline=None, boxes=()):
        """Drives the program; keeps the window pictures the steps took (named by the steps)
        and the pictures of its boxes under the given names, in order."""
        run = self.machine.drive(exe, steps=steps, answers=answers, cmdline=cmdline,
                                 window_shots=True, timeout=180)
        if run.status != 0 or run.exit_code is None:
            raise harness.Failure("the run did not finish:\n" + run.transcript())
        shots = [s for s in run.steps if s["step"] == "screenshot"]
        for line in shots:
            self.keep(Path(line["png"]), Path(line["png"]).name)
        box_lines = run.boxes
        if len(box_lines) != len(boxes):
            raise harness.Failure(f"expected {len(boxes)} boxes:\n" + run.transcript())
        for line, name in zip(box_lines, boxes):
            self.keep(Path(line["png"]), name)
        return run

    def keep(self, png: Path, name):
        target = self.out / name
        # Without the time stamps ImageMagick writes, a picture that did not change stays the
        # same file.
        subprocess.run(["convert", str(png), "-strip", "-define", "png:compression-level=9",
                        str(target)], check=True)
        self.taken.append(target)


def take(machine, out: Path, lite=None):
    pictures = Pictures(machine, out)
    exe = machine.ship()

    # A word the program does not know: the usage box.
    pictures.run(exe, cmdline="XYZ", boxes=["box-usage.png"])

    # The updater (a copy named "Update..."), before anything is installed: its first panel and
    # its folder panel.
    updater = machine.ship(exe_name="UpdateVTR.exe", folder="C:\\Vantora Update")
    pictures.run(updater, steps=[
        expect_panel(FIRST_INSTALL), screenshot("update-panel-0-installation-options.bmp"),
        click(CUSTOM), expect_panel(FOLDERS), screenshot("update-panel-7-folders.bmp"),
        click(CANCEL)])

    # A folder shipped without the program package: the run stops with its message.
    incomplete = machine.ship(folder="C:\\Incomplete Setup", omit=("vtr3p.msi",))
    pictures.run(incomplete, answers=["OK"], boxes=["box-missing-package.png"],
                 steps=[click(SINGLE_USER), expect_panel(CONFIGURATION), click(FINISH)])

    # A first install: the first panel, the folders (and a folder name that is not allowed),
    # the configuration and the completion panel.
    pictures.run(exe, answers=["OK"], boxes=["box-folder-characters.png"], steps=[
        expect_panel(FIRST_INSTALL), screenshot("panel-0-installation-options.bmp"),
        click(CUSTOM), expect_panel(FOLDERS), screenshot("panel-7-folders.bmp"),
        type_text(PROGRAM_PATH, "C:\\Program Files (x86)\\Vantora?"), click(NEXT),
        expect_panel(FOLDERS), screenshot("panel-7-folders-invalid.bmp"),
        type_text(PROGRAM_PATH, PROGRAM_FOLDER), click(BACK), expect_panel(FIRST_INSTALL),
        click(SINGLE_USER), expect_panel(CONFIGURATION),
        screenshot("panel-2-configuration-options.bmp"), click(FINISH),
        expect_panel(COMPLETION), screenshot("panel-5-installation-completed.bmp"),
        untick(LAUNCH), click(FINISH)])

    # With the product installed: the maintenance choices, Repair and Remove.
    pictures.run(exe, steps=[
        expect_panel(MAINTENANCE), screenshot("panel-6-maintenance-options.bmp"),
        click(REPAIR_CHOICE), expect_panel(REPAIR), screenshot("panel-4-repair-options.bmp"),
        click(BACK), expect_panel(MAINTENANCE), click(REMOVE_CHOICE), expect_panel(UNINSTALL),
        screenshot("panel-3-uninstall-options.bmp"), click(CANCEL)])

    # The Lite edition's configuration panel, which marks the Outlook interface as a feature
    # of the Professional edition.
    if lite is not None:
        lite_exe = machine.ship(folder="C:\\Lite Setup")
        shutil.copy2(lite, machine.path(lite_exe))
        pictures.run(lite_exe, steps=[
            click(SINGLE_USER), expect_panel(CONFIGURATION),
            screenshot("lite-panel-2-configuration-options.bmp"), click(CANCEL)])
    return pictures.taken


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--base", required=True, type=Path)
    parser.add_argument("--out", required=True, type=Path)
    parser.add_argument("--lite", type=Path)
    options = parser.parse_args()
    env = harness.Environment(options.build.resolve(), options.work.resolve(),
                              options.base.resolve())
    env.prepare_base()
    options.out.mkdir(parents=True, exist_ok=True)
    machine = harness.Machine(env, "screenshots")
    try:
        taken = take(machine, options.out.resolve(), options.lite)
    except harness.Failure as failure:
        print(f"screenshots: {failure}", file=sys.stderr)
        return 1
    finally:
        machine.stop()
    machine.discard()
    for picture in taken:
        print(f"  {picture.name} ({picture.stat().st_size // 1024} KB)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
