"""The wizard's real window under Wine, worked by control ID as a user works it: the roads
through the panels, what each road installs, repairs or removes, the folder checks, the launch
of the installed program at the end, and Cancel."""

import json
import time

from harness import CACHE, CR, SHARED, SHIP, TOOLS, check, check_equal, wine_test
from test_engine import (DATA_FOLDER, HIDDEN, DATA_TARGET, EXIT_CANCELLED, EXIT_FAILED, EXIT_SUCCESS,
                         INSTALLED,
                         PLANTED_DLLS, PRELOADED_DLLS, PROGRAM_FOLDER, UNKNOWN, check_both_installed, install_both,
                         missing_files, msiexec_ends, msiexec_lines, planted_dlls_loaded,
                         program_stamp, registrations, settled)
from test_packages import DB_FILES
from test_startup import DB_CODE, PROGRAM_CODE, STARTUP, check_not_installed
from wizard import (BACK, BROWSE_DATABASE, BROWSE_PROGRAM, CANCEL, COMPLETION, COMPLETION_TEXT,
                    CONFIGURATION, CUSTOM, DATABASE_PATH, FINISH, FIRST_INSTALL, FOLDERS, INSTALL_DATABASE,
                    INSTALL_PROGRAM, INSTALL_TITLE, LAUNCH, LB_ERR, LB_WARNING, MAINTENANCE, NEXT,
                    OUTLOOK, PROGRAM_PATH, REINSTALL_DATABASE, REINSTALL_PROGRAM, REMOVE_CHOICE,
                    REMOVE_DATABASE, REMOVE_PROGRAM, REPAIR, REPAIR_CHOICE, SINGLE_USER, UNINSTALL,
                    WIZARD_CLASS, buttons, click, end_task, expect_panel, key, modules, read, screenshot, step_on,
                    tick, type_text, untick)

# The demo vtr3.exe appends a line here each time it starts (packaging/demo).
LAUNCH_LOG = TOOLS + "\\launched.jsonl"
LOG_FOLDER = TOOLS + "\\logs"
COMPLETED = CR + "Vantora Contact Management Professional 3.3.0"
INVALID_PATH = "Path entered is invalid, please correct"


# The controls of the folder panel with both boxes ticked and the button row, in the order Tab
# walks them, from Next round to Next.
FOLDER_PANEL_TABS = [NEXT, INSTALL_PROGRAM, PROGRAM_PATH, BROWSE_PROGRAM, INSTALL_DATABASE,
                     DATABASE_PATH, BROWSE_DATABASE, CANCEL, BACK, NEXT]


def character_message(character):
    return ("Sorry, certain characters like '  " + character + "  ' are not allowed" + CR
            + ' / \\ : * ? " < > | are not allowed in Windows Folder Names' + CR + CR
            + "Please enter a valid folder name" + CR + CR)


def record_launches(machine):
    machine.environment["VTR_DEMO_RECORD"] = LAUNCH_LOG


def launches(machine):
    log = machine.path(LAUNCH_LOG)
    if not log.exists():
        return []
    return [json.loads(line) for line in log.read_text(encoding="utf-8").splitlines() if line]


def wait_for_launch(machine, timeout=30):
    """The shell starts the program without the setup program waiting for it."""
    deadline = time.monotonic() + timeout
    while not launches(machine):
        check(time.monotonic() < deadline,
              f"the installed program did not start within {timeout} s")
        time.sleep(0.3)
    return launches(machine)


def check_no_launch(machine, what):
    time.sleep(2)  # a launch would have been recorded by now
    check_equal(launches(machine), [], f"programs launched {what}")


def wizard_line(level, package, target, source=CACHE):
    """A Windows Installer command line of a wizard run: the level is the wizard's, not /qn."""
    return (f'msiexec.exe /I "{source}\\{package}" ALLUSERS=2 TARGETDIR="{target}" '
            f'{HIDDEN} {level}')


def check_completion(run, ending, launch_offered):
    check_equal(run.read(COMPLETION_TEXT)["text"], COMPLETED + ending, "completion text")
    box = run.read(LAUNCH)
    check_equal((box["visible"], box.get("check")), (launch_offered, 1 if launch_offered else 0),
                "launch box shown and ticked")
    check_equal(buttons(step_on(run, COMPLETION)),
                {"Cancel": "disabled", "Back": "disabled", "Next": "hidden", "Finish": "enabled"},
                "buttons of the completion panel")


