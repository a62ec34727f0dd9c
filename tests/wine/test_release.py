"""The release media as a user gets it: the disc image that scripts/release.sh made, read back
as Windows reads it (its Joliet names) and put in a CD drive of the machine, E:. The setup
program is started from the disc's root, once silently and once through the wizard."""

import shutil
import subprocess
import time

from harness import ACE_INSTALLER, CR, WINE_CONFIG, Failure, check, check_equal, wine_test
from test_engine import (DATA_FOLDER, EXIT_FAILED, EXIT_SUCCESS, PROGRAM_FOLDER, UNKNOWN,
                         box_essentials, check_both_installed, msiexec_lines, missing_files,
                         silent)
from test_startup import DB_CODE, PROGRAM_CODE
from test_workstation import ACE_PATH, engine_installer_runs
from test_packages import DB_FILES
from wizard import COMPLETION, CONFIGURATION, FINISH, FIRST_INSTALL, LAUNCH, SINGLE_USER, \
    click, expect_panel, untick

DRIVE = "E"
CDROM = 4  # the FileSystemObject's drive type of a CD-ROM drive


def release_image(machine, edition=""):
    """The image made for the build under test: build/release for the shipped win32 build,
    build/release-<preset> for another, each with -<edition> for another edition."""
    build = machine.env.build
    folder = build.parent / ("release" if build.name == "win32" else f"release-{build.name}")
    if edition:
        folder = folder.with_name(f"{folder.name}-{edition.lower()}")
    image = folder / "VantoraSetup.iso"
    if not image.is_file():
        raise Failure(f"{image} is missing: make it with scripts/release.sh --preset {build.name}"
                      + (f" --edition {edition}" if edition else ""))
    return image


def insert_disc(machine, edition=""):
    """Reads the image's files out as Windows sees them (read-only, Joliet names), makes them
    drive E: of type CD-ROM, and returns the Windows path of the setup program on it."""
    disc = machine.folder / "disc"
    root = machine.map_drive(DRIVE, disc)
    done = subprocess.run(["xorriso", "-osirrox", "on", "-rockridge", "off", "-joliet", "on",
                           "-indev", str(release_image(machine, edition)), "-extract", "/", str(disc)],
                          capture_output=True, text=True)
    check(done.returncode == 0, f"the disc image could not be read: {done.stderr}")
    # Read by Wine's 64-bit mount manager: where `wine reg` is the 32-bit reg.exe, a value
    # written without the view would land in Wow6432Node and the drive would stay a hard disk.
    machine.reg_add("HKLM\\Software\\Wine\\Drives", DRIVE.lower() + ":", "cdrom",
                    view=WINE_CONFIG)
    # Wine's mount manager reads the drive types when it starts.
    machine.stop()
    check_equal(settled_drive_type(machine), CDROM, f"type of drive {DRIVE}:")
    return root + "SetupVTR.exe"


def settled_drive_type(machine, seconds=30):
    """The drive's type once Wine's mount manager has made its drives. It starts as a service of
    the first program of a new Wine session and makes them a moment later; a program that asks
    before then is answered for the folder the drive maps, a fixed disk. On a loaded machine
    that moment is seconds, so the type is read until it is a CD-ROM's or the time is up."""
    deadline = time.monotonic() + seconds
    while True:
        kind = drive_type(machine)
        if kind == CDROM or time.monotonic() > deadline:
            return kind
        time.sleep(0.5)


def drive_type(machine):
    done = machine.wine("cscript", "//nologo", "C:\\vtrtest\\drive_type.js", DRIVE + ":")
    try:
        return int(done.stdout.decode("utf-8", "replace").split()[-1])
    except (ValueError, IndexError):
        raise Failure(f"the drive type could not be read: {done.stdout!r} {done.stderr!r}")


