"""What the Wine tests stand on: a fresh Windows (Wine prefix) for each test, the shipped
folder laid out as a user gets it, vtrdrive to play the user, and small assertion helpers.

Every test gets a `Machine`. Nothing here knows what the setup program should do; the tests
say that.
"""

import json
import os
import resource
import shutil
import signal
import subprocess
import threading
import time
from pathlib import Path

CR = "\r"
CRLF = "\r\n"
TAB = "\t"

# Where the tools live inside every prefix (copied once into the base prefix).
TOOLS = "C:\\vtrtest"
# Where a test ships the setup program: a folder with a blank in its name, as users have.
SHIP = "C:\\Vantora Setup"
# The protected cache the setup program copies what it hands on into, and runs it from.
CACHE = "C:\\ProgramData\\Vantora\\Setup Cache\\VTRPRO_3"
# The 32-bit system folder (CSIDL_SYSTEMX86) of a 64-bit prefix: the setup program starts
# msiexec, regsvr32 and the updater service from here, the i686 build and the x86_64 build alike.
SYSTEM = "C:\\windows\\syswow64"

# Registry views. `wine reg` is the 32-bit reg.exe on a machine that runs 32-bit programs and the
# 64-bit one elsewhere, and the two see different keys under HKLM\Software (the 32-bit one sees
# HKLM\Software\Wow6432Node there), so every registry access of a test names the view it means:
# Wine's own configuration (HKLM\Software\Wine: drives, versions), read by Wine's 64-bit
# services such as the mount manager.
WINE_CONFIG = "/reg:64"
# A key both views share: the per-user HKCU\Software, which holds the product's settings store.
SHARED = "shared"
# A machine-wide key the setup program itself writes is in its own view: `machine.setup_view`,
# the 32-bit one for the shipped i686 build.
VIEW_32 = "/reg:32"
VIEW_64 = "/reg:64"
# The settings for every user (the machine-wide copy and the Active Setup component) are in the
# machine's own view, whichever build wrote them: the 64-bit one of these 64-bit prefixes.
MACHINE_VIEW = VIEW_64
# Wine's 64-bit loader, which runs a program as a 64-bit one.
WINE64_LOADER = "/usr/lib/wine/wine64"
# Every stub appends a JSON line here when it runs (see stubs/call_log.h).
CALL_LOG = TOOLS + "\\calls.jsonl"
# "<file name> <exit code>" a line: what the recording program ends with under that name.
EXIT_CODES = TOOLS + "\\exit_codes.txt"
# The database engine's installer, shipped beside setup (the recording program stands in).
ACE_INSTALLER = "AccessDatabaseEngine2010_SP2.exe"
# Folders, one a line, whose files the msiexec stand-in lists when it starts.
WATCH_LIST = TOOLS + "\\watch.txt"
# Where LOG without a folder writes in an elevated run on a Windows without GetTempPath2.
OWN_LOG_FOLDER = "C:\\ProgramData\\Vantora\\Setup Logs"
# Wine's own msiexec, kept under this name beside the stand-in that takes its place.
WINE_MSIEXEC = "msiexec_wine.exe"

# Wine's own program and library files never change during a test, so a test's prefix shares
# them with the base prefix (hard links) and copies the rest: a full copy of a 1.3 GB prefix takes
# seconds, this a fraction of one. Registry, profile and ini files are real copies.
_SHARED_SUFFIXES = {
    ".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm", ".ax", ".ds", ".tlb", ".vxd",
    ".nls", ".com", ".msstyles", ".ime", ".mui",
}