def single_user_install_without_launch(machine, exe, where, first=()):
    """Clicks through a Single User install (after the `first` steps), unticking the launch
    box, and checks that it ended well: no box, exit 0."""
    run = machine.drive(exe, steps=[
        *first, click(SINGLE_USER), expect_panel(CONFIGURATION), click(FINISH),
        expect_panel(COMPLETION), untick(LAUNCH), click(FINISH)])
    run.check_finished()
    check_equal(run.boxes, [], f"boxes of a Single User install {where}")
    check_equal(run.exit_code, EXIT_SUCCESS, "exit code")
    return run


def launch_lines(machine):
    """What the setup logs in LOG_FOLDER say of the launch at Finish."""
    lines = []
    for log in sorted(machine.path(LOG_FOLDER).glob("*.log")):
        lines += [line.split("] ", 1)[-1] for line in
                  log.read_text(encoding="utf-8", errors="replace").splitlines()
                  if "] launch " in line]
    return lines


@wine_test
def single_user_install_installs_both_and_finish_launches_the_program(machine):
    exe = machine.ship()
    record_launches(machine)
    run = machine.drive(exe, args=(f"LOG={LOG_FOLDER}",), steps=[
        expect_panel(FIRST_INSTALL), screenshot("panel0.bmp"),
        click(SINGLE_USER), expect_panel(CONFIGURATION), read(OUTLOOK),
        click(FINISH), expect_panel(COMPLETION), read(COMPLETION_TEXT), read(LAUNCH),
        click(FINISH)])
    run.check_finished()
    check_equal([(w["window"], w["class"]) for w in run.windows], [(INSTALL_TITLE, WIZARD_CLASS)],
                "windows of the run")
    check_equal(run.panels(), [FIRST_INSTALL, CONFIGURATION, COMPLETION], "panels walked")
    check_equal(buttons(step_on(run, FIRST_INSTALL)),
                {"Cancel": "enabled", "Back": "disabled", "Next": "disabled", "Finish": "hidden"},
                "buttons of the first panel")
    check_equal(buttons(step_on(run, CONFIGURATION)),
                {"Cancel": "enabled", "Back": "enabled", "Next": "hidden", "Finish": "enabled"},
                "buttons of the configuration panel")
    outlook = run.read(OUTLOOK)
    check_equal((outlook["visible"], outlook["enabled"], outlook.get("check")), (True, True, 1),
                "the Outlook box: shown, enabled, ticked")
    check_completion(run, " has been successfully installed.", True)
    check_equal(run.boxes, [], "boxes of a Single User install")
    check_equal(run.exit_code, EXIT_SUCCESS, "exit code")

    calls = settled(machine, lambda c: len(registrations(c)) == 2,
                    "the serial control and the e-mail interface were not both registered")
    # LOG adds Windows Installer's own log to each command line.
    check_equal([line.split(" /l*v ")[0] for line in msiexec_lines(calls)],
                [wizard_line("/qb-", "vtr3p.msi", PROGRAM_FOLDER),
                 wizard_line("/qb", "vtr3db.msi", DATA_TARGET)],
                "Windows Installer command lines")
    check_equal([c["exit"] for c in msiexec_ends(calls)], [0, 0], "Windows Installer exit codes")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states")
    check_equal(program_stamp(machine), "vtr3p 3.3.0", "the program package's files")
    check_equal(missing_files(machine, DATA_FOLDER, DB_FILES), [], "database files missing")
    check_equal({name: machine.reg_value(STARTUP, name, view=SHARED)
                 for name in ("DBPath", "EmailForm", "Ver")},
                {"DBPath": DATA_FOLDER + "\\MainDB\\", "EmailForm": "12", "Ver": "3.3.0"},
                "settings after the install")

    started = wait_for_launch(machine)
    check_equal([s["program"] for s in started], [PROGRAM_FOLDER + "\\vtr3.exe"],
                "programs launched by Finish")
    # Wine's desktop (the prefix's virtual desktop) has a shell window that starts it.
    check_equal(launch_lines(machine),
                [f'launch "{PROGRAM_FOLDER}\\vtr3.exe" in "{PROGRAM_FOLDER}" => started by the '
                 "desktop's shell, as the desktop's user"], "the setup log's launch line")


