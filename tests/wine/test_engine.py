"""The install engine on a real (Wine) Windows, through silent runs of the shipped program:
what Windows Installer was asked to do (the exact msiexec command lines, recorded by the
stand-in in front of Wine's msiexec), what the updater service and regsvr32 were started with
(recorded by the stubs in the system folder), what ends up installed, and the exit code a
deployment tool reads."""

import re
import shutil
import time

from harness import CACHE, CR, SHARED, SHIP, SYSTEM, check, check_equal, wine_test
from test_packages import DB_FILES
from test_startup import DB_CODE, PROGRAM_CODE, STARTUP, UPDATE_DB_CODE

PROGRAM_FOLDER = "C:\\Program Files (x86)\\Vantora Contact Management"
DATA_FOLDER = "C:\\ProgramData\\Vantora Data"
# The database package lays out "Vantora Data" under its TARGETDIR.
DATA_TARGET = "C:\\ProgramData"
TEMPLATES = DATA_FOLDER + "\\Documents\\Templates"

# What hides Windows Installer's own entry of a package that setup shows an entry of its own for.
HIDDEN = "ARPSYSTEMCOMPONENT=1"

INSTALLED = 5
UNKNOWN = -1

EXIT_SUCCESS = 0
EXIT_CANCELLED = 1602
EXIT_FAILED = 1603
EXIT_RESTART = 3010


# --- Reading the call log ---

def msiexec_starts(calls):
    return [c for c in calls if c.get("program") == "msiexec.exe" and c.get("event") == "start"]


def msiexec_ends(calls):
    return [c for c in calls if c.get("program") == "msiexec.exe" and c.get("event") == "end"]


def msiexec_lines(calls):
    return [c["command_line"] for c in msiexec_starts(calls)]


def updater_calls(calls):
    return [c for c in calls if c.get("program", "").lower() == "wodupdsv.exe"]


def registrations(calls):
    """(component, entry point) for each regsvr32 call that reached a component."""
    return [(c["component"], c["entry"]) for c in calls if "component" in c]


def component_call(calls, component, entry):
    for c in calls:
        if c.get("component") == component and c.get("entry") == entry:
            return c
    return None


def install_line(package, target, source=CACHE):
    return (f'msiexec.exe /I "{source}\\{package}" ALLUSERS=2 TARGETDIR="{target}" '
            f'{HIDDEN} /qn')


def program_line(program, arguments):
    """A command line of a program in the system folder, as the setup program builds it:
    its full path in quotes, then its arguments."""
    return f'"{SYSTEM}\\{program}" {arguments}'


def check_msiexec_from_system_folder(calls):
    """Every Windows Installer run went to the system folder's msiexec, run from there, and
    each start has its end."""
    for start in msiexec_starts(calls):
        check_equal((start["path"], start["folder"]), (SYSTEM + "\\msiexec.exe", SYSTEM),
                    f"program and working folder of {start['command_line']!r}")
    check_equal(len(msiexec_ends(calls)), len(msiexec_starts(calls)),
                "Windows Installer runs that ended")


def check_updater(calls, arguments):
    """The updater service was started with these arguments, in this order: "-u" before the
    first Windows Installer run and "-i" after the last one."""
    updater = sorted(updater_calls(calls), key=lambda c: c["created"])
    check_equal([(c["command_line"], c["folder"]) for c in updater],
                [(program_line("wodUpdSv.exe", a), SYSTEM) for a in arguments],
                "calls of the updater service")
    starts = msiexec_starts(calls)
    check(starts, "no Windows Installer run")
    check(updater[0]["created"] < starts[0]["created"],
          "the updater service was not stopped before the first Windows Installer run")
    if len(updater) > 1:
        check(updater[-1]["created"] > starts[-1]["created"],
              "the updater service was started again before the last Windows Installer run")


# --- Running ---

def settled(machine, done, what, quiet=2.0):
    """The call log once `done` holds and nothing more was written for a while: the setup
    program waits for every child, but a stub's line may still be on its way."""
    calls = machine.wait_for_calls(done, what)
    while True:
        time.sleep(quiet)
        again = machine.calls()
        if again == calls:
            return calls
        calls = again


def silent(machine, exe, *words, answers=()):
    run = machine.drive(exe, args=words, answers=answers)
    run.check_finished()
    return run


def check_quiet_success(run, what, exit_code=EXIT_SUCCESS):
    check_equal(run.boxes, [], f"boxes of {what}")
    check_equal(run.exit_code, exit_code, f"exit code of {what}")


