"""The driver itself: if it misread or misanswered boxes, every other Wine test would be
judging the wrong thing. vtrboxes is a stand-in that shows the same kinds of boxes."""

import subprocess

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


@wine_test
def driver_works_a_wizard_by_control_id(machine):
    typed = "C:\\Zoë € 1"
    run = machine.drive(BOXES, args=["wizard"], answers=["OK", "OK"], steps=[
        ("--expect-panel", 0), ("--read", 2500), ("--check", 2500, 1), ("--read", 2500),
        ("--type", 2901, typed), ("--click", 3300), ("--expect-panel", 1),
        ("--screenshot", "panel1.bmp"), ("--key", "Enter")])
    run.check_finished()
    check_equal([s["step"] for s in run.steps],
                ["expect-panel", "read", "check", "read", "type", "click", "expect-panel",
                 "screenshot", "key"], "steps done")
    check_equal(run.panels(), [0, 1], "panels the steps saw")
    check_equal([r["check"] for r in run.reads(2500)], [0, 1], "the check box before and after")
    first = run.steps[0]["wizard"]
    check_equal((first["title"], first["visible"], first["enabled"]),
                ("Fixture Wizard", True, True), "the wizard's title and state")
    check_equal(first["buttons"],
                {"Cancel": {"visible": True, "enabled": True},
                 "Back": {"visible": True, "enabled": False},
                 "Next": {"visible": True, "enabled": True},
                 "Finish": {"visible": False, "enabled": True}}, "the button row on panel 0")
    # The box that Next shows is answered between the steps, before panel 1 is looked for.
    check_equal([b["text"] for b in run.boxes],
                ["Next pressed", f'Finish: check 1, text "{typed}"'], "boxes")
    order = [("box" if "box" in line else line.get("step")) for line in run.lines
             if "box" in line or "step" in line]
    check_equal(order[5:8], ["click", "box", "expect-panel"], "order of click, box and check")
    # The picture is of the wizard window alone, not of the whole screen.
    shot = [s for s in run.steps if s["step"] == "screenshot"][0]
    size = subprocess.run(["identify", "-format", "%w %h", shot["png"]], capture_output=True,
                          text=True).stdout.split()
    width, height = (int(n) for n in size)
    check(300 <= width < 1024 and 150 <= height < 768, f"size of the window picture: {size}")
    check_equal(run.exit_code, 7, "exit code after Finish")

    run = machine.drive(BOXES, args=["wizard"], steps=[("--key", "Escape")])
    run.check_finished()
    check_equal(run.exit_code, 1602, "exit code after Escape")


@wine_test
def driver_says_why_a_step_cannot_be_done(machine):
    for steps, status, message in (
            ([("--click", 3200)], 5, "--click 3200 could not be done within 2 seconds: the "
             'control 3200 ("&Back", Button) is disabled'),
            ([("--click", 3400)], 5, 'the control 3400 ("&Finish", Button) is hidden (the '
             "wizard shows panel 0)"),
            ([("--expect-panel", 1)], 5, "--expect-panel 1 could not be done within 2 seconds: "
             "the wizard shows panel 0"),
            ([("--read", 4444)], 5, "the wizard has no control with ID 4444")):
        run = machine.drive(BOXES, args=["wizard"], steps=steps, step_timeout=2)
        check_equal(run.status, status, f"driver status for {steps}")
        check(message in run.stderr, f"message for {steps}: {run.stderr!r}")
        check(run.exit_code is None, f"the program was ended after {steps}")

    # A program that ends before every step was done leaves the rest unused.
    run = machine.drive(BOXES, args=["exit", "0"], steps=[("--click", 3300)])
    check_equal(run.status, 0, "driver status when the program ends first")
    unused = [line for line in run.lines if "unused_steps" in line]
    check_equal([u["unused_steps"] for u in unused], [["--click 3300"]], "unused steps")