@wine_test
def single_user_install_from_a_drive_root(machine):
    root = machine.map_drive("E", machine.folder / "media")
    exe = machine.ship(folder=root)
    single_user_install_without_launch(machine, exe, "from the root of E:")
    calls = settled(machine, lambda c: len(msiexec_ends(c)) == 2, "Windows Installer did not run")
    check_equal(msiexec_lines(calls),
                [wizard_line("/qb-", "vtr3p.msi", PROGRAM_FOLDER),
                 wizard_line("/qb", "vtr3db.msi", DATA_TARGET)],
                "Windows Installer command lines")
    check_both_installed(machine)


@wine_test
def a_failed_install_says_its_changes_were_taken_back(machine):
    exe = machine.ship(outcome={"vtr3db.msi": "action"})
    run = machine.drive(exe, answers=["OK", "OK"], steps=[
        expect_panel(FIRST_INSTALL), click(SINGLE_USER), expect_panel(CONFIGURATION),
        click(FINISH)])
    run.check_finished()
    # The database package fails after the program was installed: its failure box, then the
    # program is removed again at the run's own level, and one more box says so.
    check_equal([(b["icon"], b["text"].split(CR)[0]) for b in run.boxes],
                [("critical", "Windows Installer did not complete the installation (error "
                  + str(msiexec_ends(machine.calls())[1]["exit"]) + "):"),
                 ("information",
                  "Setup did not finish. The changes it made have been taken back.")],
                "boxes of the failed run")
    check_equal(msiexec_lines(machine.calls())[2:], [f"msiexec.exe /x {PROGRAM_CODE} /qb-"],
                "the Windows Installer run that takes the program back")
    check_equal(run.panels(), [FIRST_INSTALL, CONFIGURATION], "panels walked")
    check_equal(run.exit_code, EXIT_FAILED, "exit code")
    check_not_installed(machine, "after the failed run")


@wine_test
def custom_install_checks_the_typed_folders_and_installs_there(machine):
    exe = machine.ship()
    program = "C:\\Custom\\Program"
    data_parent = "C:\\Custom\\Data"
    data = data_parent + "\\Vantora Data"
    # The user's own folders exist; the wizard makes one new level below them, never two.
    machine.path(data_parent).mkdir(parents=True)
    too_deep = "C:\\Custom\\Deeper\\Program"
    run = machine.drive(exe, answers=["OK"], steps=[
        click(CUSTOM), expect_panel(FOLDERS), read(INSTALL_PROGRAM), read(INSTALL_DATABASE),
        # Tab from Next, where the panel put the focus, round the panel and the button row.
        *[key("Tab")] * (len(FOLDER_PANEL_TABS) - 1),
        # A folder whose parent does not exist: no message, but the error line.
        type_text(PROGRAM_PATH, too_deep), type_text(DATABASE_PATH, data),
        click(NEXT), expect_panel(FOLDERS), read(LB_ERR), read(LB_WARNING),
        # An empty box: the error line asks for a path.
        type_text(PROGRAM_PATH, program), type_text(DATABASE_PATH, ""),
        click(NEXT), expect_panel(FOLDERS), read(LB_ERR),
        # Both folders bad: one character message, for the program folder only.
        type_text(PROGRAM_PATH, "C:\\Custom\\Pro?gram"),
        type_text(DATABASE_PATH, "C:\\Custom\\Da:ta"),
        click(NEXT), expect_panel(FOLDERS), read(LB_ERR),
        # A relative folder would be made wherever the current folder happens to be.
        type_text(PROGRAM_PATH, "Apps"), type_text(DATABASE_PATH, data_parent),
        click(NEXT), expect_panel(FOLDERS), read(LB_ERR),
        # Good folders, the database folder typed without "Vantora Data"; Enter presses Next,
        # the default button.
        type_text(PROGRAM_PATH, program), type_text(DATABASE_PATH, data_parent), key("Enter"),
        expect_panel(CONFIGURATION),
        read(LB_ERR), read(LB_WARNING), click(FINISH),
        expect_panel(COMPLETION), read(COMPLETION_TEXT), read(LAUNCH), untick(LAUNCH),
        click(FINISH)])
    run.check_finished()
    check_equal(run.panels(), [FIRST_INSTALL, FOLDERS, CONFIGURATION, COMPLETION], "panels walked")
    tabs = [i for i, line in enumerate(run.steps) if line.get("key") == "Tab"]
    check_equal([run.steps[i]["wizard"].get("focus") for i in tabs + [tabs[-1] + 1]],
                FOLDER_PANEL_TABS, "the focus from Next on, one Tab after another")
    for box_id in (INSTALL_PROGRAM, INSTALL_DATABASE):
        box = run.read(box_id)
        check_equal((box["visible"], box["enabled"], box.get("check")), (True, True, 1),
                    f"check box {box_id} of a Custom install")
    check_equal([(b["title"], b["text"], b["icon"], b["buttons"]) for b in run.boxes],
                [("VTR Setup", character_message("?"), "information", ["OK"])],
                "boxes: one character message, for the program folder")
    check_equal([(e["visible"], e["text"]) for e in run.reads(LB_ERR)],
                [(True, INVALID_PATH), (True, "ERROR: Please enter a valid path"),
                 (True, INVALID_PATH), (True, INVALID_PATH), (False, INVALID_PATH)],
                "error line after a missing parent, an empty box, bad characters, a relative "
                "folder, good folders")
    check_equal([w["visible"] for w in run.reads(LB_WARNING)], [False, True],
                "legal notice under the error line, and once the folders are good")
    check(not machine.path("C:\\Custom\\Deeper").exists(), "a folder two levels deep was made")
    check(not machine.path(SHIP + "\\Apps").exists(), "a relative folder was made")
    check_completion(run, " has been successfully installed.", True)
    check_equal(run.exit_code, EXIT_SUCCESS, "exit code")

    calls = settled(machine, lambda c: len(registrations(c)) == 2,
                    "the serial control and the e-mail interface were not both registered")
    check_equal(msiexec_lines(calls),
                [wizard_line("/qb-", "vtr3p.msi", program),
                 wizard_line("/qb", "vtr3db.msi", data_parent)],
                "Windows Installer command lines")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states")
    check(machine.path(program + "\\vtr3.exe").is_file(), "vtr3.exe is not in the typed folder")
    check_equal(missing_files(machine, data, DB_FILES), [], "database files missing")
    check(not machine.path(PROGRAM_FOLDER).exists(), "the default program folder was made")
    # The stored folder is the one that holds the database the package laid out.
    stored = machine.reg_value(STARTUP, "DBPath", view=SHARED)
    check_equal(stored, data + "\\MainDB\\", "DBPath")
    check(machine.path(stored + "Vantora Contacts.vdb").is_file(), "no database under DBPath")
    check_no_launch(machine, "with the launch box unticked")