def failure_box(code, package):
    return {"title": "VTR Setup", "icon": "critical", "buttons": ["OK"],
            "text": ("Windows Installer did not complete the installation (error " + str(code)
                     + "):" + CR + CACHE + "\\" + package + CR)}


def box_essentials(box):
    return {key: box[key] for key in ("title", "icon", "buttons", "text")}


def install_both(machine, exe):
    """A silent install of program and database, waited for to its last step."""
    check_quiet_success(silent(machine, exe, "S", "DB"), "S DB")
    settled(machine, lambda c: ("mscomm32.ocx", "DllRegisterServer") in registrations(c),
            "the serial control was not registered")


def check_both_installed(machine):
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states")


def program_stamp(machine):
    return machine.path(PROGRAM_FOLDER + "\\vtr3 package.txt").read_text(encoding="ascii").strip()


def missing_files(machine, folder, files):
    return [f for f in files if not machine.path(folder + "\\" + f).is_file()]


# --- Tests ---

@wine_test
def silent_install_puts_program_and_database_in_place(machine):
    exe = machine.ship()
    run = silent(machine, exe, "S", "DB")
    check_quiet_success(run, "S DB")
    calls = settled(machine, lambda c: registrations(c), "nothing was registered")

    check_equal(msiexec_lines(calls),
                [install_line("vtr3p.msi", PROGRAM_FOLDER),
                 install_line("vtr3db.msi", DATA_TARGET)],
                "Windows Installer command lines")
    check_msiexec_from_system_folder(calls)
    check_equal([c["exit"] for c in msiexec_ends(calls)], [0, 0], "Windows Installer exit codes")
    # A new install leaves the updater service alone and registers only the serial control
    # (no Outlook interface without OL).
    check_equal(updater_calls(calls), [], "calls of the updater service")
    check_equal(registrations(calls), [("mscomm32.ocx", "DllRegisterServer")], "registrations")
    serial = component_call(calls, "mscomm32.ocx", "DllRegisterServer")
    check_equal((serial["command_line"], serial["folder"]),
                (program_line("regsvr32.exe", f'/s "{SYSTEM}\\mscomm32.ocx"'), SYSTEM),
                "regsvr32 command line and folder for the serial control")

    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states")
    check_equal(program_stamp(machine), "vtr3p 3.3.0", "the program package's files")
    check(machine.path(PROGRAM_FOLDER + "\\vtr3.exe").is_file(), "vtr3.exe is missing")
    check_equal(missing_files(machine, DATA_FOLDER, DB_FILES), [], "database files missing")
    check_equal({name: machine.reg_value(STARTUP, name, view=SHARED)
                 for name in ("DBPath", "EmailForm", "Ver", "AppPath")},
                {"DBPath": DATA_FOLDER + "\\MainDB\\", "EmailForm": "13", "Ver": "3.3.0",
                 "AppPath": None},
                "settings after the install")


@wine_test
def started_from_a_drive_root_it_finds_its_packages_and_installs(machine):
    """A CD, a USB stick or a mapped network drive: SetupVTR.exe at the root of E:."""
    root = machine.map_drive("E", machine.folder / "media")
    exe = machine.ship(folder=root)
    check_quiet_success(silent(machine, exe, "S", "DB"), "S DB from the root of E:")
    calls = settled(machine, lambda c: registrations(c), "nothing was registered")
    check_equal(msiexec_lines(calls),
                [install_line("vtr3p.msi", PROGRAM_FOLDER),
                 install_line("vtr3db.msi", DATA_TARGET)],
                "Windows Installer command lines")
    check_both_installed(machine)


@wine_test
def removal_is_refused_when_windows_installer_cannot_be_asked(machine):
    exe = machine.ship()
    install_both(machine, exe)
    machine.clear_calls()
    # Without its class registration the installer object cannot be made; msiexec still works.
    for view in ("/reg:32", "/reg:64"):
        machine.wine("reg", "delete", "HKCR\\WindowsInstaller.Installer", "/f", view)

    run = silent(machine, exe, "S", "REMOVE", answers=["OK"])
    check_equal([box_essentials(b) for b in run.boxes],
                [{"title": "VTR Setup", "icon": "critical", "buttons": ["OK"],
                  "text": "Unable to ask Windows Installer which products are installed." + CR
                  + "ActiveX component can't create object (429)"}],
                "boxes of S REMOVE")
    check_equal(run.exit_code, EXIT_FAILED, "exit code of S REMOVE")
    time.sleep(3)  # an updater or regsvr32 started by mistake would have written by now
    check_equal(machine.calls(), [], "programs started by a refused removal")
    check(machine.path(PROGRAM_FOLDER + "\\vtr3.exe").is_file(), "vtr3.exe was removed")
    check_equal(machine.reg_value(STARTUP, "Ver", view=SHARED), "3.3.0", "the stored version")


