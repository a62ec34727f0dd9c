"""The fault sweep: runs every scenario through vtrsim once clean, then once for every platform
call the clean run made (operation and call number) with that call failing, both ways the call
can fail: by raising, and, where the operation reports failure through its result, with each
failing result the simulator lists (vtrsim --failure-results). Each run is checked for what
must never happen, whatever Windows does; the findings are grouped by cause and one
reproducer scenario is written for each cause. See tests/README.md."""

import argparse
import concurrent.futures
import json
import os
import random
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
TIME_LIMIT = 10  # seconds a run may take
RAISED = {"number": 70, "description": "Permission denied"}

KEYWORDS = {"REPAIR", "REMOVE", "PROGRAM", "DB", "OL", "S", "DEBUG", "LOG", "PLAN", "NORESTART"}
PROGRAM_PACKAGE = re.compile(r'[\\/]vtr3[pl](_update)?\.msi"', re.IGNORECASE)
DATABASE_PACKAGE = re.compile(r'[\\/]vtr3dbl?(_update)?\.msi"', re.IGNORECASE)
PROGRAM_CODES = {"{590454A0-A293-4ECE-AB62-FD940586A43C}", "{D2D733C2-0C8D-402C-91AF-3866DF9C12A5}"}
DATABASE_CODES = {
    "{9A3E077B-AC17-4655-AE22-D73047814448}",
    "{DCB3C1C6-15AD-4C1B-9CEE-8BD16BA8E1F5}",
    "{3A072D0A-9E8A-4E4D-B057-711765C38C73}",
    "{AA9A981A-7ACF-44AB-A5E0-1B34D7C95D66}",
}
INSTALLER_SUCCESS = {0, 1641, 3010}
# What changes the machine.
ACTS = ("StartProcess", "ShellOpen", "MoveFileTo", "SaveSetting", "SetRegistryValue",
        "DeleteRegistryValue", "DeleteRegistryKey")
FAILURE_TEXTS = re.compile(
    r"errhdl_|^VTR Install Error|^Sorry, Windows was not able|^Windows was not able|"
    r"^File Not Found:|^Path not found:|^Windows does not have a program associated|"
    r"^Unable to start Windows Installer|^Windows Installer did not complete|"
    r"^The installation was cancelled|^SYS_Install: Unable to open",
    re.IGNORECASE,
)

# What the program is asked to do although it breaks a rule of the checks, with the reason.
# Each entry: (operation, argument, test of the call's arguments, reason). There is none: the
# launch after an install, which Windows would start in the shell's own folder, is handed the
# program's folder.
ALLOWED = []


def upper(text):
    """Upper case as the program folds it: ASCII and Latin-1 letters only."""
    return "".join(
        chr(ord(c) - 32) if ("a" <= c <= "z") or ("\xe0" <= c <= "\xfe" and c != "\xf7") else c
        for c in text
    )


def command_words(text):
    """The words start-up reads, split as sys_parse splits them (space, first line only), except
    that LOG="<folder>" runs on to its closing quote."""
    words = []
    while text:
        quoted = re.match(r'(?i)LOG="[^"\r]*"[^ \r]*', text)
        if quoted:
            words.append(quoted.group(0))
            text = text[quoted.end():]
            text = text[1:].lstrip(" ") if text.startswith(" ") else text
            continue
        brk = text.find("\r")
        line = text if brk <= 0 else text[:brk]
        at = line.find(" ")
        if at >= 0:
            word, text = line[:at], text[at + 1:]
        else:
            word = line
            text = "" if len(line) == len(text) else text[len(line) + 1:]
            if text.startswith("\n"):
                text = text[1:]
        words.append(word)
        text = text.lstrip(" ")
    return words


def read_command_line(text):
    """(the keywords read before the first invalid word, whether there was an invalid one)"""
    read = set()
    for word in command_words(text):
        if log_folder_of(word) is not None:
            read.add("LOG")
            continue
        if upper(word) not in KEYWORDS:
            return read, True
        read.add(upper(word))
    return read, False


def log_folder_of(word):
    """The folder of a LOG="<folder>" (or LOG=<folder>) word, None for any other word."""
    if not upper(word).startswith("LOG="):
        return None
    folder = word[4:]
    if len(folder) >= 2 and folder[0] == folder[-1] == '"':
        folder = folder[1:-1]
    return folder if folder and '"' not in folder else None


def is_absolute(path):
    drive = re.match(r"^[A-Za-z]:[\\/]", path)
    share = re.match(r"^[\\/]{2}[^\\/]+[\\/][^\\/]", path)
    return bool(drive or share)


