"""SetupVTR.exe as a deployment tool runs it: started where nobody can answer a box (a window
station that is not visible, as for the system account), with the setup log (LOG) on. What an
administrator checks: the run ends by itself with the right exit code, no window appears, the
reason is on standard error and in the setup log, Windows Installer's own logs are there, and
nobody could have made setup write its logs into a file or through a link of their own."""

import os
import re
import shutil
import time

from harness import CACHE, OWN_LOG_FOLDER, SHARED, SHIP, check, check_equal, wine_test
from test_engine import (DATA_TARGET, HIDDEN, EXIT_FAILED, EXIT_SUCCESS, PROGRAM_FOLDER, UNKNOWN,
                         msiexec_ends, msiexec_lines, settled)
from test_startup import DB_CODE, PROGRAM_CODE, STARTUP

LOG_FOLDER = "C:\\Setup Logs\\Vantora CM"  # neither it nor the folder above it is there yet
RUN_ID = re.compile(r"\[([A-Za-z0-9_-]+-\d{8}-\d{6}-(\d+))\] ")  # computer, time, process
MISSING_PACKAGE = "SYS_Install: Unable to open installation package: | " + SHIP + "\\vtr3p.msi"
UNATTENDED = "=> OK (unattended: no person can answer)"


def file_lines(path):
    """The lines of one run's setup log without the run id each begins with, and that run id:
    every line of the file is named by the same run."""
    lines = path.read_text(encoding="utf-8").splitlines()
    ids = {match.group(1) if (match := RUN_ID.match(line)) else None for line in lines}
    check(len(ids) == 1 and None not in ids, f"the log's lines do not all name one run: {lines}")
    return [RUN_ID.sub("", line, count=1) for line in lines], ids.pop()


def log_lines(machine, folder=OWN_LOG_FOLDER, name="VTR Setup {run_id}.log", besides=()):
    """The lines of the only setup log in the folder (besides the files named) and its run id,
    which the file's name carries too."""
    logs = [path for path in machine.setup_logs(folder) if path not in besides]
    check(len(logs) == 1, f"setup logs in {folder}: {[path.name for path in logs]}")
    lines, run_id = file_lines(logs[0])
    check_equal(logs[0].name, name.format(run_id=run_id), "the setup log's name")
    return lines, run_id


@wine_test
def unattended_run_with_a_missing_package_ends_by_itself(machine):
    exe = machine.ship(omit=("vtr3p.msi",))
    run = machine.drive(exe, args=("S", "DB", "LOG"), invisible_station=True, stderr=True,
                        timeout=60)
    run.check_finished()
    check_equal(run.exit_code, EXIT_FAILED, "exit code")
    check_equal(run.windows + run.boxes, [], "windows and boxes the program showed")
    check_equal(msiexec_lines(machine.calls()), [], "Windows Installer runs")

    stderr = run.program_stderr or ""
    check(MISSING_PACKAGE in stderr and UNATTENDED in stderr,
          f"standard error does not name the missing package and its answer: {stderr!r}")
    lines, _ = log_lines(machine)
    check(lines[0].startswith("==== VTR Setup 1.6.0, "), f"the log's header: {lines[:1]}")
    check("command line: S DB LOG" in lines, f"the log's command line: {lines[:6]}")
    box = [line for line in lines if line.startswith("message box ")]
    check(len(box) == 1 and MISSING_PACKAGE in box[0] and box[0].endswith(UNATTENDED),
          f"the log's box lines: {box}")
    check_equal(lines[-2], "exit code: 1603 (the run failed)", "the log's exit line")