@wine_test
def silent_repair_reinstalls_both_packages(machine):
    exe = machine.ship()
    install_both(machine, exe)
    # What a repair is for: files that went missing come back.
    lost = [PROGRAM_FOLDER + "\\vtr3.exe", DATA_FOLDER + "\\MainDB\\Vantora Contacts.vdb",
            TEMPLATES + "\\Labels\\Address Labels (8160).lbl"]
    for path in lost:
        machine.path(path).unlink()
    machine.clear_calls()

    run = silent(machine, exe, "S", "REPAIR", "DB")
    check_quiet_success(run, "S REPAIR DB")
    calls = settled(machine, lambda c: len(updater_calls(c)) == 2 and registrations(c),
                    "the updater service was not stopped and started, or nothing registered")

    program = f'"{CACHE}\\vtr3p.msi" TARGETDIR="{PROGRAM_FOLDER}" {HIDDEN} /qn'
    database = f'"{CACHE}\\vtr3db.msi" TARGETDIR="{DATA_TARGET}" {HIDDEN} /qn'
    check_equal(msiexec_lines(calls),
                ["msiexec.exe /famus " + program, "msiexec.exe /famu " + database],
                "Windows Installer command lines")
    # Wine's msiexec has no repair; the stand-in hands it the install Windows performs for it.
    check_equal([c["passed_on"] for c in msiexec_starts(calls)],
                ["/i " + program + " REINSTALL=ALL REINSTALLMODE=amus",
                 "/i " + database + " REINSTALL=ALL REINSTALLMODE=amu"],
                "what Wine's msiexec was given")
    check_msiexec_from_system_folder(calls)
    check_equal([c["exit"] for c in msiexec_ends(calls)], [0, 0], "Windows Installer exit codes")
    check_updater(calls, ["-u", "-i"])
    check_equal(registrations(calls), [("mscomm32.ocx", "DllRegisterServer")], "registrations")

    check_equal([p for p in lost if not machine.path(p).is_file()], [],
                "files still missing after the repair")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states")


@wine_test
def update_copy_updates_with_the_update_packages(machine):
    setup = machine.ship()
    update = machine.ship(exe_name="UpdateVTR.exe", packages=False)
    install_both(machine, setup)
    machine.clear_calls()

    run = silent(machine, update, "S", "DB")
    calls = settled(machine, lambda c: len(updater_calls(c)) == 2,
                    "the updater service was not stopped and started")
    # The installed program is reinstalled from its newer update package ("v" re-caches it);
    # the database update is a product of its own, installed beside the full one.
    lines = msiexec_lines(calls)
    check_equal(len(lines), 2, f"Windows Installer runs: {lines}")
    check_equal(lines[0], f'msiexec.exe /fvamus "{CACHE}\\vtr3p_update.msi" '
                f'TARGETDIR="{PROGRAM_FOLDER}" {HIDDEN} /qn',
                "the program's reinstall from its update package")
    check_equal(lines[1], install_line("vtr3db_update.msi", DATA_TARGET),
                "Windows Installer command line of the database update")
    check_msiexec_from_system_folder(calls)
    check_updater(calls, ["-u", "-i"])

    check_equal([box_essentials(b) for b in run.boxes], [], "boxes of the update")
    check_equal(run.exit_code, EXIT_SUCCESS, "exit code of the update")
    check_equal(machine.product_states(PROGRAM_CODE, UPDATE_DB_CODE),
                {PROGRAM_CODE: INSTALLED, UPDATE_DB_CODE: INSTALLED}, "product states")
    check_equal(program_stamp(machine), "vtr3p_update 3.3.1", "the program's files")
    stamp = machine.path(DATA_FOLDER + "\\MainDB\\vtr3db package.txt")
    check_equal(stamp.read_text(encoding="ascii").strip(), "vtr3db_update 3.3.1",
                "the database's files")


