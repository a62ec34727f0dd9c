"""SetupVTR.exe's start-up on a real (Wine) Windows: the usage box for a word it does not know,
what the detection of installed products finds, update mode chosen by the file name, and the
install folders read back from the settings store."""

import pwd
import os
import subprocess
import time

from harness import CR, CRLF, SHARED, SHIP, TAB, TOOLS, check, check_equal, wine_test

SETTINGS = "HKCU\\Software\\VB and VBA Program Settings"
STARTUP = SETTINGS + "\\VTRPRO_3\\StartUp"
PROGRAM_CODE = "{590454A0-A293-4ECE-AB62-FD940586A43C}"
DB_CODE = "{9A3E077B-AC17-4655-AE22-D73047814448}"
UPDATE_DB_CODE = "{DCB3C1C6-15AD-4C1B-9CEE-8BD16BA8E1F5}"
# The Program Files folder the setup program asks for (CSIDL_PROGRAM_FILESX86): the i686 and the
# x86_64 build both get the 32-bit one of a 64-bit prefix.
PROGRAM_FILES = "C:\\Program Files (x86)"
USAGE_EXIT = 1639  # ERROR_INVALID_COMMAND_LINE


def usage_text(word, own_name="SetupVTR"):
    return ("Parameter:" + word + CR + "Sorry this is not a valid Parameter." + CR + CR
            + "Available Parameters" + CR + CR
            + own_name + " [Repair] [Program] [DB] [OL]" + CR + CR
            + "REPAIR" + TAB + "Repair previous installation" + CR
            + "REMOVE" + TAB + "Remove Program installation" + CR
            + "PROGRAM" + TAB + "Install/Repair/Remove Main Vantora Program" + CR
            + "DB" + TAB + "Install/Repair/Remove Vantora Database" + CR
            + "OL" + TAB + "Setup MS Outlook Office Interface" + CR
            + "S" + TAB + "Silent operation (no user prompting)" + CR)


def detection_text(installed, code, db_installed, db_code):
    word = {True: "True", False: "False"}
    return ("gbInstalled =" + word[installed] + "  gsProdID = " + code + CR
            + "gbDBInstalled = " + word[db_installed] + "  gsDBProdID = " + db_code + CR)


def folders_text(program, db_folder):
    return ("Initial Install Folders: " + CRLF + "Program: " + program + CRLF
            + "DB Folder: " + db_folder + CRLF + CRLF + "Show special folders?")


def debug_start(machine, exe, show_special_folders=False):
    """Runs the setup program with DEBUG, answers the detection and folder boxes and closes the
    wizard; returns the boxes."""
    answers = ["OK", "Yes" if show_special_folders else "No"]
    if show_special_folders:
        answers.append("OK")
    run = machine.drive(exe, args=["DEBUG"], answers=answers, close_windows=True)
    run.check_finished()
    check_equal(len(run.boxes), len(answers), "number of boxes in a DEBUG start")
    for box in run.boxes:
        check_equal((box["title"], box["icon"]), ("VTR Setup", "none"), "debug box title and icon")
    check_equal(run.boxes[1]["buttons"], ["Yes", "No"], "buttons of the folders box")
    return run.boxes


def check_not_installed(machine, what):
    check(not machine.key_exists(SETTINGS, view=SHARED), f"{what}: the settings store was written")
    for folder in ("Vantora Contact Management", "Vantora Contact Management 3.0"):
        check(not machine.path(PROGRAM_FILES + "\\" + folder).exists(),
              f"{what}: {PROGRAM_FILES}\\{folder} was created")


@wine_test
def invalid_word_shows_the_usage_box_and_ends(machine):
    exe = machine.ship()
    for cmdline, word in (("XYZ", "XYZ"), ("REPAIR XYZ S", "XYZ"), ("/S", "/S")):
        run = machine.drive(exe, cmdline=cmdline, close_windows=True)
        run.check_finished()
        check_equal(len(run.boxes), 1, f"number of boxes for {cmdline!r}")
        box = run.boxes[0]
        check_equal(box["title"], "VTR Setup 1.6.0", f"usage box title for {cmdline!r}")
        check_equal(box["text"], usage_text(word), f"usage box text for {cmdline!r}")
        check_equal((box["buttons"], box["icon"]), (["OK"], "information"),
                    f"usage box buttons and icon for {cmdline!r}")
        check_equal(run.windows, [], f"windows opened for {cmdline!r}")
        check_equal(run.exit_code, USAGE_EXIT, f"exit code for {cmdline!r}")
        check_not_installed(machine, f"after {cmdline!r}")