def norm(path):
    path = re.sub(r"[\\/]+", "\\\\", path.replace("/", "\\"))
    return upper(path.rstrip("\\"))


def under(path, folder):
    return path == folder or path.startswith(folder + "\\")


def program_of(args):
    """The program a StartProcess call runs: its application, else the command line's first
    token."""
    if args["application"]:
        return args["application"]
    line = args["commandLine"].lstrip(" \t")
    if line.startswith('"'):
        return line[1:].split('"', 1)[0]
    return line.split(" ", 1)[0].split("\t", 1)[0]


def allowed(op, argument, args):
    return any(o == op and a == argument and test(args) for o, a, test, _ in ALLOWED)


def entry_of(item):
    """A file entry as an object, whether the scenario wrote it as a path or an object."""
    return {"path": item} if isinstance(item, str) else item


def flags_of(entry):
    return tuple(bool(entry.get(k)) for k in ("folder", "readOnly", "hidden", "system"))


def file_entries(scenario):
    entries = {}
    for item in map(entry_of, scenario.get("files", [])):
        entries[norm(item["path"])] = (item["path"], flags_of(item))
    return entries


class Run:
    def __init__(self, scenario_path, scenario, fault):
        self.scenario_path = scenario_path
        self.scenario = scenario
        self.fault = fault  # None for the clean run
        self.status = None
        self.stderr = ""
        self.lines = []
        self.timed_out = False

    def label(self):
        if self.fault is None:
            return "clean"
        how = "raises" if "number" in self.fault else "answers " + json.dumps(self.fault["result"])
        return f'{self.fault["op"]} {how}'

    def faulted_scenario(self):
        if self.fault is None:
            return self.scenario
        s = dict(self.scenario)
        s["faults"] = list(s.get("faults", [])) + [self.fault]
        return s


def play(vtrsim, run, work):
    fd, name = tempfile.mkstemp(suffix=".json", dir=work)
    with os.fdopen(fd, "w", encoding="utf-8") as f:
        json.dump(run.faulted_scenario(), f, ensure_ascii=False)
    out = name[:-5] + ".jsonl"
    try:
        done = subprocess.run(
            [vtrsim, name, "-o", out], capture_output=True, timeout=TIME_LIMIT, check=False
        )
        run.status = done.returncode
        run.stderr = done.stderr.decode("utf-8", "replace")
        with open(out, "rb") as f:
            run.lines = [line.decode("utf-8", "replace") for line in f.read().splitlines()]
    except subprocess.TimeoutExpired:
        run.timed_out = True
    except OSError as e:  # vtrsim itself is gone or being rebuilt
        run.stderr = str(e)
    finally:
        for path in (name, out):
            if os.path.exists(path):
                os.unlink(path)
    return run


def check(run):
    """The findings of one run: a list of (cause, detail)."""
    if run.timed_out:
        return [("a run takes longer than %d s" % TIME_LIMIT, "")]
    if run.status is None:
        return [("vtrsim could not be run", run.stderr)]
    findings = []
    if re.search(r"Sanitizer|runtime error:", run.stderr):
        first = next(l for l in run.stderr.splitlines() if re.search(r"Sanitizer|runtime error", l))
        findings.append(("a sanitizer report", first.strip()))
    if run.status == 3:
        findings.append(("an error escapes Main", run.stderr.strip().splitlines()[-1]))
    elif run.status == 2:
        findings.append(("vtrsim refuses the sweep's scenario", run.stderr.strip()))
    elif run.status != 0 and not findings:
        findings.append(("a crash", "vtrsim ended with status %s" % run.status))
    lines = []
    for text in run.lines:
        try:
            lines.append(json.loads(text))
        except ValueError:
            findings.append(("a transcript line that is not JSON", text[:200]))
    if findings:
        return findings
    calls = [l for l in lines if "op" in l]
    exit_code = next((l["exit"] for l in lines if "exit" in l), None)
    findings += check_programs(calls)
    findings += check_command_line(run.scenario, calls, exit_code, lines)
    findings += check_files(run.scenario, calls, lines)
    findings += check_silent(run.scenario, calls, exit_code)
    findings += check_plan(run.scenario, calls)
    findings += check_taken_back(run.scenario, calls, exit_code, lines)
    return findings


def check_programs(calls):
    findings = []
    for c in calls:
        if "result" not in c:
            continue
        a = c.get("args", {})
        if c["op"] == "StartProcess":
            checks = [("program path", program_of(a)), ("workFolder", a["workFolder"])]
        elif c["op"] == "ShellOpen":
            checks = [("program path", a["file"]), ("workFolder", a["workFolder"])]
        else:
            continue
        for what, path in checks:
            if not is_absolute(path) and not allowed(c["op"], what, a):
                findings.append(
                    ("%s started with a %s that is not absolute" % (c["op"], what), json.dumps(a))
                )
    return findings