@wine_test
def repair_and_remove_from_the_maintenance_panel(machine):
    exe = machine.ship()
    install_both(machine, exe)
    record_launches(machine)
    machine.path(PROGRAM_FOLDER + "\\vtr3.exe").unlink()
    machine.clear_calls()

    run = machine.drive(exe, steps=[
        expect_panel(MAINTENANCE), click(REPAIR_CHOICE), expect_panel(REPAIR),
        read(REINSTALL_PROGRAM), read(REINSTALL_DATABASE), click(NEXT),
        expect_panel(CONFIGURATION), click(FINISH),
        expect_panel(COMPLETION), read(COMPLETION_TEXT), read(LAUNCH), click(FINISH)])
    run.check_finished()
    check_equal(run.panels(), [MAINTENANCE, REPAIR, CONFIGURATION, COMPLETION], "repair panels")
    check_equal(buttons(step_on(run, MAINTENANCE)),
                {"Cancel": "enabled", "Back": "disabled", "Next": "disabled", "Finish": "hidden"},
                "buttons of the maintenance panel")
    check_equal(buttons(step_on(run, REPAIR)),
                {"Cancel": "enabled", "Back": "enabled", "Next": "enabled", "Finish": "hidden"},
                "buttons of the repair panel with the program ticked")
    check_equal([run.read(i).get("check") for i in (REINSTALL_PROGRAM, REINSTALL_DATABASE)],
                [1, 0], "re-install boxes: program ticked, database not")
    check_completion(run, " has been repaired.", False)
    check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS), "boxes and exit code of the repair")
    calls = settled(machine, lambda c: registrations(c), "nothing was registered")
    check_equal(msiexec_lines(calls),
                [f'msiexec.exe /famus "{CACHE}\\vtr3p.msi" TARGETDIR="{PROGRAM_FOLDER}" '
                 f"{HIDDEN} /qb /norestart"],
                "Windows Installer command lines of the repair")
    check(machine.path(PROGRAM_FOLDER + "\\vtr3.exe").is_file(),
          "the repair did not bring back vtr3.exe")
    check_no_launch(machine, "after a repair")

    machine.clear_calls()
    run = machine.drive(exe, steps=[
        expect_panel(MAINTENANCE), click(REMOVE_CHOICE), expect_panel(UNINSTALL),
        read(REMOVE_PROGRAM), read(REMOVE_DATABASE), tick(REMOVE_DATABASE), click(FINISH),
        expect_panel(COMPLETION), read(COMPLETION_TEXT), read(LAUNCH), click(FINISH)])
    run.check_finished()
    check_equal(run.panels(), [MAINTENANCE, UNINSTALL, COMPLETION], "remove panels")
    check_equal([(b["enabled"], b.get("check")) for b in (run.read(REMOVE_PROGRAM),
                                                          run.read(REMOVE_DATABASE))],
                [(True, 1), (True, 0)], "remove boxes: both usable, only the program ticked")
    check_completion(run, " has been removed from your computer.", False)
    check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS),
                "boxes and exit code of the removal")
    calls = settled(machine, lambda c: registrations(c),
                    "the e-mail interface was not unregistered")
    check_equal(msiexec_lines(calls),
                [f'msiexec.exe /x "{CACHE}\\vtr3p.msi" REMOVE=ALL TARGETDIR="{PROGRAM_FOLDER}" '
                 "/qb /norestart",
                 f'msiexec.exe /x "{CACHE}\\vtr3db.msi" REMOVE=ALL REINSTALLMODE=aums '
                 f'TARGETDIR="{DATA_TARGET}" /qb'],
                "Windows Installer command lines of the removal")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states after the removal")
    check(not machine.path(PROGRAM_FOLDER + "\\vtr3.exe").exists(), "vtr3.exe is still there")
    check_no_launch(machine, "after a removal")