class Failure(Exception):
    """A test's expectation that did not hold; the message says what and how."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}:\n    expected {expected!r}\n    actual   {actual!r}")


def clone_prefix(base: Path, target: Path):
    for folder, dirs, files in os.walk(base):
        source_dir = Path(folder)
        target_dir = target / source_dir.relative_to(base)
        target_dir.mkdir(parents=True, exist_ok=True)
        shutil.copystat(source_dir, target_dir)
        for name in dirs + files:
            source = source_dir / name
            if source.is_symlink():
                (target_dir / name).symlink_to(os.readlink(source))
                if name in dirs:
                    dirs.remove(name)  # do not walk into a linked folder
        for name in files:
            source = source_dir / name
            if source.is_symlink():
                continue
            if source.suffix.lower() in _SHARED_SUFFIXES:
                os.link(source, target_dir / name)
            else:
                shutil.copy2(source, target_dir / name)


class DriveResult:
    """What vtrdrive reported about one run of a program."""

    def __init__(self, lines, status, stderr, program_stderr=None):
        self.lines = lines
        self.status = status  # vtrdrive's own exit status: 0 unless it had to give up
        self.stderr = stderr
        # What the program wrote to the standard error it was given (drive(stderr=True)).
        self.program_stderr = program_stderr
        # ... and to the standard output (drive(stdout=True)).
        self.program_stdout = None

    @property
    def boxes(self):
        return [line for line in self.lines if "box" in line]

    @property
    def windows(self):
        return [line for line in self.lines if "window" in line]

    @property
    def steps(self):
        """The steps done at the wizard window, each with the wizard's state when it was done."""
        return [line for line in self.lines if "step" in line]

    def panels(self):
        """The panel on show at each step, in order, with repeats removed."""
        seen = []
        for line in self.steps:
            panel = line["wizard"].get("panel")
            if not seen or seen[-1] != panel:
                seen.append(panel)
        return seen

    def reads(self, control_id):
        """What each --read of this control found, in order: class, text, visible, enabled and
        check."""
        return [line["control"] for line in self.steps
                if line["step"] == "read" and line["id"] == control_id]

    def read(self, control_id):
        """What the only --read of this control found."""
        found = self.reads(control_id)
        check_equal(len(found), 1, f"reads of the control {control_id}")
        return found[0]

    @property
    def exit_code(self):
        for line in self.lines:
            if "exit" in line:
                return line["exit"]
        return None

    def transcript(self):
        text = "\n".join(json.dumps(line, ensure_ascii=False) for line in self.lines)
        if self.stderr.strip():
            text += "\n(stderr) " + self.stderr.strip()
        return text

    def check_finished(self):
        """The program ran to its end without the driver giving up."""
        errors = [line["error"] for line in self.lines if "error" in line]
        check(self.status == 0 and self.exit_code is not None,
              f"the run did not finish (vtrdrive status {self.status}): {errors}")
        unused = [line for line in self.lines if "unused_answers" in line]
        check(not unused, "the program ended before every scripted answer and step was used: "
              f"{unused}")