def install_from_disc(machine, what, **run_options):
    """Runs the setup program from the disc's root and checks that it installed both products
    without a box and ended in success."""
    try:
        run = machine.drive(insert_disc(machine), **run_options)
        run.check_finished()
        check_equal(run.boxes, [], f"boxes of {what} from the disc")
        check_equal(run.exit_code, EXIT_SUCCESS, f"exit code of {what}")
        check_both_installed(machine)
        check(machine.path(PROGRAM_FOLDER + "\\vtr3.exe").is_file(),
              "vtr3.exe was not installed")
        check_equal(missing_files(machine, DATA_FOLDER, DB_FILES), [], "database files missing")
    finally:
        # Extracted from a disc, the folder is read-only; the next run must be able to remove it.
        disc = machine.folder / "disc"
        if disc.exists():
            disc.chmod(0o755)


@wine_test
def silent_install_from_the_release_disc(machine):
    install_from_disc(machine, "S DB", args=("S", "DB"))


@wine_test
def single_user_install_from_the_release_disc(machine):
    install_from_disc(machine, "a Single User install", steps=[
        expect_panel(FIRST_INSTALL), click(SINGLE_USER), expect_panel(CONFIGURATION),
        click(FINISH), expect_panel(COMPLETION), untick(LAUNCH), click(FINISH)])


def damaged_box(path):
    return {"title": "VTR Setup", "icon": "critical", "buttons": ["OK"],
            "text": ("The installation package is damaged or is not the one this setup was made "
                     "for:" + CR + path + CR + "Copy the setup files again from the original "
                     "media.")}


def check_refused(machine, change, package, what, edition=""):
    """Changes the media's files as a bad copy or a careless edit would, runs S DB from it and
    checks that the package is refused with the box and that nothing was started."""
    setup = insert_disc(machine, edition)
    disc = machine.folder / "disc"
    try:
        disc.chmod(0o755)
        for file in disc.iterdir():
            file.chmod(0o644)
        change(disc)
        run = silent(machine, setup, "S", "DB", answers=["OK"])
        check_equal([box_essentials(b) for b in run.boxes],
                    [damaged_box(setup[:-len("SetupVTR.exe")] + package)], f"boxes {what}")
        check_equal(run.exit_code, EXIT_FAILED, f"exit code {what}")
        check_equal(msiexec_lines(machine.calls()), [], f"Windows Installer runs {what}")
        check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                    {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, f"product states {what}")
    finally:
        disc.chmod(0o755)


@wine_test
def a_package_cut_or_grown_by_a_bad_copy_is_refused(machine):
    def append_a_byte(disc):
        with open(disc / "vtr3db.msi", "ab") as package:
            package.write(b"\0")
    check_refused(machine, append_a_byte, "vtr3db.msi", "with one byte appended to vtr3db.msi")


@wine_test
def a_package_of_another_product_under_the_program_name_is_refused(machine):
    def copy_database_over_program(disc):
        shutil.copyfile(disc / "vtr3db.msi", disc / "vtr3p.msi")
    check_refused(machine, copy_database_over_program, "vtr3p.msi",
                  "with the database package copied over vtr3p.msi")


@wine_test
def a_workstation_disc_starts_only_the_checked_engine_installer_and_from_the_cache(machine):
    disc = machine.folder / "disc"
    original = machine.folder / "engine-installer.exe"

    def replace_the_engine_installer(media):
        shutil.copyfile(media / ACE_INSTALLER, original)
        shutil.copyfile(machine.env.vtrboxes, media / ACE_INSTALLER)
    check_refused(machine, replace_the_engine_installer, ACE_INSTALLER,
                  "with another program as the engine's installer", edition="VTRPRO_WS")
    check_equal(engine_installer_runs(machine.calls()), [], "runs of the engine's installer")
    # Untouched, in a run nobody can answer: the engine is installed from the checked copy.
    shutil.copyfile(original, disc / ACE_INSTALLER)
    run = machine.drive(DRIVE + ":\\SetupVTR.exe", args=("S",), invisible_station=True)
    run.check_finished()
    check_equal(run.exit_code, EXIT_SUCCESS, "exit code of S from the untouched disc")
    check_equal([c["path"] for c in engine_installer_runs(machine.calls())], [ACE_PATH],
                "the engine's installer started: its copy in the cache, never the disc's")
