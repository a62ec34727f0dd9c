"""The settings for every user of a machine: the machine-wide copy of the settings a run
records, the Active Setup component that copies them into each user's own store at logon, and
start-up reading the copy where the user has none. Wine does not run Active Setup at logon, so
a test runs the component's StubPath itself, as Windows would for a new user."""

from harness import MACHINE_VIEW, SHARED, check, check_equal, wine_test
from test_engine import check_quiet_success, install_both, settled, silent, updater_calls
from test_startup import STARTUP

COMPONENT = ("HKLM\\Software\\Microsoft\\Active Setup\\Installed Components\\"
             "{021BA4ED-9251-451D-8878-BDD7DBCFB699}")
# Each user's mark that the component ran for them.
MARK = "HKCU" + COMPONENT[len("HKLM"):]
MACHINE_COPY = "HKLM" + STARTUP[len("HKCU"):]
SETTINGS = ("DBPath", "EmailForm", "Ver")


def own_settings(machine):
    return {name: machine.reg_value(STARTUP, name, view=SHARED) for name in SETTINGS}


def run_stub_path(machine, stub_path):
    """Runs the component's StubPath at a user's logon, as Active Setup (a native program)
    starts it: the whole text as one command line. It goes through a batch file, since Wine
    escapes the quotes of an argument it is handed from Linux ("wine cmd /c ..." would give cmd
    \\"C:\\...\\reg.exe\\" instead of the text)."""
    batch = "C:\\vtrtest\\stub_path.cmd"
    machine.path(batch).write_text("@" + stub_path + "\r\n", encoding="ascii")
    done = machine.wine("cmd", "/c", batch, native=True)
    check_equal(done.returncode, 0, f"exit code of the StubPath {stub_path!r} "
                f"(stdout {done.stdout!r}, stderr {done.stderr!r})")


@wine_test
def a_new_user_gets_the_settings_at_logon_and_a_removal_takes_the_component_away(machine):
    exe = machine.ship()
    install_both(machine, exe)
    recorded = own_settings(machine)
    check(all(recorded.values()), f"settings after S DB: {recorded}")

    stub_path = machine.reg_value(COMPONENT, "StubPath", view=MACHINE_VIEW)
    check_equal(stub_path,
                '"C:\\windows\\system32\\reg.exe" copy '
                '"HKLM\\Software\\VB and VBA Program Settings\\VTRPRO_3\\StartUp" '
                '"HKCU\\Software\\VB and VBA Program Settings\\VTRPRO_3\\StartUp" /s /f',
                "the component's StubPath")
    check_equal(machine.reg_value(COMPONENT, "", view=MACHINE_VIEW),
                "Vantora Contact Management Professional settings", "the component's name")
    version = machine.reg_value(COMPONENT, "Version", view=MACHINE_VIEW)
    check(version is not None and len(version.split(",")) == 4,
          f"the component's version: {version!r}")
    check_equal(machine.reg_value(MARK, "Version", view=SHARED), version,
                "the mark of the account that ran setup")
    check_equal({name: machine.reg_value(MACHINE_COPY, name, view=MACHINE_VIEW)
                 for name in SETTINGS}, recorded, "the machine-wide copy")

    # A new user: none of the values, and the component never ran for them.
    machine.reg_delete(STARTUP, view=SHARED)
    machine.reg_delete(MARK, view=SHARED)
    check_equal(own_settings(machine), dict.fromkeys(SETTINGS), "a new user's settings")
    run_stub_path(machine, stub_path)
    check_equal(own_settings(machine), recorded, "the new user's settings after the StubPath ran")

    run = silent(machine, exe, "S", "REMOVE", "DB")
    check_quiet_success(run, "S REMOVE DB")
    settled(machine, lambda c: updater_calls(c), "the updater service was not stopped")
    check(not machine.key_exists(COMPONENT, view=MACHINE_VIEW),
          "the component is still there after S REMOVE DB")
    check(not machine.key_exists(MACHINE_COPY, view=MACHINE_VIEW),
          "the machine-wide copy is still there after S REMOVE DB")
    check_equal(own_settings(machine), recorded, "the user's own settings after the removal")


@wine_test
def another_account_keeps_the_database_folder_the_machine_was_set_up_with(machine):
    exe = machine.ship()
    chosen = "C:\\Shared Data\\Vantora Data\\MainDB\\"
    # The first account installed the database in a folder of its choice.
    machine.reg_add(STARTUP, "DBPath", chosen, view=SHARED)
    install_both(machine, exe)
    check(machine.path(chosen + "vtr3db package.txt").is_file(),
          "the database is not in the chosen folder")

    # Another account, whose own store is empty, sets the machine up again.
    machine.reg_delete(STARTUP, view=SHARED)
    check_quiet_success(silent(machine, exe, "S", "DB"), "S DB by another account")
    check_equal(machine.reg_value(STARTUP, "DBPath", view=SHARED), chosen,
                "DBPath recorded by the other account's run")
    check(not machine.path("C:\\ProgramData\\Vantora Data\\MainDB").exists(),
          "the other account's run installed a database in the standard folder")
