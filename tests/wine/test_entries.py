"""Setup's own entries in Programs and Features, as an administrator and a deployment tool see
them: after `S DB` one entry for the program and one for the database, Windows Installer's own
entries of the packages hidden, and each entry's QuietUninstallString, started as a deployment
tool starts it, removing its product with everything setup added for it; after the last, no
entry, no cache and (once Windows has restarted) no copy of setup."""

import math
import os
import time

from harness import CACHE, MACHINE_VIEW, TOOLS, VIEW_32, VIEW_64, check, check_equal, wine_test
from test_engine import (DATA_FOLDER, EXIT_SUCCESS, INSTALLED, PROGRAM_FOLDER, UNKNOWN,
                         install_both, registrations, settled, updater_calls)
from test_every_user import COMPONENT, MACHINE_COPY
from test_startup import DB_CODE, PROGRAM_CODE

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAM_ENTRY = UNINSTALL + "Vantora_VTRPRO_3"
DATABASE_ENTRY = PROGRAM_ENTRY + "_Database"
CACHED_SETUP = f'"{CACHE}\\SetupVTR.exe"'
VALUES = ("DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation",
          "InstallDate", "EstimatedSize", "UninstallString", "QuietUninstallString")


def entry(machine, key):
    return {name: machine.reg_value(key, name, view=MACHINE_VIEW) for name in VALUES}


def kilobytes(machine, folder):
    """What the files below a folder take, as an entry's EstimatedSize gives it (REG_DWORD)."""
    total = 0
    for root, _, files in os.walk(machine.path(folder)):
        total += sum(os.path.getsize(os.path.join(root, name)) for name in files)
    return hex(math.ceil(total / 1024))


def expected_entry(name, location, size, target):
    return {"DisplayName": name, "DisplayVersion": "3.3.0", "Publisher": "Vantora",
            "DisplayIcon": PROGRAM_FOLDER + "\\vtr3.exe", "InstallLocation": location,
            "InstallDate": time.strftime("%Y%m%d"), "EstimatedSize": size,
            "UninstallString": CACHED_SETUP,
            "QuietUninstallString": f"{CACHED_SETUP} S REMOVE {target} NORESTART"}


def installer_entries(machine, code):
    """Windows Installer's own entry of a product in each registry view it is in, with its
    SystemComponent value."""
    return {view: machine.reg_value(UNINSTALL + code, "SystemComponent", view=view)
            for view in (VIEW_32, VIEW_64) if machine.key_exists(UNINSTALL + code, view=view)}


def run_as_a_deployment_tool(machine, command_line):
    """Starts the text as the command line of a new process, as Intune, winget or a script do
    (through cmd, from a batch file: Wine would escape the quotes of an argument handed to it
    from Linux), waits for it and returns its exit code."""
    batch = TOOLS + "\\uninstall.cmd"
    machine.path(batch).write_text(f"@{command_line}\r\n@exit /b %errorlevel%\r\n",
                                   encoding="ascii")
    return machine.wine("cmd", "/c", batch, timeout=300).returncode


@wine_test
def setups_entries_show_the_product_and_each_removes_what_setup_added(machine):
    exe = machine.ship()
    install_both(machine, exe)
    program = entry(machine, PROGRAM_ENTRY)
    check_equal(program, expected_entry("Vantora Contact Management", PROGRAM_FOLDER,
                                        kilobytes(machine, PROGRAM_FOLDER), "PROGRAM"),
                "the program's entry")
    check_equal(entry(machine, DATABASE_ENTRY),
                expected_entry("Vantora Contact Management Database", DATA_FOLDER,
                               kilobytes(machine, DATA_FOLDER), "DB"), "the database's entry")
    # 32-bit packages: Windows Installer keeps their entries in the 32-bit view.
    for code in (PROGRAM_CODE, DB_CODE):
        check_equal(installer_entries(machine, code), {VIEW_32: "0x1"},
                    f"Windows Installer's own entry of {code}")

    machine.clear_calls()
    check_equal(run_as_a_deployment_tool(machine, program["QuietUninstallString"]), EXIT_SUCCESS,
                "exit code of the program's QuietUninstallString")
    calls = settled(machine, lambda c: updater_calls(c) and registrations(c),
                    "the updater service was not stopped, or the e-mail interface not "
                    "unregistered")
    check_equal(registrations(calls), [("vtremail.dll", "DllUnregisterServer")], "registrations")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: INSTALLED},
                "product states after the program's removal")
    check(not machine.key_exists(PROGRAM_ENTRY, view=MACHINE_VIEW), "the program's entry stays")
    check(not machine.key_exists(COMPONENT, view=MACHINE_VIEW), "the Active Setup component stays")
    check(not machine.key_exists(MACHINE_COPY, view=MACHINE_VIEW), "the machine-wide copy stays")
    check(machine.key_exists(DATABASE_ENTRY, view=MACHINE_VIEW), "the database's entry went")
    check(machine.path(CACHE + "\\SetupVTR.exe").is_file(), "the database's entry lost its setup")

    database = entry(machine, DATABASE_ENTRY)["QuietUninstallString"]
    check_equal(run_as_a_deployment_tool(machine, database), EXIT_SUCCESS,
                "exit code of the database's QuietUninstallString")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states after the last removal")
    check(not machine.key_exists(DATABASE_ENTRY, view=MACHINE_VIEW), "the database's entry stays")
    check(not machine.path(CACHE).exists(), "the setup cache stays")
    # The cached setup cannot delete itself while it runs: it went aside, to be deleted when
    # Windows next starts.
    vantora = machine.path("C:\\ProgramData\\Vantora")
    check(vantora.exists() and any(vantora.rglob("*.removed")),
          "the running setup was not moved aside for the restart to delete")
    machine.stop()
    machine.wine("wineboot", "-r", timeout=300)
    machine.stop()
    left = [str(p) for p in vantora.rglob("*")] if vantora.exists() else []
    check(not vantora.exists(), f"left after the restart: {vantora} {left}")