@wine_test
def logged_install_keeps_the_setup_log_and_windows_installer_logs(machine):
    exe = machine.ship()
    command_line = f'S DB LOG="{LOG_FOLDER}"'
    run = machine.drive(exe, cmdline=command_line)
    run.check_finished()
    check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS), "boxes and exit code")
    calls = settled(machine, lambda c: len(msiexec_ends(c)) == 2, "Windows Installer did not end")

    folder = machine.path(LOG_FOLDER)
    lines, run_id = log_lines(machine, LOG_FOLDER)
    check(not machine.setup_logs(), f"a setup log was written to {OWN_LOG_FOLDER} too")
    check(lines[0].startswith("==== VTR Setup 1.6.0, ") and lines[0].endswith(f"run {run_id} ===="),
          f"the log's header: {lines[:1]}")
    header = lines[:8]
    check(any(line.startswith("account: ") and line != "account: " for line in header),
          f"the log's header names no account: {header}")
    computer, _, _, process = run_id.rsplit("-", 3)
    for line in (f"computer: {computer}", f"process id: {process}",
                 f"command line: {command_line}"):
        check(line in header, f"the log's header has no line {line!r}: {header}")

    expected = []
    for package, target in (("vtr3p.msi", PROGRAM_FOLDER), ("vtr3db.msi", DATA_TARGET)):
        log_name = f"VTR Setup {run_id} {package}.log"
        expected.append(f'msiexec.exe /I "{CACHE}\\{package}" ALLUSERS=2 TARGETDIR="{target}" '
                        f'{HIDDEN} /qn'
                        f' /l*v "{LOG_FOLDER}\\{log_name}"')
        check((folder / log_name).is_file(), f"Windows Installer wrote no log for {package}")
    check_equal(msiexec_lines(calls), expected, "Windows Installer command lines")

    for command in expected:
        check(any(line.startswith("process ") and command in line and
                  line.endswith("=> started") for line in lines),
              f"the setup log does not name {command!r}:\n" + "\n".join(lines))
    check_equal([line for line in lines if line.startswith("exit code of msiexec.exe")],
                ["exit code of msiexec.exe: 0 (success)"] * 2, "msiexec exit codes in the log")
    check_equal(lines[-2], "exit code: 0 (success)", "the log's exit line")


@wine_test
def plan_shows_the_runs_command_lines_and_carries_out_nothing(machine):
    exe = machine.ship()
    plan = machine.drive(exe, args=("S", "DB", "PLAN"), stdout=True)
    plan.check_finished()
    check_equal((plan.boxes, plan.exit_code), ([], EXIT_SUCCESS), "boxes and exit code of PLAN")
    output = (plan.program_stdout or "").splitlines()
    check(output and output[0].startswith("VTR Setup plan"), f"the plan printed: {output}")
    check_equal(output[-1], "exit code: 0 (when every step succeeds)", "the plan's last line")
    planned = [line.split(": msiexec.exe ", 1)[1].rsplit(" in \"", 1)[0]
               for line in output
               if line.startswith("step ") and ": process " in line and "msiexec.exe" in line]
    check_equal(len(planned), 2, f"msiexec runs in the plan:\n" + "\n".join(output))
    time.sleep(1)
    check_equal(msiexec_lines(machine.calls()), [], "Windows Installer runs of PLAN")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states after PLAN")
    check_equal(machine.reg_value(STARTUP, "DBPath", view=SHARED), None, "DBPath after PLAN")
    check(not machine.path(CACHE).exists(), "PLAN made the setup cache")

    run = machine.drive(exe, args=("S", "DB"))
    run.check_finished()
    check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS), "boxes and exit code of the run")
    calls = settled(machine, lambda c: len(msiexec_ends(c)) == 2, "Windows Installer did not end")
    check_equal(msiexec_lines(calls), ["msiexec.exe " + line for line in planned],
                "the command lines the run started, against the plan")


# Where a planted link points: no file may appear there.
LINK_TARGET = "C:\\vtrtest\\made through a link.log"
PLANTED = b"planted before the run\r\n"