class Environment:
    """One test run: the build to test, the work folder and the base prefix."""

    def __init__(self, build: Path, work: Path, base: Path):
        self.build = build
        self.work = work
        self.base = base
        self.setupvtr = build / "SetupVTR.exe"
        # The same program fixed to a workstation edition, which offers the ACE engine.
        self.setupvtr_workstation = build / "tests" / "wine" / "SetupVTR_WS.exe"
        # The same program whose silent runs wait 10 seconds at most, not 10 minutes.
        self.setupvtr_short_wait = build / "tests" / "wine" / "SetupVTR_ShortWait.exe"
        self.vtrdrive = build / "tests" / "wine" / "vtrdrive.exe"
        self.vtrboxes = build / "tests" / "wine" / "vtrboxes.exe"
        self.vtrlaunch = build / "tests" / "wine" / "vtrlaunch.exe"
        self.recorder = build / "tests" / "wine" / "vtrrecorder.exe"
        self.component = build / "tests" / "wine" / "vtrcomponent.dll"
        self.planted_dll = build / "tests" / "wine" / "vtrplanted.dll"
        self.msiexec_standin = build / "tests" / "wine" / "vtrmsiexec.exe"
        self.packages = build / "packages"
        self.tools_source = Path(__file__).resolve().parent / "tools"

    @property
    def build_kind(self):
        """What the setup program under test is built for, as its PE header says: "i686" (the
        shipped build) or "x86_64"."""
        data = self.setupvtr.read_bytes()[:4096]
        header = int.from_bytes(data[0x3C:0x40], "little")
        check(data[:2] == b"MZ" and data[header:header + 4] == b"PE\0\0",
              f"{self.setupvtr} is not a Windows executable")
        machine = int.from_bytes(data[header + 4:header + 6], "little")
        kinds = {0x014C: "i686", 0x8664: "x86_64"}
        check(machine in kinds, f"{self.setupvtr} is built for machine type {machine:#x}")
        return kinds[machine]

    @property
    def setup_view(self):
        """The registry view the setup program under test sees: the 32-bit one for the i686
        build, the 64-bit one for the x86_64 build."""
        return VIEW_32 if self.build_kind == "i686" else VIEW_64

    def needed_files(self):
        return [self.setupvtr, self.setupvtr_workstation, self.setupvtr_short_wait,
                self.vtrdrive, self.vtrboxes,
                self.vtrlaunch, self.recorder, self.component,
                self.planted_dll, self.msiexec_standin]

    def prepare_base(self):
        """Puts the test tools into the base prefix, once, and makes it a machine on which the
        product's components are where a real one has them: the updater service and the two
        registered components in the 32-bit system folder, each a stub that records its calls,
        and msiexec.exe replaced by the stand-in that records every command line."""
        drive = self.base / "drive_c"
        tools = drive / "vtrtest"
        tools.mkdir(parents=True, exist_ok=True)
        for tool in (self.vtrdrive, self.vtrboxes, self.vtrlaunch,
                     self.tools_source / "product_state.js",
                     self.tools_source / "drive_type.js"):
            shutil.copy2(tool, tools / tool.name)
        system = drive / "windows" / "syswow64"
        shutil.copy2(self.recorder, system / "wodUpdSv.exe")
        shutil.copy2(self.component, system / "vtremail.dll")
        shutil.copy2(self.component, system / "mscomm32.ocx")
        # Both system folders, as a 64-bit program that starts msiexec gets system32's.
        for folder in (system, drive / "windows" / "system32"):
            real = folder / WINE_MSIEXEC
            if not real.exists():
                (folder / "msiexec.exe").rename(real)
            shutil.copy2(self.msiexec_standin, folder / "msiexec.exe")

    def wine_env(self, prefix: Path, extra=None):
        env = dict(os.environ)
        env.update(extra or {})
        env["WINEPREFIX"] = str(prefix)
        env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        env.setdefault("WINEDEBUG", "-all")
        return env


