"""The release media as a user gets it: the disc image that scripts/release.sh made, read back
as Windows reads it (its Joliet names) and put in a CD drive of the machine, E:. The setup
program is started from the disc's root, once silently and once through the wizard."""

import os
import subprocess

from harness import Failure, check, check_equal, known_fault, wine_test
from test_engine import DATA_FOLDER, EXIT_SUCCESS, INSTALLED, PROGRAM_FOLDER, missing_files
from test_packages import DB_FILES
from test_startup import DB_CODE, PROGRAM_CODE
from wizard import COMPLETION, CONFIGURATION, FINISH, FIRST_INSTALL, LAUNCH, SINGLE_USER, \
    click, expect_panel, untick

# Mended by the work on drive roots; until it lands the tests below report the fault as known.
AT_A_ROOT = "the program does not find its packages when it runs from a drive's root"
DRIVE = "E:"
CDROM = 4  # the FileSystemObject's drive type of a CD-ROM drive


def release_image(machine):
    """The image made for the build under test: build/release for the shipped win32 build,
    build/release-<preset> for another."""
    build = machine.env.build
    folder = build.parent / ("release" if build.name == "win32" else f"release-{build.name}")
    image = folder / "VantoraSetup.iso"
    if not image.is_file():
        raise Failure(f"{image} is missing: make it with scripts/release.sh --preset {build.name}")
    return image


def insert_disc(machine):
    """Reads the image's files out as Windows sees them (read-only, Joliet names), makes them
    drive E: of type CD-ROM, and returns the Windows path of the setup program on it."""
    disc = machine.folder / "disc"
    done = subprocess.run(["xorriso", "-osirrox", "on", "-rockridge", "off", "-joliet", "on",
                           "-indev", str(release_image(machine)), "-extract", "/", str(disc)],
                          capture_output=True, text=True)
    check(done.returncode == 0, f"the disc image could not be read: {done.stderr}")
    os.symlink(disc, machine.prefix / "dosdevices" / DRIVE.lower())
    machine.reg_add("HKLM\\Software\\Wine\\Drives", DRIVE.lower(), "cdrom")
    # Wine's mount manager reads the drive types when it starts.
    machine.stop()
    check_equal(drive_type(machine), CDROM, f"type of drive {DRIVE}")
    return DRIVE + "\\SetupVTR.exe"


def drive_type(machine):
    done = machine.wine("cscript", "//nologo", "C:\\vtrtest\\drive_type.js", DRIVE)
    try:
        return int(done.stdout.decode("utf-8", "replace").split()[-1])
    except (ValueError, IndexError):
        raise Failure(f"the drive type could not be read: {done.stdout!r} {done.stderr!r}")


def check_installed_from_disc(machine):
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states")
    check(machine.path(PROGRAM_FOLDER + "\\vtr3.exe").is_file(), "vtr3.exe was not installed")
    check_equal(missing_files(machine, DATA_FOLDER, DB_FILES), [], "database files missing")


def eject(machine):
    # Extracted from a disc, the folder is read-only; the next run must be able to remove it.
    disc = machine.folder / "disc"
    if disc.exists():
        disc.chmod(0o755)


@wine_test
@known_fault(AT_A_ROOT)
def silent_install_from_the_release_disc(machine):
    exe = insert_disc(machine)
    try:
        run = machine.drive(exe, args=("S", "DB"))
        run.check_finished()
        check_equal(run.boxes, [], "boxes of a silent install from the disc")
        check_equal(run.exit_code, EXIT_SUCCESS, "exit code")
        check_installed_from_disc(machine)
    finally:
        eject(machine)


@wine_test
@known_fault(AT_A_ROOT)
def single_user_install_from_the_release_disc(machine):
    exe = insert_disc(machine)
    try:
        run = machine.drive(exe, steps=[
            expect_panel(FIRST_INSTALL), click(SINGLE_USER), expect_panel(CONFIGURATION),
            click(FINISH), expect_panel(COMPLETION), untick(LAUNCH), click(FINISH)])
        run.check_finished()
        check_equal(run.boxes, [], "boxes of a Single User install from the disc")
        check_equal(run.exit_code, EXIT_SUCCESS, "exit code")
        check_installed_from_disc(machine)
    finally:
        eject(machine)

