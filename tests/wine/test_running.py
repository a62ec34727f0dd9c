"""The product's program running when an update, repair or removal begins: the installed vtr3.exe
started from the program folder, as a user leaves it open. A silent removal waits for it and
ends with the code deployment tools retry, changing nothing; the wizard asks the user to close
it and goes on after Retry. Setup never closes it itself."""

import subprocess
import time

from harness import CR, check, check_equal, wine_test
from test_engine import (EXIT_SUCCESS, INSTALLED, PROGRAM_FOLDER, UNKNOWN, install_both,
                         msiexec_lines, settled, updater_calls)
from test_startup import DB_CODE, PROGRAM_CODE
from test_wizard import launches, record_launches
from wizard import COMPLETION, FINISH, MAINTENANCE, REMOVE_CHOICE, UNINSTALL, click, expect_panel

PROGRAM = PROGRAM_FOLDER + "\\vtr3.exe"
# Windows' ERROR_SHARING_VIOLATION: the program ran on for longer than the run waits.
EXIT_PRODUCT_RUNNING = 32
CLOSE_BOX = "Close Vantora Contact Management, then press Retry."


class RunningProgram:
    """The installed program, started from its folder as a user starts it, until end() ends it
    (Task Manager's End task, as its user would close it)."""

    def __init__(self, machine):
        self.machine = machine
        record_launches(machine)
        before = len(launches(machine))
        # Wine starts it in the folder it is started from, as a shortcut starts it.
        self.process = subprocess.Popen(
            ["wine", PROGRAM], cwd=machine.path(PROGRAM_FOLDER),
            env=machine.env.wine_env(machine.prefix, machine.environment),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while len(launches(machine)) == before:
            check(time.monotonic() < deadline, "vtr3.exe did not start within 30 s")
            time.sleep(0.3)

    def end(self):
        done = self.machine.wine("taskkill", "/f", "/im", "vtr3.exe")
        check(done.returncode == 0, f"taskkill could not end vtr3.exe: {done.stdout!r}")
        self.process.wait(timeout=30)


@wine_test
def a_silent_removal_waits_for_the_running_program_and_ends_32_changing_nothing(machine):
    exe = machine.ship(short_wait=True)
    install_both(machine, exe)
    running = RunningProgram(machine)
    machine.clear_calls()

    run = machine.drive(exe, args=("S", "REMOVE", "PROGRAM"), stderr=True)
    run.check_finished()
    check_equal(run.exit_code, EXIT_PRODUCT_RUNNING, "exit code of S REMOVE PROGRAM")
    check(f"VTR Setup: Vantora Contact Management is running ({PROGRAM}). This run waits up to "
          "10 seconds for it to be closed." in run.program_stderr,
          f"the waiting line on standard error: {run.program_stderr!r}")
    check_equal([b["text"] for b in run.boxes],
                [f"Vantora Contact Management was still running after 10 seconds:{CR}{PROGRAM}"
                 f"{CR}Nothing was changed. Run setup again once it has been closed."],
                "the failure box")
    calls = machine.calls()
    check_equal((msiexec_lines(calls), updater_calls(calls)), ([], []),
                "Windows Installer runs and updater calls of the run that waited")
    check_equal(machine.product_states(PROGRAM_CODE, DB_CODE),
                {PROGRAM_CODE: INSTALLED, DB_CODE: INSTALLED}, "product states after the wait")
    check(machine.path(PROGRAM).is_file(), "vtr3.exe was taken away")
    running.end()


@wine_test
def the_wizard_asks_to_close_the_running_program_and_removes_it_after_retry(machine):
    exe = machine.ship()
    install_both(machine, exe)
    running = RunningProgram(machine)
    machine.clear_calls()
    box_texts = []

    def close_the_program(text):
        # The user reads the box, closes the program, then presses Retry.
        box_texts.append(text)
        running.end()

    run = machine.drive(exe, answers=("Retry",), at_first_box=close_the_program, steps=[
        expect_panel(MAINTENANCE), click(REMOVE_CHOICE), expect_panel(UNINSTALL), click(FINISH),
        expect_panel(COMPLETION), click(FINISH)])
    run.check_finished()
    check_equal([(b["text"], b["icon"], b["buttons"], b["answer"]) for b in run.boxes],
                [(CLOSE_BOX, "exclamation", ["Retry", "Cancel"], "Retry")],
                "the box while the program runs")
    check_equal(box_texts, [CLOSE_BOX], "the box the test closed the program at")
    check_equal(run.exit_code, EXIT_SUCCESS, "exit code of the removal")
    calls = settled(machine, lambda c: len(msiexec_lines(c)) == 1, "the program was not removed")
    check_equal(len(msiexec_lines(calls)), 1, "Windows Installer runs of the removal")
    check_equal(machine.product_states(PROGRAM_CODE)[PROGRAM_CODE], UNKNOWN,
                "the program's state after the removal")
    check(not machine.path(PROGRAM).exists(), "vtr3.exe is still there")