@wine_test
def files_and_links_planted_at_the_logs_names_are_never_written_or_followed(machine):
    """Somebody who can write to the log folder knows the names this run's logs will have (the
    run id is the computer, the time and the process) and puts a file or a dangling link there
    first: setup leaves both alone, the setup log takes the next free name, and Windows
    Installer, which opens its log by name, writes into setup's own folder instead."""
    exe = machine.ship()
    computer = re.sub(r"[^A-Za-z0-9_-]", "_",
                      machine.wine("cmd", "/c", "echo %COMPUTERNAME%").stdout.decode().strip())
    folder = machine.path(LOG_FOLDER)
    folder.mkdir(parents=True)  # an existing folder of the administrator's choosing
    target = machine.path(LINK_TARGET)
    planted = []

    def plant(process_id):
        # Every second the run may start in: setup reads the clock once it runs.
        now = time.time()
        for second in range(-2, 20):
            stamp = time.strftime("%Y%m%d-%H%M%S", time.localtime(now + second))
            run_id = f"{computer}-{stamp}-{process_id}"
            setup_log = folder / f"VTR Setup {run_id}.log"
            setup_log.write_bytes(PLANTED)
            planted.append(setup_log)
            os.symlink(target, folder / f"VTR Setup {run_id} vtr3p.msi.log")

    run = machine.drive(exe, cmdline=f'S LOG="{LOG_FOLDER}"', stderr=True, before_start=plant)
    run.check_finished()
    check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS), "boxes and exit code")
    calls = settled(machine, lambda c: len(msiexec_ends(c)) == 1, "Windows Installer did not end")
    check(not os.path.lexists(target), "a file was made through a link planted at a log's name")
    check_equal([path.read_bytes() for path in planted], [PLANTED] * len(planted),
                "the files planted at the setup log's names")

    lines, run_id = log_lines(machine, LOG_FOLDER, "VTR Setup {run_id} (2).log", planted)
    moved = (f"something is already at {LOG_FOLDER}\\VTR Setup {run_id}.log (setup does not "
             f"write, read or follow it): the setup log is {LOG_FOLDER}\\VTR Setup {run_id} "
             "(2).log")
    check_equal((run.program_stderr or "").splitlines(), ["VTR Setup: " + moved],
                "standard error")
    elsewhere = (f"Windows Installer's logs go to {OWN_LOG_FOLDER}, not to {LOG_FOLDER}: Windows "
                 "Installer opens its log by its name, so setup hands it only a folder that no "
                 "ordinary user can change")
    check(moved in lines and elsewhere in lines,
          "the setup log does not say where the logs went:\n" + "\n".join(lines))
    installer_log = f"{OWN_LOG_FOLDER}\\VTR Setup {run_id} vtr3p.msi.log"
    check_equal(msiexec_lines(calls), [f'msiexec.exe /I "{CACHE}\\vtr3p.msi" ALLUSERS=2 '
                                       f'TARGETDIR="{PROGRAM_FOLDER}" {HIDDEN} /qn /l*v '
                                       f'"{installer_log}"'],
                "Windows Installer command line")
    check(machine.path(installer_log).stat().st_size > 0, "Windows Installer wrote no log")


LOG_FILE = "C:\\Logs\\vtr.log"  # C:\Logs is not there yet


