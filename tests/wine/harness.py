"""What the Wine tests stand on: a fresh Windows (Wine prefix) for each test, the shipped
folder laid out as a user gets it, vtrdrive to play the user, and small assertion helpers.

Every test gets a `Machine`. Nothing here knows what the setup program should do; the tests
say that.
"""

import json
import os
import shutil
import subprocess
from pathlib import Path

CR = "\r"
CRLF = "\r\n"
TAB = "\t"

# Where the tools live inside every prefix (copied once into the base prefix).
TOOLS = "C:\\vtrtest"
# Where a test ships the setup program: a folder with a blank in its name, as users have.
SHIP = "C:\\Vantora Setup"

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

    def __init__(self, lines, status, stderr):
        self.lines = lines
        self.status = status  # vtrdrive's own exit status: 0 unless it had to give up
        self.stderr = stderr

    @property
    def boxes(self):
        return [line for line in self.lines if "box" in line]

    @property
    def windows(self):
        return [line for line in self.lines if "window" in line]

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
        check(self.status == 0 and self.exit_code is not None,
              f"the run did not finish (vtrdrive status {self.status})")
        unused = [line for line in self.lines if "unused_answers" in line]
        check(not unused, f"the program showed fewer boxes than the test answers: {unused}")


class Environment:
    """One test run: the build to test, the work folder and the base prefix."""

    def __init__(self, build: Path, work: Path, base: Path):
        self.build = build
        self.work = work
        self.base = base
        self.setupvtr = build / "SetupVTR.exe"
        self.vtrdrive = build / "tests" / "wine" / "vtrdrive.exe"
        self.vtrboxes = build / "tests" / "wine" / "vtrboxes.exe"
        self.packages = build / "packages"

    def prepare_base(self):
        """Puts the driver and its stand-in program into the base prefix, once."""
        tools = self.base / "drive_c" / "vtrtest"
        tools.mkdir(parents=True, exist_ok=True)
        for tool in (self.vtrdrive, self.vtrboxes):
            shutil.copy2(tool, tools / tool.name)

    def wine_env(self, prefix: Path):
        env = dict(os.environ)
        env["WINEPREFIX"] = str(prefix)
        env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        env.setdefault("WINEDEBUG", "-all")
        return env


class Machine:
    """A fresh Windows for one test: a copy of the base prefix, thrown away afterwards."""

    def __init__(self, env: Environment, name: str):
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
        self.last_run = None
        # One Wine server (and its services) for the whole test rather than a new one for each
        # program: that alone saves seconds per run.
        subprocess.run(["wineserver", "-p"], env=env.wine_env(self.prefix),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    # --- Paths ---
    def path(self, windows_path: str) -> Path:
        """The Linux path of a file on the prefix's C: drive."""
        drive, _, rest = windows_path.partition(":")
        check(drive.upper() == "C", f"not a C: path: {windows_path}")
        parts = [p for p in rest.replace("/", "\\").split("\\") if p]
        return self.prefix.joinpath("drive_c", *parts)

    @staticmethod
    def unix_to_windows(path: Path) -> str:
        return "Z:" + str(path).replace("/", "\\")

    # --- Running ---
    def wine(self, *args, timeout=180):
        """Runs a Windows program with wine and waits for it; returns its completed process
        with stdout and stderr as bytes. The output goes through files, not pipes: Wine's
        background services inherit the handles and would hold a pipe open long after the
        program ended."""
        out_path = self.folder / "wine.out"
        err_path = self.folder / "wine.err"
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            done = subprocess.run(["wine", *args], env=self.env.wine_env(self.prefix),
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                  timeout=timeout)
        done.stdout = out_path.read_bytes()
        done.stderr = err_path.read_bytes()
        return done

    def ship(self, exe_name="SetupVTR.exe", folder=SHIP, packages=True) -> str:
        """Lays out the setup program (under the given name) and the packages as they ship;
        returns the program's Windows path."""
        target = self.path(folder)
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.env.setupvtr, target / exe_name)
        if packages:
            for msi in sorted(self.env.packages.glob("*.msi")):
                shutil.copy2(msi, target / msi.name)
        return folder + "\\" + exe_name

    def drive(self, exe, args=(), answers=(), inputs=(), cmdline=None, close_windows=False,
              timeout=90, screenshots=True) -> DriveResult:
        """Runs a program through vtrdrive, answering its boxes; saves the transcript and a
        screenshot of every box under the test's artifacts folder."""
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
        if close_windows:
            command.append("--close-windows")
        if screenshots:
            command += ["--screenshot-dir", self.unix_to_windows(run_dir)]
        command += ["--", exe, *args]
        done = self.wine(*command, timeout=timeout + 60)
        lines = []
        for raw in done.stdout.decode("utf-8", "replace").splitlines():
            raw = raw.strip()
            if raw.startswith("{"):
                lines.append(json.loads(raw))
        result = DriveResult(lines, done.returncode, done.stderr.decode("utf-8", "replace"))
        (run_dir / "transcript.jsonl").write_text(result.transcript() + "\n", encoding="utf-8")
        self._convert_screenshots(run_dir, result)
        self.last_run = result
        return result

    def _convert_screenshots(self, run_dir, result):
        for line in result.boxes:
            shot = line.get("screenshot")
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

    # --- Registry ---
    def reg_add(self, key, name, data):
        done = self.wine("reg", "add", key, "/v", name, "/d", data, "/f")
        check(done.returncode == 0, f"reg add {key} {name} failed: {done.stderr!r}")

    def reg_value(self, key, name):
        """The text of a registry value, or None when the key or value is missing."""
        done = self.wine("reg", "query", key, "/v", name)
        if done.returncode != 0:
            return None
        for line in done.stdout.decode("utf-8", "replace").splitlines():
            fields = line.strip().split(None, 2)
            if len(fields) >= 2 and fields[0] == name and fields[1].startswith("REG_"):
                return fields[2] if len(fields) == 3 else ""
        return None

    def key_exists(self, key):
        return self.wine("reg", "query", key).returncode == 0

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


def registered_tests():
    return list(_TESTS)
