"""The driver itself: if it misread or misanswered boxes, every other Wine test would be
judging the wrong thing. vtrboxes is a stand-in that shows the same kinds of boxes."""

from harness import TOOLS, check, check_equal, wine_test

BOXES = TOOLS + "\\vtrboxes.exe"


@wine_test
def driver_reads_and_answers_message_and_input_boxes(machine):
    run = machine.drive(BOXES, answers=["No"], inputs=["Müller & Söhne € 1"])
    run.check_finished()
    first, asked, echo = run.boxes
    check_equal(first["box"], "message", "first box kind")
    check_equal(first["title"], "Fixture", "first box title")
    check_equal(first["text"], 'First line\rSecond "quoted"\tend', "first box text")
    check_equal(first["buttons"], ["Yes", "No", "Cancel"], "first box buttons")
    check_equal(first["icon"], "question", "first box icon")
    check_equal(asked["box"], "input", "second box kind")
    check_equal((asked["prompt"], asked["default"]), ("Type a name:", "Default name"),
                "input box prompt and default")
    # The typed text reaches the program unchanged, characters outside ASCII included.
    check_equal(echo["text"], "You typed: Müller & Söhne € 1", "echo of the typed text")
    check_equal(echo["icon"], "information", "echo box icon")
    check(echo.get("unscripted") is True, "the unscripted box should be marked so")
    check_equal(run.exit_code, 1000 + 7, "exit code after pressing No (IDNO is 7)")

    run = machine.drive(BOXES, answers=["yes"], inputs=["<cancel>"])
    run.check_finished()
    check_equal(run.boxes[2]["text"], "You cancelled.", "echo after cancelling the input box")
    check_equal(run.exit_code, 1000 + 6, "exit code after pressing Yes (IDYES is 6)")


@wine_test
def driver_reports_full_exit_codes_icons_and_windows(machine):
    # wine itself would report 3221225477 as 5: the driver must give all 32 bits.
    run = machine.drive(BOXES, args=["exit", "3221225477"])
    run.check_finished()
    check_equal(run.exit_code, 3221225477, "exit code")

    run = machine.drive(BOXES, args=["icons"])
    run.check_finished()
    check_equal([(b["text"], b["icon"]) for b in run.boxes],
                [(name, name) for name in ("critical", "exclamation", "information", "question")],
                "icons named by the driver")

    run = machine.drive(BOXES, args=["window"], close_windows=True)
    run.check_finished()
    check_equal(run.boxes[0]["icon"], "none", "icon of a box without one")
    check_equal([w["window"] for w in run.windows], ["Fixture Window"], "windows reported")
    check_equal(run.exit_code, 4242, "exit code after the window was closed")


@wine_test
def driver_gives_up_cleanly(machine):
    run = machine.drive(BOXES, args=["hang"], timeout=3)
    check_equal(run.status, 4, "driver status after a timeout")
    check(run.exit_code is None, "a program that was ended has no exit line")
    check("did not finish within 3 seconds" in run.stderr, f"timeout message: {run.stderr!r}")

    run = machine.drive(BOXES, answers=["Maybe"])
    check_equal(run.status, 5, "driver status when the scripted button does not exist")
    check('has no button "Maybe"' in run.stderr, f"missing-button message: {run.stderr!r}")