@wine_test
def a_log_file_named_on_the_command_line_is_that_file_and_a_later_run_writes_beside_it(machine):
    """Deployment tools pass a log file: S DB LOG="C:\\Logs\\vtr.log" writes the setup log into
    that file, in a folder setup makes so that only administrators can change it, with Windows
    Installer's logs beside it. The removal with the same LOG finds the file there: it leaves it
    as it is and writes beside it under its run id, and since the folder was there before that
    run, Windows Installer's logs go to setup's own folder."""
    exe = machine.ship()
    run = machine.drive(exe, cmdline=f'S DB LOG="{LOG_FILE}"')
    run.check_finished()
    check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS), "boxes and exit code")
    calls = settled(machine, lambda c: len(msiexec_ends(c)) == 2, "Windows Installer did not end")
    first = machine.path(LOG_FILE)
    lines, run_id = file_lines(first)
    check(lines[0].startswith("==== VTR Setup 1.6.0, ") and lines[0].endswith(f"run {run_id} ===="),
          f"the log's header: {lines[:1]}")
    check(f'command line: S DB LOG="{LOG_FILE}"' in lines[:8], f"the log's header: {lines[:8]}")
    check_equal(lines[-2], "exit code: 0 (success)", "the log's exit line")
    installer_logs = [f"C:\\Logs\\VTR Setup {run_id} {package}.log"
                      for package in ("vtr3p.msi", "vtr3db.msi")]
    check_equal([line.rsplit(" /l*v ", 1)[-1] for line in msiexec_lines(calls)],
                [f'"{log}"' for log in installer_logs], "Windows Installer's logs of the install")
    for log in installer_logs:
        check(machine.path(log).stat().st_size > 0, f"Windows Installer wrote no {log}")
    written = first.read_bytes()

    machine.clear_calls()
    run = machine.drive(exe, cmdline=f'S REMOVE DB LOG="{LOG_FILE}"', stderr=True)
    run.check_finished()
    check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS), "boxes and exit code of the removal")
    calls = settled(machine, lambda c: len(msiexec_ends(c)) == 2, "Windows Installer did not end")
    check_equal(first.read_bytes(), written, "the first run's log after the second run")
    beside = sorted(path.name for path in first.parent.glob("vtr *.log"))
    check(len(beside) == 1, f"setup logs beside {LOG_FILE}: {beside}")
    lines, removal_id = file_lines(first.parent / beside[0])
    check_equal(beside[0], f"vtr {removal_id}.log", "the name of the log beside the file")
    moved = (f"something is already at {LOG_FILE} (setup does not write, read or follow it): "
             f"the setup log is C:\\Logs\\vtr {removal_id}.log")
    check_equal((run.program_stderr or "").splitlines(), ["VTR Setup: " + moved], "standard error")
    check(moved in lines, "the setup log does not say where it went:\n" + "\n".join(lines))
    check_equal(lines[-2], "exit code: 0 (success)", "the removal log's exit line")
    for line in msiexec_lines(calls):
        log = line.rsplit(" /l*v ", 1)[-1].strip('"')
        check(log.startswith(f"{OWN_LOG_FOLDER}\\VTR Setup {removal_id} "),
              f"Windows Installer's log of the removal is not in setup's own folder: {line}")
        check(machine.path(log).stat().st_size > 0, f"Windows Installer wrote no {log}")


@wine_test
def with_the_media_gone_the_cached_setup_repairs_and_removes_and_leaves_no_cache(machine):
    """Windows Installer is handed the checked copies in the protected cache, never the media,
    so the cached setup repairs and removes once the media folder is deleted; removing both
    products removes the cache, although the setup that removes it runs from it."""
    def run_and_read(exe, words, what):
        machine.clear_calls()
        run = machine.drive(exe, args=words)
        run.check_finished()
        check_equal((run.boxes, run.exit_code), ([], EXIT_SUCCESS), f"boxes and exit code of {what}")
        calls = settled(machine, lambda c: len(msiexec_ends(c)) == 2,
                        f"Windows Installer did not end twice in {what}")
        check_equal([line.split('"')[1] for line in msiexec_lines(calls)],
                    [CACHE + "\\vtr3p.msi", CACHE + "\\vtr3db.msi"],
                    f"the packages Windows Installer was handed in {what}")

    run_and_read(machine.ship(), ("S", "DB"), "S DB")
    check_equal(sorted(p.name for p in machine.path(CACHE).iterdir()),
                ["SetupVTR.exe", "vtr3db.msi", "vtr3p.msi"], "the files in the cache")
    shutil.rmtree(machine.path(SHIP))

    cached = CACHE + "\\SetupVTR.exe"
    run_and_read(cached, ("S", "REPAIR", "PROGRAM", "DB"), "S REPAIR PROGRAM DB from the cache")
    run_and_read(cached, ("S", "REMOVE", "PROGRAM", "DB"), "S REMOVE PROGRAM DB from the cache")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: UNKNOWN, DB_CODE: UNKNOWN}, "product states after the removal")
    check(not machine.path(CACHE).exists(), "the setup cache is still there after the removal")