def check_command_line(scenario, calls, exit_code, lines):
    _, invalid = read_command_line(scenario.get("commandLine", ""))
    # A command line the program could not read held no word for it.
    read = any(c["op"] == "CommandLine" and "result" in c for c in calls)
    if not invalid or not read:
        return []
    acts = [c for c in calls if c["op"] in ACTS]
    findings = []
    if acts:
        findings.append(("something runs after an invalid command-line word", json.dumps(acts[0])))
    if any(c["op"] == "WizardView" for c in calls):
        findings.append(("the wizard opens after an invalid command-line word", ""))
    if exit_code in (0, 3010):
        findings.append(("an invalid command line ends with success", "exit %s" % exit_code))
    return findings


def check_files(scenario, calls, lines):
    before = file_entries(scenario)
    final = next((l["final"] for l in lines if "final" in l), {"files": []})
    after = {norm(f["path"]): flags_of(f) for f in final["files"]}
    moved = [norm(c["args"]["from"]) for c in calls
             if c["op"] == "MoveFileTo" and c.get("result") is True]
    packages_own = []
    # Setup's own protected cache: a run that removes the products removes it, an update prunes it.
    packages_own += [norm(c["args"]["path"]) for c in calls
                     if c["op"] in ("RemoveFolderTree", "RemoveFile") and "raised" not in c
                     and "\\SETUP CACHE" in norm(c["args"]["path"])]
    for rule in scenario.get("processes", []):
        packages_own += [norm(p) for p in rule.get("removeFiles", [])]
        packages_own += [norm(entry_of(p)["path"]) for p in rule.get("createFiles", [])]
    findings = []
    for key, (path, flags) in before.items():
        if any(under(key, folder) for folder in moved + packages_own):
            continue
        if key not in after:
            findings.append(("a file present before the run is gone", path))
        elif after[key] != flags:
            findings.append(("a file present before the run has changed", path))
        elif not flags[0] and any(
            c["op"] == "CreateEmptyFile" and "result" not in c and "raised" not in c
            and norm(c["args"]["path"]) == key for c in calls
        ):
            findings.append(("a file present before the run was emptied", path))
    return findings


# Detection's own handlers, shown in debug runs only: the run goes on with what it could learn.
DEBUG_DIAGNOSTICS = ("errHdl_SYS_IsInstalled:", "errHdl_SYS_GetInstallPath",
                     "errHdl_SYS_GetDBInstallPath")


def check_plan(scenario, calls):
    """PLAN shows what a run would do and carries out nothing, whatever fails."""
    words, invalid = read_command_line(scenario.get("commandLine", ""))
    if invalid or "PLAN" not in words:
        return []
    # The folder LOG="<folder>" names is made for the plan's log, as for any run's.
    logs = [norm(f) for f in map(log_folder_of, command_words(scenario.get("commandLine", "")))
            if f is not None]
    return [("a PLAN run carried something out", c["op"]) for c in calls
            if c["op"] in ACTS + ("MakeFolder", "CreateEmptyFile")
            and not (c["op"] == "MakeFolder" and any(under(f, norm(c["args"]["path"]))
                                                     for f in logs))]


def settings_of(table):
    """The settings store without its empty sections and applications."""
    return {app: {sec: keys for sec, keys in sections.items() if keys}
            for app, sections in (table or {}).items()
            if any(keys for keys in sections.values())}


def registry_of(table):
    """The registry without its empty keys, its names folded as the registry compares them."""
    return {key.lower(): {name.lower(): value for name, value in values.items()}
            for key, values in (table or {}).items() if values}


def removes_settings_for_every_user(calls):
    """Whether the run removed the settings for every user with the program: that follows the
    program, which a failed removal does not put back either."""
    return any(c["op"] == "DeleteRegistryKey" and "raised" not in c
               and c["args"]["key"].lower().startswith("software\\vb and vba program settings")
               for c in calls)


ENTRIES = "hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\vantora_"
REINSTALL = re.compile(r"msiexec\.exe /f", re.IGNORECASE)


def without_kept_entries(registry, calls):
    """The registry without setup's entries in Programs and Features when the run reinstalled or
    updated an installed product: Windows Installer's result stays, with its own entry of the
    product hidden, so setup's entry of it stays as well (the product never goes missing)."""
    if not any(c["op"] == "StartProcess" and REINSTALL.search(c["args"]["commandLine"])
               for c in calls):
        return registry
    return {key: values for key, values in registry.items() if not key.startswith(ENTRIES)}