@wine_test
def a_second_copy_of_setup_says_it_is_already_running(machine):
    setup = machine.ship()
    update = machine.ship(exe_name="UpdateVTR.exe", packages=False)
    # The first copy's wizard stays open, nobody at it, while the updater is started. The
    # updater starts only once the wizard shows its first panel: started earlier (a slow
    # machine), it would itself be the first copy.
    driver_out = machine.folder / "first-copy.out"
    with open(driver_out, "wb") as out:
        first = subprocess.Popen(
            ["wine", TOOLS + "\\vtrdrive.exe", "run", "--timeout", "600", "--expect-panel", "0",
             "--", setup],
            env=machine.env.wine_env(machine.prefix, machine.environment),
            stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 300
        while b"expect-panel" not in driver_out.read_bytes():
            check(first.poll() is None and time.monotonic() < deadline,
                  "the first copy's wizard never showed its first panel")
            time.sleep(1)
        run = machine.drive(update, close_windows=True, timeout=60)
        run.check_finished()
        check_equal(first.poll(), None, "the first copy ended early")
        # The box opens behind the first copy's wizard on Wine's desktop, so its icon cannot be
        # read off the screen here; the simulated Windows checks it.
        check_equal([(box["title"], box["text"], box["buttons"]) for box in run.boxes],
                    [("VTR Setup", "Vantora Contact Management setup is already running.",
                      ["OK"])], "boxes of the second copy")
        check_equal((run.windows, run.exit_code), ([], 1618), "windows and exit code")
    finally:
        first.kill()


@wine_test
def debug_start_reports_an_installed_program(machine):
    exe = machine.ship()
    check_equal(machine.msiexec("/i", SHIP + "\\vtr3p.msi", "/qn"), 0, "installing vtr3p.msi")
    boxes = debug_start(machine, exe)
    check_equal(boxes[0]["text"], detection_text(True, PROGRAM_CODE, False, DB_CODE),
                "detection box")
    # Nothing stored yet: the default folders.
    check_equal(boxes[1]["text"], folders_text(PROGRAM_FILES, "C:\\ProgramData\\Vantora Data"),
                "folders box")


@wine_test
def update_copy_looks_for_the_update_database(machine):
    setup = machine.ship()
    update = machine.ship(exe_name="UpdateVTR.exe", packages=False)
    check_equal(machine.msiexec("/i", SHIP + "\\vtr3db.msi", "/qn", "TARGETDIR=C:\\ProgramData"),
                0, "installing vtr3db.msi")
    # The full database counts for the installer but not for the updater, which looks for the
    # update build of the database, a product of its own.
    check_equal(debug_start(machine, setup)[0]["text"],
                detection_text(False, PROGRAM_CODE, True, DB_CODE), "SetupVTR detection box")
    check_equal(debug_start(machine, update)[0]["text"],
                detection_text(False, PROGRAM_CODE, False, UPDATE_DB_CODE),
                "UpdateVTR detection box with the full database installed")
    check_equal(machine.msiexec("/i", SHIP + "\\vtr3db_update.msi", "/qn",
                                "TARGETDIR=C:\\ProgramData"), 0, "installing vtr3db_update.msi")
    check_equal(debug_start(machine, update)[0]["text"],
                detection_text(False, PROGRAM_CODE, True, UPDATE_DB_CODE),
                "UpdateVTR detection box with the update database installed")


@wine_test
def stored_folders_show_in_the_debug_listing(machine):
    exe = machine.ship()
    machine.reg_add(STARTUP, "AppPath", "D:\\Apps\\Vantora", view=SHARED)
    machine.reg_add(STARTUP, "DBPath", "D:\\Shared\\Vantora Data\\MainDB\\", view=SHARED)
    boxes = debug_start(machine, exe, show_special_folders=True)
    # The box shows the Program Files folder (not the stored program folder) and the database
    # folder that the stored "DBPath" names: its parent, without "MainDB".
    check_equal(boxes[1]["text"], folders_text(PROGRAM_FILES, "D:\\Shared\\Vantora Data"),
                "folders box")
    user = pwd.getpwuid(os.getuid()).pw_name
    home = "C:\\users\\" + user
    check_equal(boxes[2]["text"],
                "Folders using CSIDL method: "
                + CRLF + "CSIDL_COMMON_APPDATA: C:\\ProgramData"
                + CRLF + "CSIDL_LOCAL_APPDATA: " + home + "\\AppData\\Local"
                + CRLF + "CSIDL_COMMON_DOCUMENTS: C:\\users\\Public\\Documents"
                + CRLF + "CSIDL_PERSONAL: " + home + "\\Documents"
                + CRLF + CRLF + "Folders using NEW method: "
                + CRLF + "*feCommonAppData: C:\\ProgramData"
                + CRLF + "feLocalAppData: " + home + "\\AppData\\Local"
                + CRLF + "feUserAppData: " + home + "\\AppData\\Roaming"
                + CRLF + "feCommonDocs: C:\\users\\Public\\Documents"
                + CRLF + "feUserDocs: " + home + "\\Documents"
                + CRLF + "feUser: " + home,
                "special folders box")
    # Start-up only reads the settings store.
    check_equal((machine.reg_value(STARTUP, "AppPath", view=SHARED),
                 machine.reg_value(STARTUP, "DBPath", view=SHARED)),
                ("D:\\Apps\\Vantora", "D:\\Shared\\Vantora Data\\MainDB\\"),
                "stored folders after the run")
