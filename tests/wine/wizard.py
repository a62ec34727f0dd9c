"""The wizard window from outside: control IDs (docs/controls.md) and the steps vtrdrive does at
it. A step is a tuple of driver words; pass a list of them to `machine.drive(steps=...)`."""

from harness import Failure

# Panels: the frame of panel N has the ID PANEL + N.
PANEL = 2000
FIRST_INSTALL, INSTALL_CHOICE, CONFIGURATION, UNINSTALL, REPAIR, COMPLETION, MAINTENANCE, \
    FOLDERS = range(8)

# Banner.
LB_VERSION = 1200
LB_REV = 1300
LB_ERR = 1500
LB_WARNING = 1600
FR_WSNAME = 1700

# The choice buttons of panels 0 and 6, and their descriptions.
SINGLE_USER, NETWORK, CUSTOM, REPAIR_CHOICE, CONFIGURE_CHOICE, REMOVE_CHOICE = range(2100, 2106)
COMPLETION_TEXT = 2210  # lbOpt(10)

# Check boxes ckOpt(0..5).
OUTLOOK, LAUNCH, REMOVE_PROGRAM, REMOVE_DATABASE, REINSTALL_PROGRAM, REINSTALL_DATABASE = \
    range(2500, 2506)
LB_PRO_ONLY = 2700

# The folder panel: ckInstall, txPath, cmdPath with index 1 (program) and 2 (database).
INSTALL_PROGRAM, INSTALL_DATABASE = 2801, 2802
PROGRAM_PATH, DATABASE_PATH = 2901, 2902
BROWSE_PROGRAM, BROWSE_DATABASE = 3001, 3002

# The button row.
CANCEL, BACK, NEXT, FINISH = 3100, 3200, 3300, 3400

WIZARD_CLASS = "VantoraSetupWizard"
INSTALL_TITLE = "Vantora Contact Management Install Wizard"


def click(control_id):
    return ("--click", control_id)


def tick(control_id, value=1):
    return ("--check", control_id, value)


def untick(control_id):
    return tick(control_id, 0)


def type_text(control_id, text):
    return ("--type", control_id, text)


def key(name):
    return ("--key", name)


def end_task():
    """WM_CLOSE sent from another program, as Task Manager's End task does."""
    return ("--end-task",)


def expect_panel(panel):
    return ("--expect-panel", panel)


def read(control_id):
    return ("--read", control_id)


def modules():
    """The DLLs the program has loaded, with their paths. With it in a run, the driver also
    reports them the moment the program's first window shows, as `first_window_modules`."""
    return ("--modules",)


def screenshot(file_name):
    """A picture of the wizard window; a bare file name lands in the run's artifacts."""
    return ("--screenshot", file_name)


def buttons(step):
    """The button row when the step was done: {"Next": "enabled"|"disabled"|"hidden", ...}."""
    states = {}
    for name, state in step["wizard"]["buttons"].items():
        if not state["visible"]:
            states[name] = "hidden"
        else:
            states[name] = "enabled" if state["enabled"] else "disabled"
    return states


def step_on(run, panel):
    """The first step done while the given panel was on show."""
    for line in run.steps:
        if line["wizard"].get("panel") == panel:
            return line
    raise Failure(f"no step was done on panel {panel}; the panels were {run.panels()}")