def check_taken_back(scenario, calls, exit_code, lines):
    """A run that failed or was cancelled, and took back all it did, records nothing: the
    settings store is as it was before the run. (A developer who resumes after an error goes
    on past it, so debug runs are left out; so are runs that failed only because start-up met
    an error, whose engine did all it was asked.)"""
    words, invalid = read_command_line(scenario.get("commandLine", ""))
    if invalid or "DEBUG" in words or exit_code not in (1602, 1603, 1618):
        return []
    incomplete = any(c["op"] == "WriteStandardError" and "taking back:" in c["args"]["line"]
                     and ": failed" in c["args"]["line"] for c in calls)
    if any(c["op"] == "MsgBox" and c["args"]["text"].startswith("errHdl_Main:") for c in calls):
        return []
    final = next((l["final"] for l in lines if "final" in l), None)
    if incomplete or final is None:
        return []
    before, after = settings_of(scenario.get("settings")), settings_of(final.get("settings"))
    if before != after:
        return [("a failed run leaves settings it recorded", json.dumps(after)[:200])]
    before = without_kept_entries(registry_of(scenario.get("registry")), calls)
    after = without_kept_entries(registry_of(final.get("registry")), calls)
    if before != after and not removes_settings_for_every_user(calls):
        return [("a failed run leaves registry values it wrote", json.dumps(after)[:200])]
    return []


def check_silent(scenario, calls, exit_code):
    words, invalid = read_command_line(scenario.get("commandLine", ""))
    if invalid or "S" not in words or "PLAN" in words or exit_code not in (0, 3010):
        return []
    findings = []
    for c in calls:
        if c["op"] == "MsgBox":
            a = c["args"]
            # A debug run shows detection's failed queries as diagnostics; the engine itself
            # refuses (with a box of its own) when it needs a state that could not be asked.
            if "DEBUG" in words and a["text"].startswith(DEBUG_DIAGNOSTICS):
                continue
            if a["icon"] == "Critical" or FAILURE_TEXTS.search(a["text"]):
                findings.append(
                    ("a silent run ends with success after a failure box", a["text"][:160]))
                break
    asked = [("program", PROGRAM_PACKAGE, PROGRAM_CODES)]
    if "DB" in words:
        asked.append(("database", DATABASE_PACKAGE, DATABASE_CODES))
    for name, package, codes in asked:
        # A removal may name the installed product by its code instead of a package file.
        runs = [c for c in calls
                if c["op"] == "StartProcess" and (package.search(c["args"]["commandLine"]) or
                                                  by_product_code(c["args"]["commandLine"], codes))]
        started = [c["result"] for c in runs if c.get("result") is not None]
        if started:
            for number in started:
                waits = [c for c in calls if c["op"] == "Wait" and c["args"]["process"] == number]
                codes_seen = [c.get("result") for c in calls
                              if c["op"] == "ExitCode" and c["args"]["process"] == number]
                if not any(w.get("result") is True for w in waits):
                    findings.append(("a silent run ends with success although a package run "
                                     "was not waited for", name))
                elif not codes_seen or codes_seen[-1] not in INSTALLER_SUCCESS:
                    findings.append(("a silent run ends with success although a package run failed",
                                     "%s: exit code %s" % (name, (codes_seen or [None])[-1])))
            continue
        # No run: only a removal of a package Windows Installer said is not installed may skip it.
        if "REMOVE" in words and known_not_installed(calls, codes):
            continue
        findings.append(("a silent run ends with success although it skipped a package", name))
    return findings


def by_product_code(command_line, codes):
    words = command_line.upper().split()
    return any(w == "/X" and i + 1 < len(words) and words[i + 1] in codes
               for i, w in enumerate(words))


def known_not_installed(calls, codes):
    # The engine's last question of the products' states, which begins with the program's (a
    # removal asks the object more after it: of the other database product and the packages).
    last_object = max((i for i, c in enumerate(calls) if c["op"] == "CreateInstaller"
                       and i + 1 < len(calls) and calls[i + 1]["op"] == "ProductState"
                       and calls[i + 1]["args"]["productCode"].upper() in PROGRAM_CODES),
                      default=-1)
    if last_object < 0 or "result" not in calls[last_object]:
        return False
    answers = [c for c in calls[last_object:] if c["op"] == "ProductState"
               and c["args"]["productCode"].upper() in codes]
    return bool(answers) and "result" in answers[-1]