@wine_test
def silent_remove_takes_both_away_and_unregisters_the_email_interface(machine):
    exe = machine.ship()
    install_both(machine, exe)
    machine.clear_calls()

    run = silent(machine, exe, "S", "REMOVE", "DB")
    check_quiet_success(run, "S REMOVE DB")
    calls = settled(machine, lambda c: updater_calls(c) and registrations(c),
                    "the updater service was not stopped, or the e-mail interface not "
                    "unregistered")

    check_equal(msiexec_lines(calls),
                [f'msiexec.exe /x "{CACHE}\\vtr3p.msi" REMOVE=ALL TARGETDIR="{PROGRAM_FOLDER}" /qn',
                 f'msiexec.exe /x "{CACHE}\\vtr3db.msi" REMOVE=ALL REINSTALLMODE=aums '
                 f'TARGETDIR="{DATA_TARGET}" /qn'],
                "Windows Installer command lines")
    check_msiexec_from_system_folder(calls)
    check_equal([c["exit"] for c in msiexec_ends(calls)], [0, 0], "Windows Installer exit codes")
    # A removal only stops the service, and registers nothing.
    check_updater(calls, ["-u"])
    check_equal(registrations(calls), [("vtremail.dll", "DllUnregisterServer")], "registrations")
    email = component_call(calls, "vtremail.dll", "DllUnregisterServer")
    check_equal((email["command_line"], email["folder"]),
                (program_line("regsvr32.exe", f'/s /u "{SYSTEM}\\vtremail.dll"'), SYSTEM),
                "regsvr32 command line and folder for the e-mail interface")

    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states after the removal")
    check(not machine.path(PROGRAM_FOLDER + "\\vtr3.exe").exists(), "vtr3.exe is still there")
    check_equal(len(missing_files(machine, DATA_FOLDER, DB_FILES)), len(DB_FILES),
                "database files left after the removal")

    # Removing what is no longer installed runs no package at all.
    machine.clear_calls()
    run = silent(machine, exe, "S", "REMOVE", "DB")
    check_quiet_success(run, "a second S REMOVE DB")
    calls = settled(machine, lambda c: updater_calls(c), "the updater service was not stopped")
    check_equal(msiexec_lines(calls), [], "Windows Installer runs of a second removal")


def remove_after_an_update(machine, exe_name):
    """Installs both packages, updates them with the updater copy, then runs `S REMOVE DB`
    with the named copy; returns the Windows Installer command lines of the removal, once
    every product of the edition is checked gone."""
    setup = machine.ship()
    update = machine.ship(exe_name="UpdateVTR.exe", packages=False)
    install_both(machine, setup)
    check_quiet_success(silent(machine, update, "S", "DB"), "the update")
    settled(machine, lambda c: len(updater_calls(c)) == 2 and registrations(c),
            "the update did not start the updater service again and register the serial control")
    machine.clear_calls()

    run = silent(machine, setup if exe_name == "SetupVTR.exe" else update, "S", "REMOVE", "DB")
    check_quiet_success(run, f"{exe_name} S REMOVE DB after the update")
    calls = settled(machine,
                    lambda c: ("vtremail.dll", "DllUnregisterServer") in registrations(c),
                    "the e-mail interface was not unregistered")
    check_msiexec_from_system_folder(calls)
    check_equal([c["exit"] for c in msiexec_ends(calls)], [0, 0, 0],
                "Windows Installer exit codes")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE, UPDATE_DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN, UPDATE_DB_CODE: UNKNOWN},
                "product states after the removal")
    check(not machine.path(PROGRAM_FOLDER + "\\vtr3.exe").exists(), "vtr3.exe is still there")
    check_equal(len(missing_files(machine, DATA_FOLDER, DB_FILES)), len(DB_FILES),
                "database files left after the removal")
    return msiexec_lines(calls)


# After an update the program is installed from its newer package, and the update database
# beside the full one: a removal takes all three away, naming a package file only where it is
# the very package installed and the installed product's code otherwise.
PROGRAM_REMOVAL = f'REMOVE=ALL TARGETDIR="{PROGRAM_FOLDER}" /qn'
DATABASE_REMOVAL = f'REMOVE=ALL REINSTALLMODE=aums TARGETDIR="{DATA_TARGET}" /qn'


