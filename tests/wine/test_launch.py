"""The launch of the installed program for the person at the desktop, through the setup
program's platform layer on its own (vtrlaunch.exe): the way through the desktop's shell, and the
way where no desktop shell runs, which the wizard under Wine can never take."""

from harness import TOOLS, check, check_equal, wine_test


def launch_through_the_platform(machine, program):
    """How vtrlaunch (the setup program's launch, through its platform layer) started it."""
    done = machine.wine(TOOLS + "\\vtrlaunch.exe", program, TOOLS)
    return done.stdout.decode("utf-8", "replace").replace("\r", "").splitlines()


@wine_test
def the_launch_goes_through_the_desktop_shell_and_only_without_one_starts_a_child(machine):
    # Wine's explorer is the desktop shell of every session, with a virtual desktop or
    # without, even with no display: the wizard sees only the shell way. Without explorer no
    # window can show, so the other way is seen through the platform layer alone.
    program = machine.plant("launched.exe", folder=TOOLS)
    check_equal(launch_through_the_platform(machine, program), ["way desktopShell", ""],
                "the launch where the desktop's shell runs")
    machine.wait_for_calls(lambda c: len(c) == 1, "the program was not started by the shell")
    machine.stop()
    machine.environment["WINEDLLOVERRIDES"] = "mscoree,mshtml=;explorer.exe=d"
    way, detail = launch_through_the_platform(machine, program)
    check_equal(way, "way ownProcess", "the launch where no desktop shell runs")
    check(detail.startswith("no desktop shell runs: creating ShellWindows failed"), detail)
    calls = machine.wait_for_calls(lambda c: len(c) == 2, "the program was not started")
    check_equal([(c["path"], c["folder"]) for c in calls], [(program, TOOLS)] * 2,
                "the programs started, each in its own folder")
    check_equal(launch_through_the_platform(machine, TOOLS + "\\missing.exe")[0], "way notFound",
                "the launch of a program that is not there")