class Machine:
    """A fresh Windows for one test: a copy of the base prefix, thrown away afterwards."""

    def __init__(self, env: Environment, name: str, display=None):
        self.env = env
        self.name = name
        self.folder = env.work / name
        if self.folder.exists():
            shutil.rmtree(self.folder)
        self.prefix = self.folder / "prefix"
        self.artifacts = self.folder / "artifacts"
        self.artifacts.mkdir(parents=True)
        clone_prefix(env.base, self.prefix)
        self.runs = 0
        self.wine_calls = 0
        self.last_run = None
        # Environment variables every Windows program of this test sees (Wine hands the
        # Linux environment on to them).
        self.environment = {}
        if display:
            # Tests run side by side each have an X server of their own, so one test's
            # windows never cover another's screenshots.
            self.environment["DISPLAY"] = display
        # One Wine server (and its services) for the whole test rather than a new one for each
        # program: that alone saves seconds per run.
        subprocess.run(["wineserver", "-p"], env=env.wine_env(self.prefix),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    # --- Paths ---
    def path(self, windows_path: str) -> Path:
        """The Linux path of a file on the prefix's C: drive, or on a drive map_drive made."""
        drive, _, rest = windows_path.partition(":")
        parts = [p for p in rest.replace("/", "\\").split("\\") if p]
        if drive.upper() == "C":
            return self.prefix.joinpath("drive_c", *parts)
        link = self.prefix / "dosdevices" / f"{drive.lower()}:"
        check(len(drive) == 1 and link.is_symlink(), f"not a path on a mapped drive: {windows_path}")
        return link.resolve().joinpath(*parts)

    def map_drive(self, letter, folder: Path):
        """Maps a drive letter to a Linux folder, as a CD, a USB stick or a network drive
        appears to Windows; returns the drive's root ("E:\\")."""
        folder.mkdir(parents=True, exist_ok=True)
        (self.prefix / "dosdevices" / f"{letter.lower()}:").symlink_to(folder)
        return f"{letter.upper()}:\\"

    @staticmethod
    def unix_to_windows(path: Path) -> str:
        return "Z:" + str(path).replace("/", "\\")

    # --- Running ---
    def wine(self, *args, timeout=180, native=False, file_size_limit=None):
        """Runs a Windows program with wine and waits for it; returns its completed process
        with stdout and stderr as bytes. The output goes through files, not pipes: Wine's
        background services inherit the handles and would hold a pipe open long after the
        program ended. Each call has files of its own, read and removed once the program has
        ended: the services the first program of a prefix starts keep its standard error (at
        the offset it had) for as long as they run, and would write into the output of any
        later call that reused the file. `native` runs it as a 64-bit program, as Windows runs
        its own (Active Setup, for one), also where `wine` starts 32-bit programs.
        `file_size_limit` (bytes) makes every write past that size of a file fail, as on a full
        disk (Wine answers error 31); run something else first, so that Wine's services do not
        inherit it."""
        self.wine_calls += 1
        out_path = self.folder / f"wine-{self.wine_calls}.out"
        err_path = self.folder / f"wine-{self.wine_calls}.err"
        loader = "wine"
        if native and Path(WINE64_LOADER).exists():
            loader = WINE64_LOADER

        def limit_file_size():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # a failed write, not a killed process
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))

        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            done = subprocess.run([loader, *args],
                                  env=self.env.wine_env(self.prefix, self.environment),
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                  timeout=timeout,
                                  preexec_fn=limit_file_size if file_size_limit else None,
                                  restore_signals=not file_size_limit)
        done.stdout = out_path.read_bytes()
        done.stderr = err_path.read_bytes()
        out_path.unlink()
        err_path.unlink()
        return done

    def ship(self, exe_name="SetupVTR.exe", folder=SHIP, packages=True, omit=(),
             outcome=None, workstation=False, short_wait=False) -> str:
        """Lays out the setup program (under the given name) and the packages as they ship,
        with the ACE engine's installer beside them; returns the program's Windows path.
        `omit` leaves packages out by file name; `outcome` ({"vtr3p.msi": "refused"}) ships a
        test package of packaging/outcome.wxs under a package's name; `workstation` ships the
        program of a workstation edition; `short_wait` the program whose silent runs wait 10
        seconds at most."""
        target = self.path(folder)
        target.mkdir(parents=True, exist_ok=True)
        program = self.env.setupvtr_workstation if workstation else self.env.setupvtr
        if short_wait:
            program = self.env.setupvtr_short_wait
        shutil.copy2(program, target / exe_name)
        if packages:
            for msi in sorted(self.env.packages.glob("*.msi")):
                if msi.name not in omit:
                    shutil.copy2(msi, target / msi.name)
            if ACE_INSTALLER not in omit:
                shutil.copy2(self.env.recorder, target / ACE_INSTALLER)
        for name, kind in (outcome or {}).items():
            shutil.copy2(self.env.packages / kind / name, target / name)
        return folder.rstrip("\\") + "\\" + exe_name

    def plant(self, name, folder=SHIP):
        """Puts the recording program into a folder under a given name (a program planted
        beside the setup program); returns its Windows path."""
        shutil.copy2(self.env.recorder, self.path(folder) / name)
        return folder + "\\" + name

    def plant_dlls(self, names, folder=SHIP):
        """Puts a DLL that records being loaded into a folder under each of the given system
        DLL names, and tells Wine to prefer such copies to its own, as Windows' search order
        would (Wine otherwise always loads its built-in system DLLs)."""
        for name in names:
            shutil.copy2(self.env.planted_dll, self.path(folder) / name)
        stems = ",".join(name.rsplit(".", 1)[0] for name in names)
        self.environment["WINEDLLOVERRIDES"] = f"mscoree,mshtml=;{stems}=n,b"

    def drive(self, exe, args=(), answers=(), inputs=(), steps=(), cmdline=None,
              close_windows=False, timeout=90, screenshots=True, window_shots=False,
              step_timeout=None, invisible_station=False, stderr=False,
              stdout=False, before_start=None, at_first_box=None) -> DriveResult:
        """Runs a program through vtrdrive, answering its boxes and doing the steps at its wizard
        window (see wizard.py); saves the transcript and a screenshot of every box under the
        test's artifacts folder. `invisible_station` starts it in a window station nobody sees,
        as a deployment tool running as the system account does; `stderr` gives it a standard
        error, whose text the result keeps as `program_stderr`; `stdout` likewise a standard
        output (`program_stdout`). `before_start(process_id)` is called while the program is
        started but has run none of its code, to prepare what its process id names.
        `at_first_box(text)` is called once the first message box is up and before it is
        answered, to change the machine meanwhile."""
        self.runs += 1
        run_dir = self.artifacts / f"run{self.runs}"
        run_dir.mkdir()
        command = [TOOLS + "\\vtrdrive.exe", "run", "--timeout", str(timeout)]
        for answer in answers:
            command += ["--answer", answer]
        for value in inputs:
            command += ["--input", value]
        if cmdline is not None:
            command += ["--cmdline", cmdline]
        for step in steps:
            words = [str(word) for word in step]
            if words[0] == "--screenshot" and "\\" not in words[1]:
                # A bare file name: the picture goes with the run's other artifacts.
                words[1] = self.unix_to_windows(run_dir / words[1])
            command += words
        if step_timeout is not None:
            command += ["--step-timeout", str(step_timeout)]
        if close_windows:
            command.append("--close-windows")
        if screenshots:
            command += ["--screenshot-dir", self.unix_to_windows(run_dir)]
        if window_shots:
            command.append("--window-shots")
        if invisible_station:
            command.append("--invisible-station")
        stderr_path = run_dir / "program-stderr.txt"
        if stderr:
            command += ["--stderr", self.unix_to_windows(stderr_path)]
        stdout_path = run_dir / "program-stdout.txt"
        if stdout:
            command += ["--stdout", self.unix_to_windows(stdout_path)]
        check(before_start is None or at_first_box is None, "one hold at a time")
        hold_path = run_dir / "hold.txt"
        on_hold = None
        if before_start is not None:
            command += ["--hold-start", self.unix_to_windows(hold_path)]
            on_hold = lambda text: before_start(int(text))  # noqa: E731
        if at_first_box is not None:
            command += ["--hold-box", self.unix_to_windows(hold_path)]
            on_hold = at_first_box
        command += ["--", exe, *args]
        if on_hold is None:
            done = self.wine(*command, timeout=timeout + 60)
        else:
            done = self._wine_holding(command, timeout + 60, hold_path, on_hold)
        lines = []
        for raw in done.stdout.decode("utf-8", "replace").splitlines():
            raw = raw.strip()
            if raw.startswith("{"):
                lines.append(json.loads(raw))
        program_stderr = None
        if stderr and stderr_path.exists():
            program_stderr = stderr_path.read_text(encoding="utf-8", errors="replace")
        result = DriveResult(lines, done.returncode, done.stderr.decode("utf-8", "replace"),
                             program_stderr)
        if stdout and stdout_path.exists():
            result.program_stdout = stdout_path.read_text(encoding="utf-8", errors="replace")
        (run_dir / "transcript.jsonl").write_text(result.transcript() + "\n", encoding="utf-8")
        self._convert_screenshots(run_dir, result)
        self.last_run = result
        return result

    def _wine_holding(self, command, timeout, hold_path, on_hold):
        """Runs vtrdrive --hold-start or --hold-box: once it has written the hold file (the
        suspended program's process id, or the box's text), calls on_hold with its text and
        deletes the file, which lets the driver go on."""
        finished = {}
        runner = threading.Thread(
            target=lambda: finished.update(done=self.wine(*command, timeout=timeout)))
        runner.start()
        deadline = time.monotonic() + timeout
        while runner.is_alive() and not hold_path.exists() and time.monotonic() < deadline:
            time.sleep(0.05)
        try:
            if hold_path.exists():
                time.sleep(0.1)  # the driver closes the file right after writing it
                on_hold(hold_path.read_text(encoding="utf-8"))
        finally:
            hold_path.unlink(missing_ok=True)
            runner.join()
        check("done" in finished, "vtrdrive did not run")
        return finished["done"]

    def _convert_screenshots(self, run_dir, result):
        for line in result.lines:
            shot = line.get("screenshot") or (line.get("step") == "screenshot" and line["file"])
            if not shot:
                continue
            bmp = run_dir / shot.rsplit("\\", 1)[-1]
            png = bmp.with_suffix(".png")
            if bmp.exists():
                subprocess.run(["convert", str(bmp), str(png)], capture_output=True)
                if png.exists():
                    bmp.unlink()
                    line["png"] = str(png)

    def msiexec(self, *args, timeout=180) -> int:
        """Runs Windows Installer and returns its full exit code (wine itself cuts exit codes
        to 8 bits)."""
        result = self.drive("C:\\windows\\system32\\msiexec.exe", args=args, timeout=timeout,
                            screenshots=False)
        result.check_finished()
        return result.exit_code

    def setup_logs(self, folder=OWN_LOG_FOLDER):
        """The setup logs in a folder (Windows Installer's logs beside them left out), by name: by
        default in the folder where LOG without a folder writes in an elevated run (the setup
        program runs elevated under Wine, not as the system account)."""
        return sorted(path for path in self.path(folder).glob("VTR Setup *.log")
                      if ".msi" not in path.name)

    # --- What the stubs recorded ---
    def calls(self):
        """The call log: one dict for each stub run, in the order they wrote."""
        log = self.path(CALL_LOG)
        if not log.exists():
            return []
        return [json.loads(line) for line in log.read_text(encoding="utf-8").splitlines()
                if line.strip()]

    def clear_calls(self):
        self.path(CALL_LOG).unlink(missing_ok=True)

    def wait_for_calls(self, done, what, timeout=60):
        """Waits until `done(calls)` holds and returns the calls. The setup program hands some
        programs without waiting for them (the program launched at Finish), so they may write
        after it ended."""
        deadline = time.monotonic() + timeout
        while True:
            calls = self.calls()
            if done(calls):
                return calls
            if time.monotonic() > deadline:
                raise Failure(f"{what} within {timeout} s; the calls recorded:\n    "
                              + "\n    ".join(json.dumps(c, ensure_ascii=False) for c in calls))
            time.sleep(0.3)

    def watch(self, *folders):
        """Makes the msiexec stand-in list the files under these folders whenever it starts."""
        self.path(WATCH_LIST).write_text("".join(f + "\r\n" for f in folders), encoding="utf-8")

    def exit_codes(self, codes):
        """Makes the recording program end with the given code under each file name
        ({"AccessDatabaseEngine2010_SP2.exe": 3010}) instead of 0."""
        self.path(EXIT_CODES).write_text(
            "".join(f"{name} {code}\r\n" for name, code in codes.items()), encoding="utf-8")

    def answer_msiexec(self, answers):
        """Makes the msiexec stand-in answer a command line that names a package with the given
        exit code ({"vtr3p.msi": 1618}) instead of running it."""
        self.path(TOOLS + "\\msiexec_answers.txt").write_text(
            "".join(f"{text} {code}\r\n" for text, code in answers.items()), encoding="utf-8")

    # --- Windows Installer ---
    def product_states(self, *codes):
        """What Windows Installer reports for each product code: 5 installed, -1 unknown."""
        done = self.wine("cscript", "//nologo", TOOLS + "\\product_state.js", *codes)
        states = {}
        for line in done.stdout.decode("utf-8", "replace").splitlines():
            fields = line.split()
            if len(fields) == 2 and fields[0] in codes:
                states[fields[0]] = int(fields[1])
        check(set(states) == set(codes),
              f"the product states could not be read: {done.stdout!r} {done.stderr!r}")
        return states

    # --- Registry ---
    @property
    def setup_view(self):
        """The registry view of the setup program under test: where the machine-wide keys it
        writes are."""
        return self.env.setup_view

    def _reg(self, verb, key, view, *args):
        if view == SHARED:
            # Either reg.exe reads and writes the same key: no flag. HKCU\Software\Classes is
            # merged into HKCR, which has a view of each kind.
            parts = key.upper().split("\\")
            check(len(parts) >= 3 and parts[0] in ("HKCU", "HKEY_CURRENT_USER")
                  and parts[1] == "SOFTWARE" and parts[2] != "CLASSES",
                  f"{key} is not a key that both registry views share: name its view")
            flags = ()
        else:
            check(view in (VIEW_32, VIEW_64), f"not a registry view: {view!r}")
            flags = (view,)
        return self.wine("reg", verb, key, *args, *flags)

    def reg_add(self, key, name, data, *, view):
        """Writes a text value in the given view (WINE_CONFIG, SHARED, self.setup_view)."""
        done = self._reg("add", key, view, "/v", name, "/d", data, "/f")
        check(done.returncode == 0, f"reg add {key} {name} failed: {done.stderr!r}")

    @staticmethod
    def _reg_missing(done, key, what):
        """Whether reg.exe answered that the key or value is not there. Any other failure is the
        test's own (reg.exe did not run, or not to its end), never taken for a missing value."""
        output = done.stdout.decode("utf-8", "replace")
        if done.returncode == 1 and "Unable to find the specified registry" in output:
            return True
        check(done.returncode == 0,
              f"reg query {key} {what} failed with {done.returncode}: stdout {output!r}, "
              f"stderr {done.stderr!r}")
        return False

    def reg_value(self, key, name, *, view):
        """The text of a registry value in the given view ("" names the key's default value), or
        None when the key or value is missing."""
        # The name "" is the key's default value, which reg.exe shows as "(Default)".
        done = self._reg("query", key, view, *(("/v", name) if name else ("/ve",)))
        if self._reg_missing(done, key, name or "(Default)"):
            return None
        for line in done.stdout.decode("utf-8", "replace").splitlines():
            fields = line.strip().split(None, 2)
            if (len(fields) >= 2 and fields[0] == (name or "(Default)")
                    and fields[1].startswith("REG_")):
                return fields[2] if len(fields) == 3 else ""
        raise Failure(f"reg query {key} {name or '(Default)'} ended with 0 but did not show the "
                      f"value: {done.stdout!r}")

    def key_exists(self, key, *, view):
        return not self._reg_missing(self._reg("query", key, view), key, "(the key)")

    def reg_delete(self, key, *, view, name=None):
        """Removes a key with everything below it, or only the named value."""
        args = ("/v", name, "/f") if name is not None else ("/f",)
        done = self._reg("delete", key, view, *args)
        check(done.returncode == 0, f"reg delete {key} {name or ''} failed: {done.stderr!r}")

    # --- Lifetime ---
    def stop(self):
        """Ends every Wine process of this prefix and waits for its server to go."""
        env = self.env.wine_env(self.prefix)
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=60)
        subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=60)

    def discard(self):
        """Removes the prefix copy; the artifacts (transcripts, screenshots) stay."""
        shutil.rmtree(self.prefix, ignore_errors=True)


_TESTS = []


def wine_test(function):
    """Marks a function `test(machine)` as a Wine test."""
    _TESTS.append(function)
    return function


def known_fault(reason):
    """Marks a Wine test that shows a fault of the program not mended yet. The run reports it
    as KNOWN (with what went wrong) instead of failing; once it passes it fails, saying the
    mark is to be removed, so the fault cannot be mended or come back unnoticed."""
    def mark(function):
        function.known_fault = reason
        return function
    return mark


def registered_tests():
    return list(_TESTS)