@wine_test
def removal_after_an_update_from_the_original_media_takes_every_package_away(machine):
    check_equal(remove_after_an_update(machine, "SetupVTR.exe"),
                [f"msiexec.exe /x {PROGRAM_CODE} {PROGRAM_REMOVAL}",
                 f'msiexec.exe /x "{CACHE}\\vtr3db.msi" {DATABASE_REMOVAL}',
                 f"msiexec.exe /x {UPDATE_DB_CODE} {DATABASE_REMOVAL}"],
                "Windows Installer command lines")


@wine_test
def removal_after_an_update_by_the_updater_copy_takes_every_package_away(machine):
    check_equal(remove_after_an_update(machine, "UpdateVTR.exe"),
                [f'msiexec.exe /x "{CACHE}\\vtr3p_update.msi" {PROGRAM_REMOVAL}',
                 f'msiexec.exe /x "{CACHE}\\vtr3db_update.msi" {DATABASE_REMOVAL}',
                 f"msiexec.exe /x {DB_CODE} {DATABASE_REMOVAL}"],
                "Windows Installer command lines")


@wine_test
def upgrade_from_30_data_moves_old_templates_aside_before_the_database_runs(machine):
    exe = machine.ship()
    machine.reg_add(STARTUP, "Ver", "3.0.2", view=SHARED)
    old = {
        "Envelopes\\Standard Envelope.env": "3.0 standard envelope",
        "Envelopes\\Business.env": "3.0 business envelope",
        "Envelopes\\rev30_Window Envelope.env": "moved by an earlier upgrade",
        "Labels\\Address Labels (8160).lbl": "3.0 labels",
        "Reports\\Phone List by Contact.rpt": "3.0 phone list",
        "Reports\\My Own Report.rpt": "the user's own report",
    }
    for name, text in old.items():
        path = machine.path(TEMPLATES + "\\" + name)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text, encoding="ascii")
    machine.watch(TEMPLATES)

    run = silent(machine, exe, "S", "DB")
    check_quiet_success(run, "S DB over 3.0 data")
    calls = settled(machine, lambda c: registrations(c), "nothing was registered")
    starts = msiexec_starts(calls)
    check_equal(len(starts), 2, "Windows Installer runs")

    def listed(start):
        prefix = TEMPLATES + "\\"
        return sorted(p[len(prefix):] for p in start["present"] if p.startswith(prefix))

    # Nothing is moved before the program package; everything the new database replaces is
    # moved before the database package, in its own folder; the rest stays as it is.
    check_equal(listed(starts[0]), sorted(old), "template files when the program package ran")
    moved = sorted([
        "Envelopes\\rev30_Standard Envelope.env",
        "Envelopes\\rev30_Business.env",
        "Envelopes\\rev30_Window Envelope.env",
        "Labels\\rev30_Address Labels (8160).lbl",
        "Reports\\rev30_Phone List by Contact.rpt",
        "Reports\\My Own Report.rpt",
    ])
    check_equal(listed(starts[1]), moved, "template files when the database package ran")
    check_equal(starts[1]["command_line"], install_line("vtr3db.msi", DATA_TARGET),
                "database command line")

    # The moved files keep what the user had; the package put its own beside them.
    for name, text in (("Envelopes\\rev30_Standard Envelope.env", "3.0 standard envelope"),
                       ("Labels\\rev30_Address Labels (8160).lbl", "3.0 labels"),
                       ("Reports\\rev30_Phone List by Contact.rpt", "3.0 phone list")):
        check_equal(machine.path(TEMPLATES + "\\" + name).read_text(encoding="ascii"), text,
                    f"content of {name}")
    check_equal(missing_files(machine, DATA_FOLDER, DB_FILES), [], "database files missing")
    check_equal(machine.reg_value(STARTUP, "Ver", view=SHARED), "3.3.0",
                "version after the upgrade")