def slug(text):
    return re.sub(r"[^a-z0-9]+", "-", text.lower()).strip("-")[:80]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("scenarios", nargs="*", help="scenario files (default: all)")
    parser.add_argument("--vtrsim", default=str(REPO / "build/native/vtrsim"))
    parser.add_argument("--budget", type=float, help="seconds: a random sample of the fault runs")
    parser.add_argument("--seed", type=int, help="the sample's seed (printed, to repeat a sample)")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--out", default=str(REPO / "build/sweep"))
    opts = parser.parse_args()

    if not os.access(opts.vtrsim, os.X_OK):
        sys.exit("sweep: vtrsim not found: %s (cmake --build --preset native)" % opts.vtrsim)
    paths = [Path(p) for p in opts.scenarios] or sorted(
        p for p in (REPO / "tests/scenarios").rglob("*.json") if ".expected." not in p.name
    )
    failure_results = json.loads(
        subprocess.run([opts.vtrsim, "--failure-results"], capture_output=True, check=True).stdout
    )
    out = Path(opts.out)
    reproducers = out / "reproducers"
    reproducers.mkdir(parents=True, exist_ok=True)
    for old in reproducers.glob("*.json"):
        old.unlink()
    started = time.monotonic()
    findings = {}  # cause -> [run, detail, count]
    runs_done = 0

    def record(run):
        nonlocal runs_done
        runs_done += 1
        for cause, detail in check(run):
            key = cause + " | " + run.label()
            if key not in findings:
                findings[key] = [run, detail, 0]
            findings[key][2] += 1

    pool = concurrent.futures.ThreadPoolExecutor(opts.jobs)
    with tempfile.TemporaryDirectory() as work, pool:
        scenarios = [(p, json.loads(p.read_text(encoding="utf-8"))) for p in paths]
        clean = list(pool.map(lambda s: play(opts.vtrsim, Run(s[0], s[1], None), work), scenarios))
        planned = []  # by scenario, operation and call
        for run in clean:
            record(run)
            counts = {}
            for text in run.lines:
                try:
                    line = json.loads(text)
                except ValueError:
                    continue
                if "op" in line:
                    counts[line["op"]] = counts.get(line["op"], 0) + 1
            for op, n in counts.items():
                for call in range(1, n + 1):
                    faults = [{"op": op, "call": call, **RAISED}]
                    faults += [{"op": op, "call": call, "result": r}
                               for r in failure_results.get(op, [])]
                    planned += [(run.scenario_path, run.scenario, f) for f in faults]
        total = len(planned)
        if opts.budget is not None:
            seed = opts.seed if opts.seed is not None else random.randrange(1 << 30)
            random.Random(seed).shuffle(planned)
            print("sweep: a sample of the %d fault runs for %gs (seed %d)"
                  % (total, opts.budget, seed))
        pending = set()
        for scenario_path, scenario, fault in planned:
            if opts.budget is not None and time.monotonic() - started > opts.budget:
                break
            pending.add(pool.submit(play, opts.vtrsim, Run(scenario_path, scenario, fault), work))
            if len(pending) >= 4 * opts.jobs:
                done, pending = concurrent.futures.wait(
                    pending, return_when=concurrent.futures.FIRST_COMPLETED)
                for f in done:
                    record(f.result())
        for f in concurrent.futures.as_completed(pending):
            record(f.result())

    elapsed = time.monotonic() - started
    print("sweep: %d scenarios, %d runs (%d with a fault of %d planned) in %.0fs"
          % (len(paths), runs_done, runs_done - len(paths), total, elapsed))
    if not findings:
        print("sweep: no findings")
        return 0
    print("sweep: %d findings in %d causes" % (sum(f[2] for f in findings.values()), len(findings)))
    for i, (key, (run, detail, count)) in enumerate(sorted(findings.items()), 1):
        scenario = run.faulted_scenario()
        origin = run.scenario_path
        if origin.is_absolute():
            origin = origin.relative_to(REPO)
        fault = ", with the fault " + json.dumps(run.fault) if run.fault else ""
        description = "Fault sweep reproducer: %s. From %s%s." % (key, origin, fault)
        scenario = {"description": description,
                    **{k: v for k, v in scenario.items() if k != "description"}}
        target = reproducers / ("%02d-%s.json" % (i, slug(key)))
        text = json.dumps(scenario, indent=2, ensure_ascii=False) + "\n"
        target.write_text(text, encoding="utf-8")
        print("  %4d x %s" % (count, key))
        if detail:
            print("         e.g. %s" % detail[:300])
        print("         reproducer: %s" % os.path.relpath(target))
    return 1


if __name__ == "__main__":
    sys.exit(main())