@wine_test
def dlls_planted_beside_the_setup_program_are_never_loaded(machine):
    exe = machine.ship()
    machine.plant_dlls(PLANTED_DLLS)
    run = single_user_install_without_launch(machine, exe, "beside planted DLLs",
                                             first=[expect_panel(FIRST_INSTALL), modules()])
    calls = settled(machine, lambda c: len(registrations(c)) == 2,
                    "the serial control and the e-mail interface were not both registered")
    check_equal(planted_dlls_loaded(calls), [], "planted DLLs loaded, and by which program")
    check_both_installed(machine)
    # The setup program leaves some of the system DLLs it loads itself until its first panel
    # is painted. Its DLLs the moment its window first shows (when the driver is that quick,
    # before they are loaded) and once the first panel stands still, before the user acts:
    # none from its own folder, and by the second moment all of them from the system folder.
    first = [line["first_window_modules"] for line in run.lines
             if "first_window_modules" in line]
    steady = [line["modules"] for line in run.steps if line["step"] == "modules"]
    check_equal((len(first), len(steady)), (1, 1), "module lists reported")
    (machine.artifacts / "first_window_modules.txt").write_text("\n".join(first[0]) + "\n")
    for when, loaded in (("when the window first showed", first[0]),
                         ("once the first panel stood still", steady[0])):
        check_equal([m for m in loaded if m.lower().startswith(SHIP.lower() + "\\")
                     and not m.lower().endswith(".exe")], [],
                    f"DLLs loaded from the setup folder {when}")
    system = "c:\\windows\\system32\\"
    where = {m.lower().rsplit("\\", 1)[-1]: m.lower().rsplit("\\", 1)[0] + "\\"
             for m in steady[0]}
    check_equal([name for name in PRELOADED_DLLS
                 if machine.path(system + name).exists() and where.get(name) != system], [],
                "system DLLs not loaded from the system folder once the first panel stood still")


@wine_test
def cancel_escape_and_the_close_box_end_without_installing(machine):
    exe = machine.ship()
    for what, steps, close in (
            ("Cancel on the first panel", [expect_panel(FIRST_INSTALL), click(CANCEL)], False),
            ("Escape on the folder panel", [click(CUSTOM), expect_panel(FOLDERS), key("Escape")],
             False),
            ("the close box on the configuration panel",
             [click(SINGLE_USER), expect_panel(CONFIGURATION)], True),
            ("End task on the first panel", [expect_panel(FIRST_INSTALL), end_task()], False)):
        run = machine.drive(exe, steps=steps, close_windows=close)
        run.check_finished()
        check_equal(run.boxes, [], f"boxes after {what}")
        check_equal(run.exit_code, EXIT_CANCELLED, f"exit code after {what}")
    check_equal(msiexec_lines(machine.calls()), [], "Windows Installer runs")
    check_not_installed(machine, "after cancelling")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states")