@wine_test
def missing_package_is_named_and_ends_the_run(machine):
    exe = machine.ship(omit=("vtr3db.msi",))

    def missing_text(package):
        return ("SYS_Install: Unable to open installation package: " + CR + SHIP + "\\" + package
                + CR + CR + "NOTE: The installation file must be in the same directory as this "
                "setup program (SetupVTR)." + CR)

    # Both packages are looked for before anything starts: nothing is installed only to be
    # taken back again.
    run = silent(machine, exe, "S", "DB", answers=["OK"])
    check_equal([box_essentials(b) for b in run.boxes],
                [{"title": "VTR Setup", "icon": "critical", "buttons": ["OK"],
                  "text": missing_text("vtr3db.msi")}], "boxes with the database package missing")
    check_equal(run.exit_code, EXIT_FAILED, "exit code with the database package missing")
    check_equal(msiexec_lines(machine.calls()), [],
                "Windows Installer runs with the database package missing")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states")

    # Without the program package nothing runs at all.
    machine.path(SHIP + "\\vtr3p.msi").unlink()
    machine.clear_calls()
    run = silent(machine, exe, "S", "DB", answers=["OK"])
    check_equal([b["text"] for b in run.boxes], [missing_text("vtr3p.msi")],
                "boxes with both packages missing")
    check_equal(run.exit_code, EXIT_FAILED, "exit code with both packages missing")
    check_equal(msiexec_lines(machine.calls()), [],
                "Windows Installer runs with both packages missing")


@wine_test
def a_developer_build_refuses_a_package_of_another_product(machine):
    exe = machine.ship()
    # The database package under the program package's name: only its product code tells.
    shutil.copyfile(machine.path(SHIP + "\\vtr3db.msi"), machine.path(SHIP + "\\vtr3p.msi"))
    run = silent(machine, exe, "S", "DB", "LOG", answers=["OK"])
    check_equal([b["text"] for b in run.boxes],
                ["The installation package is damaged or is not the one this setup was made for:"
                 + CR + SHIP + "\\vtr3p.msi" + CR
                 + "Copy the setup files again from the original media."], "boxes of the run")
    check_equal(run.exit_code, EXIT_FAILED, "exit code")
    check_equal(msiexec_lines(machine.calls()), [], "Windows Installer runs")
    logs = machine.setup_logs()
    check(len(logs) == 1 and "the digests were not checked" in
          logs[0].read_text(encoding="utf-8"),
          "the setup log does not say that the digests were not checked")


# System DLLs that the common controls, the theme, COM, the shell and Windows Installer load by
# name once they are used, planted beside the setup program as anyone may leave them in a
# download folder. Not version.dll: Wine's user32 imports it, so Wine's loader takes it from
# the program's folder before the program runs a single instruction (Windows' user32 does not
# import it).
PLANTED_DLLS = (
    "comctl32.dll", "uxtheme.dll", "dwmapi.dll", "propsys.dll", "cryptbase.dll",
    "cryptsp.dll", "rsaenh.dll", "profapi.dll", "userenv.dll", "sspicli.dll", "ntmarta.dll",
    "msi.dll", "apphelp.dll", "windowscodecs.dll", "textshaping.dll", "edputil.dll",
    "urlmon.dll", "iertutil.dll", "srvcli.dll", "netutils.dll", "wldp.dll", "msimg32.dll",
    "oleacc.dll", "linkinfo.dll", "ntshrui.dll", "cscapi.dll", "dui70.dll", "duser.dll",
    "xmllite.dll", "winmm.dll", "msftedit.dll", "riched20.dll")


# The planted names that the setup program loads itself from the system folder, some at its
# start, the rest before its first window, before the shell is first used, or once the wizard's
# first panel is painted.
PRELOADED_DLLS = tuple(name for name in PLANTED_DLLS
                       if name not in ("comctl32.dll", "winmm.dll", "msftedit.dll", "riched20.dll"))


def planted_dlls_loaded(calls):
    """The planted DLLs that were loaded, and by which program."""
    return [(c["planted"], c["host"]) for c in calls if "planted" in c]


