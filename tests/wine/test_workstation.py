"""A workstation edition, which needs the Microsoft ACE database engine: its installer (the
recording program under its name) is started by its full path in its own folder, waited for, and
its exit code decides the run, in a run nobody can answer (quietly) and in the wizard (after
Yes to the offer)."""

from harness import ACE_INSTALLER, CR, check, check_equal, wine_test
from test_engine import (EXIT_FAILED, EXIT_RESTART, INSTALLED, UNKNOWN, msiexec_lines,
                         msiexec_starts)
from test_startup import PROGRAM_CODE
from wizard import CONFIGURATION, FINISH, FIRST_INSTALL, SINGLE_USER, click, expect_panel

# Where the run starts the installer from: its checked copy in the edition's protected cache,
# never the media folder.
WORKSTATION_CACHE = "C:\\ProgramData\\Vantora\\Setup Cache\\VTRPRO_WS"
ACE_PATH = WORKSTATION_CACHE + "\\" + ACE_INSTALLER


def engine_installer_runs(calls):
    return [c for c in calls if c.get("program", "").lower() == ACE_INSTALLER.lower()]


def check_started_after_the_program(calls, command_line):
    """The installer ran once, from the cache by its full path in the cache folder, after
    Windows Installer was started for the program package."""
    runs = engine_installer_runs(calls)
    check_equal([(c["path"], c["command_line"], c["folder"]) for c in runs],
                [(ACE_PATH, command_line, WORKSTATION_CACHE)],
                "runs of the database engine's installer")
    check(runs[0]["created"] > msiexec_starts(calls)[0]["created"],
          "the database engine's installer was started before the program package's run")


@wine_test
def nobody_at_a_workstation_the_engine_is_installed_quietly_and_its_restart_honoured(machine):
    exe = machine.ship(workstation=True)
    machine.exit_codes({ACE_INSTALLER: EXIT_RESTART})
    run = machine.drive(exe, args=("S",), invisible_station=True, stderr=True)
    run.check_finished()
    check_equal(run.boxes, [], "boxes of a run nobody can answer")
    check_equal(run.exit_code, EXIT_RESTART, "exit code: the engine's installer asked for a restart")
    calls = machine.calls()
    check_started_after_the_program(calls, f'"{ACE_PATH}" /quiet')
    check_equal(machine.product_states(PROGRAM_CODE), {PROGRAM_CODE: INSTALLED}, "product state")


@wine_test
def yes_to_the_engine_in_the_wizard_and_its_failure_takes_the_install_back(machine):
    exe = machine.ship(workstation=True)
    machine.exit_codes({ACE_INSTALLER: EXIT_FAILED})
    run = machine.drive(exe, answers=["Yes", "OK", "OK"], steps=[
        expect_panel(FIRST_INSTALL), click(SINGLE_USER), expect_panel(CONFIGURATION),
        click(FINISH)])
    run.check_finished()
    check_equal([(b["title"], b["icon"], b["text"]) for b in run.boxes],
                [("Install Database Engine", "question",
                  "Microsoft ACE 2010 Database Engine (32-bit) must be installed on your system"
                  + CR + "Would you like to install this now?" + CR),
                 ("VTR Setup", "critical",
                  "Sorry, Windows was not able to install the Microsoft ACE Database Engine "
                  "(error 1603):" + CR + ACE_PATH + CR + "Vantora Contact Management will not "
                  "run correctly without the ACE Database Engine." + CR),
                 ("VTR Setup", "information",
                  "Setup did not finish. The changes it made have been taken back.")],
                "boxes of the run")
    check_equal(run.exit_code, EXIT_FAILED, "exit code")
    calls = machine.calls()
    check_started_after_the_program(calls, f'"{ACE_PATH}"')
    check_equal(msiexec_lines(calls)[-1], f"msiexec.exe /x {PROGRAM_CODE} /qb-",
                "the Windows Installer run that takes the program back")
    check_equal(machine.product_states(PROGRAM_CODE), {PROGRAM_CODE: UNKNOWN},
                "product state after the run was taken back")