@wine_test
def programs_planted_beside_the_setup_program_are_never_run(machine):
    exe = machine.ship()
    for name in ("msiexec.exe", "regsvr32.exe"):
        machine.plant(name)
    # The planted copies are real bait: a program that looked for msiexec or regsvr32 from
    # this folder would run them.
    script = machine.path(SHIP + "\\search.cmd")
    script.write_text(f'cd /d "{SHIP}"\r\nmsiexec.exe /search\r\nregsvr32.exe /search\r\n',
                      encoding="ascii")
    machine.wine("cmd", "/c", SHIP + "\\search.cmd")
    check_equal(sorted(c.get("path") for c in machine.calls()),
                [SHIP + "\\msiexec.exe", SHIP + "\\regsvr32.exe"],
                "programs a search from the setup folder runs")
    script.unlink()
    machine.clear_calls()

    machine.plant_dlls(PLANTED_DLLS)
    run = silent(machine, exe, "S", "DB", "OL")
    check_quiet_success(run, "S DB OL")
    calls = settled(machine, lambda c: len(registrations(c)) == 2,
                    "the serial control and the e-mail interface were not both registered")
    check_equal(planted_dlls_loaded(calls), [], "planted DLLs loaded, and by which program")
    planted = [c for c in calls if c.get("path", "").startswith(SHIP + "\\")]
    check_equal(planted, [], "planted programs that ran")
    check_equal(len(msiexec_starts(calls)), 2, "Windows Installer runs")
    check_msiexec_from_system_folder(calls)
    check_equal(sorted(registrations(calls)),
                [("mscomm32.ocx", "DllRegisterServer"), ("vtremail.dll", "DllRegisterServer")],
                "registrations")
    for c in calls:
        if "component" in c:
            check(c["command_line"].startswith(f'"{SYSTEM}\\regsvr32.exe" '),
                  f"{c['component']} was registered by {c['command_line']!r}")
    # The Professional edition with the Outlook interface registered uses e-mail form 12.
    check_equal(machine.reg_value(STARTUP, "EmailForm", view=SHARED), "12", "EmailForm")


def settings(machine):
    return {name: machine.reg_value(STARTUP, name, view=SHARED)
            for name in ("DBPath", "EmailForm", "Ver")}


NO_SETTINGS = {"DBPath": None, "EmailForm": None, "Ver": None}


def rollback_in_plan(output, failing):
    """What PLAN's listing says taking back does when the run fails at the package failing: the
    rollback under each step before it, newest first, leaving out steps that change nothing or
    that stay."""
    steps = []
    for line in output:
        if line.startswith("step "):
            steps.append([line, None])
        elif line.startswith(ROLLBACK_LINE) and steps:
            steps[-1][1] = line[len(ROLLBACK_LINE):]
    at = [i for i, (line, _) in enumerate(steps) if "run Windows Installer on " + failing in line]
    check(len(at) == 1 and all(undo for _, undo in steps),
          "PLAN's steps, each with its rollback:\n" + "\n".join(output))
    return [undo for _, undo in reversed(steps[:at[0]])
            if not undo.startswith(("nothing to take back", "it is not taken back"))]


# A rollback the run fills in as it writes (setup's entry in Programs and Features): PLAN lists
# it as one line, the run as what it found, the key removed or each value put back.
FILLED_IN = re.compile(r'^(?:remove|put back) (HKEY_LOCAL_MACHINE\\\S+?)'
                       r'(?: when the run made it|, which was not there before| ")')


def by_key(undos):
    """The rollback lines, those the run fills in as the key they take back, once each."""
    keys = [m.group(1) if (m := FILLED_IN.match(undo)) else undo for undo in undos]
    return [key for i, key in enumerate(keys) if i == 0 or keys[i - 1] != key]


ROLLBACK_LINE = "  if the run fails after this: "
TAKEN_BACK = re.compile(r"^VTR Setup: taking back: (.*): (done|failed|skipped)( \(.*\))?$")


@wine_test
def a_failing_database_package_takes_the_program_back(machine):
    exe = machine.ship(outcome={"vtr3db.msi": "action"})
    plan = machine.drive(exe, args=("S", "DB", "PLAN"), stdout=True)
    plan.check_finished()
    planned = rollback_in_plan((plan.program_stdout or "").splitlines(), "vtr3db.msi")
    run = machine.drive(exe, args=("S", "DB"), answers=["OK"], stderr=True)
    run.check_finished()
    calls = machine.calls()

    # The database package's custom action fails after the program was installed: the failure
    # is reported, nothing after it starts, and the program this run installed is removed.
    database_exit = msiexec_ends(calls)[1]["exit"]
    check(database_exit not in (0, 1641, 3010),
          f"the failing database package ended with {database_exit}")
    check_equal([box_essentials(b) for b in run.boxes], [failure_box(database_exit, "vtr3db.msi")],
                "boxes of the run")
    check_equal(msiexec_lines(calls),
                [install_line("vtr3p.msi", PROGRAM_FOLDER), install_line("vtr3db.msi", DATA_TARGET),
                 f"msiexec.exe /x {PROGRAM_CODE} /qn"],
                "Windows Installer command lines")
    check_equal([c["exit"] for c in msiexec_ends(calls)][2:], [0], "exit code of the removal")
    check_equal(registrations(calls), [], "registrations")
    check_equal(run.exit_code, EXIT_FAILED, "exit code")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states after the run")
    check(not machine.path(PROGRAM_FOLDER + "\\vtr3.exe").exists(), "vtr3.exe is still there")
    check_equal(settings(machine), NO_SETTINGS, "settings after the run")
    stderr = run.program_stderr or ""
    check("taking back: remove vtr3p.msi, which this run installed" in stderr,
          f"standard error does not say what was taken back: {stderr!r}")
    # What the run took back is exactly what PLAN listed for a failure at the database package.
    taken = [m.group(1) for m in map(TAKEN_BACK.match, stderr.splitlines()) if m]
    check_equal(by_key(taken), by_key(planned), "what the run took back, against PLAN's rollback")


@wine_test
def a_busy_windows_installer_ends_the_run_with_1618(machine):
    exe = machine.ship()
    machine.answer_msiexec({"vtr3p.msi": 1618})
    run = silent(machine, exe, "S", "DB", answers=["OK"])
    calls = machine.calls()
    check_equal(msiexec_lines(calls), [install_line("vtr3p.msi", PROGRAM_FOLDER)],
                "Windows Installer runs: the database package never starts")
    check_equal([box_essentials(b) for b in run.boxes], [failure_box(1618, "vtr3p.msi")],
                "boxes of the run")
    check_equal(run.exit_code, 1618, "exit code, for a deployment tool to retry later")
    check_equal(settings(machine), NO_SETTINGS, "settings after the run")


@wine_test
def a_component_that_cannot_be_registered_fails_the_run_and_takes_it_back(machine):
    exe = machine.ship()
    # The e-mail interface's file is missing: regsvr32 cannot load it.
    machine.path(SYSTEM + "\\vtremail.dll").unlink()
    run = silent(machine, exe, "S", "DB", "OL", answers=["OK"])
    calls = machine.calls()

    check_equal(len(run.boxes), 1, "boxes of the run")
    box = box_essentials(run.boxes[0])
    prefix = "Unable to register component:" + CR + SYSTEM + "\\vtremail.dll" + CR
    check(box["text"].startswith(prefix + "regsvr32 ended with ")
          and box["text"][len(prefix) + len("regsvr32 ended with "):] not in ("", "0")
          and (box["icon"], box["buttons"]) == ("critical", ["OK"]),
          f"the registration failure's box: {box}")
    check_equal(registrations(calls), [("mscomm32.ocx", "DllRegisterServer"),
                                       ("mscomm32.ocx", "DllUnregisterServer")],
                "registrations: the serial control registered, then taken back")
    check_equal(msiexec_lines(calls)[2:],
                [f"msiexec.exe /x {DB_CODE} /qn", f"msiexec.exe /x {PROGRAM_CODE} /qn"],
                "Windows Installer runs that take the products back, in reverse order")
    check_equal(run.exit_code, EXIT_FAILED, "exit code")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states after the run")
    check_equal(settings(machine), NO_SETTINGS, "settings after the run")


@wine_test
def exit_codes_for_a_restart_and_a_cancelled_debug_run(machine):
    exe = machine.ship(outcome={"vtr3db.msi": "restart"})
    # A debug run stops at the interface-level prompt for the program package; an empty answer
    # offers to cancel, and Yes ends the run before anything is installed. The products' states
    # are shown once: the engine plans with what start-up found.
    run = machine.drive(exe, args=["S", "DB", "DEBUG"], answers=["OK", "No", "Yes"],
                      inputs=[""])
    run.check_finished()
    level = [b for b in run.boxes if b["box"] == "input"]
    check_equal([(b["prompt"].startswith("Interface level (sUI)"), b["default"]) for b in level],
                [(True, " /qn")], "the interface-level prompt of a silent debug run")
    check_equal((run.boxes[-1]["text"], run.boxes[-1]["icon"]), ("Cancel install?", "exclamation"),
                "the last box of the cancelled run")
    check_equal(run.exit_code, EXIT_CANCELLED, "exit code of a run cancelled at a debug prompt")
    check_equal(msiexec_lines(machine.calls()), [], "Windows Installer runs of a cancelled run")

    # A package that asks for a restart: the run succeeds quietly and says so in its exit code.
    run = silent(machine, exe, "S", "DB")
    check_quiet_success(run, "S DB with a package that asks for a restart", EXIT_RESTART)
    check_equal([c["exit"] for c in msiexec_ends(machine.calls())], [0, EXIT_RESTART],
                "Windows Installer exit codes")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states")
