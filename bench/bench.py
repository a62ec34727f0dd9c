"""The benchmark's measuring and reporting (bench/run.sh builds everything and starts this).

Three comparisons, each interleaved round by round so a busy moment of the machine touches
all sides alike, and an account of the executable's size:
  1. start to first visible window: SetupVTR.exe, an empty window, an NSIS MUI2 installer
     (plus the start-up breakdown from bench_startup_trace.exe);
  2. a silent "S DB" against the same two msiexec command lines started directly, each in a
     fresh prefix, with the small test packages and with packages of realistic size;
  3. the shipped executable's stripped size and what takes its space.
Results go to results.md in the output folder and to standard output.
"""

import argparse
import collections
import datetime
import platform
import re
import shutil
import statistics
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "tests" / "wine"))
from harness import clone_prefix  # noqa: E402  (the Wine tests' prefix copy)

SHIP = "C:\\Vantora Setup"
# The protected cache the package check copies into, as setup does.
CACHE = "C:\\ProgramData\\Vantora\\Setup Cache\\bench"
SYSTEM = "C:\\windows\\syswow64"
PROGRAM_FOLDER = "C:\\Program Files (x86)\\Vantora Contact Management"
DATA_TARGET = "C:\\ProgramData"
STAGES = ["process", "libraries", "com", "installer", "detection", "core", "window", "paint",
          "deferred"]
GOALS = {"size_kb": 400, "vs_nsis": 0.95, "vs_empty": 1.5, "silent_ms": 200, "check": 0.05}
BEFORE = "SetupVTR before"


class Prefix:
    """A fresh copy of the base prefix with the shipped folder laid out in it."""

    def __init__(self, base: Path, folder: Path):
        if folder.exists():
            shutil.rmtree(folder)
        folder.mkdir(parents=True)
        self.path = folder / "prefix"
        clone_prefix(base, self.path)
        self.env = {"WINEPREFIX": str(self.path), "WINEDEBUG": "-all",
                    "WINEDLLOVERRIDES": "mscoree,mshtml="}
        subprocess.run(["wineserver", "-p"], env=self.full_env(), check=True, timeout=60)

    def full_env(self, extra=None):
        import os
        env = dict(os.environ)
        env.update(self.env)
        env.update(extra or {})
        return env

    def file(self, windows_path):
        parts = [p for p in windows_path.partition(":")[2].split("\\") if p]
        return self.path.joinpath("drive_c", *parts)

    def put(self, source: Path, windows_path):
        target = self.file(windows_path)
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(source, target)

    def wine(self, *args, extra_env=None, timeout=600):
        done = subprocess.run(["wine", *args], env=self.full_env(extra_env),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=timeout)
        return done.stdout.decode("utf-8", "replace")

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.full_env(), timeout=60)
        subprocess.run(["wineserver", "-w"], env=self.full_env(), timeout=60)
        shutil.rmtree(self.path.parent, ignore_errors=True)


def summary(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values),
            "n": len(values)}


def fmt(s):
    return f"{s['median']:.0f} ms (min {s['min']:.0f}, max {s['max']:.0f}, n {s['n']})"


def ship(prefix: Prefix, build: Path, packages: Path, exe: Path = None):
    """SetupVTR.exe (the build's, or the one given) and its packages as they ship, and the
    product's components in the system folder (the Wine tests' recording stubs), so a silent run
    goes through to its end."""
    prefix.put(exe or build / "SetupVTR.exe", SHIP + "\\SetupVTR.exe")
    for msi in ("vtr3p.msi", "vtr3db.msi", "vtr3l.msi", "vtr3dbl.msi"):
        source = packages / msi
        if not source.exists():
            source = build / "packages" / msi
        prefix.put(source, SHIP + "\\" + msi)
    tools = build / "tests" / "wine"
    prefix.put(tools / "vtrrecorder.exe", SHIP + "\\AccessDatabaseEngine2010_SP2.exe")
    prefix.put(tools / "vtrrecorder.exe", SYSTEM + "\\wodUpdSv.exe")
    prefix.put(tools / "vtrcomponent.dll", SYSTEM + "\\vtremail.dll")
    prefix.put(tools / "vtrcomponent.dll", SYSTEM + "\\mscomm32.ocx")
    prefix.file("C:\\vtrtest").mkdir(parents=True, exist_ok=True)
    prefix.put(build / "bench" / "bench_launch.exe", "C:\\bench\\bench_launch.exe")


def measure_windows(args, work):
    prefix = Prefix(args.base, work / "window")
    try:
        ship(prefix, args.build, args.build / "packages")
        prefix.put(args.build / "bench" / "bench_empty.exe", "C:\\bench\\empty.exe")
        prefix.put(args.nsis, "C:\\bench\\nsis_installer.exe")
        prefix.put(args.build / "bench" / "bench_startup_trace.exe",
                   SHIP + "\\bench_startup_trace.exe")
        programs = {"SetupVTR": SHIP + "\\SetupVTR.exe", "empty window": "C:\\bench\\empty.exe",
                    "NSIS MUI2": "C:\\bench\\nsis_installer.exe"}
        if args.before:
            # Beside the other, under a name that changes nothing of what it does.
            prefix.put(args.before, SHIP + "\\SetupVTR0.exe")
            programs[BEFORE] = SHIP + "\\SetupVTR0.exe"
        names = list(programs)
        # One round more than asked: the first warms Wine's caches and is not counted.
        out = prefix.wine("C:\\bench\\bench_launch.exe", "window", str(args.rounds + 1),
                          *programs.values())
        times = collections.defaultdict(list)
        for line in out.splitlines():
            parts = line.split()
            if parts[:1] == ["window"] and int(parts[2]) > 0:
                times[names[int(parts[1])]].append(float(parts[3]))
            elif parts[:1] == ["error"]:
                raise SystemExit(f"window benchmark: {line}")
        # The breakdown: the traced start, as many times, in the same prefix.
        trace = work / "trace.txt"
        trace.unlink(missing_ok=True)
        exe = SHIP + "\\bench_startup_trace.exe"
        triples = [exe, f'"{exe}"', SHIP] * (args.rounds + 1)
        prefix.wine("C:\\bench\\bench_launch.exe", "run", *triples,
                    extra_env={"VTR_BENCH_TRACE": "Z:" + str(trace).replace("/", "\\")})
        stages = collections.defaultdict(list)
        blocks = [b for b in trace.read_text().split("\n\n") if b.strip()][1:]
        for block in blocks:
            for line in block.splitlines():
                name, value = line.split()
                stages[name].append(float(value))
        return {name: summary(values) for name, values in times.items()}, \
            {name: summary(stages[name]) for name in STAGES if stages[name]}
    finally:
        prefix.close()


def silent_run(args, work, packages: Path, direct: bool, exe: Path = None):
    prefix = Prefix(args.base, work / "silent")
    try:
        ship(prefix, args.build, packages, exe)
        launch = "C:\\bench\\bench_launch.exe"
        if direct:
            msiexec = SYSTEM + "\\msiexec.exe"
            lines = [f'msiexec.exe /I "{SHIP}\\vtr3p.msi" ALLUSERS=2 TARGETDIR="{PROGRAM_FOLDER}" /qn',
                     f'msiexec.exe /I "{SHIP}\\vtr3db.msi" ALLUSERS=2 TARGETDIR="{DATA_TARGET}" /qn']
            triples = [x for line in lines for x in (msiexec, line, SYSTEM)]
        else:
            exe = SHIP + "\\SetupVTR.exe"
            triples = [exe, f'"{exe}" S DB', SHIP]
        out = prefix.wine(launch, "run", *triples)
        codes = [int(p.split()[3]) for p in out.splitlines() if p.startswith("run ")]
        total = [float(p.split()[1]) for p in out.splitlines() if p.startswith("total ")]
        stamp = prefix.file(PROGRAM_FOLDER + "\\vtr3 package.txt")
        if not total or any(codes) or not stamp.exists():
            raise SystemExit(f"silent benchmark ({'direct' if direct else 'S DB'}, "
                             f"{packages.name}): exit codes {codes}, program installed: "
                             f"{stamp.exists()}\n{out}")
        return total[0]
    finally:
        prefix.close()


def measure_silent(args, work):
    results = {}
    for label, packages in (("small test packages", args.build / "packages"),
                            ("realistic packages", args.build / "packages" / "large")):
        sides = ["S DB", "msiexec direct"] + (["S DB before"] if args.before else [])
        times = {side: [] for side in sides}
        for round_ in range(args.rounds):
            # Turn the order round each round, so no side always follows the same other.
            order = sides[round_ % len(sides):] + sides[:round_ % len(sides)]
            for side in order:
                exe = args.before if side == "S DB before" else None
                times[side].append(silent_run(args, work, packages, side == "msiexec direct", exe))
            print(f"  silent {label} round {round_ + 1}: "
                  + ", ".join(f"{side} {times[side][-1]:.0f} ms" for side in sides), flush=True)
        size = sum((packages / m).stat().st_size for m in ("vtr3p.msi", "vtr3db.msi"))
        results[label] = {side: summary(values) for side, values in times.items()}
        results[label]["bytes"] = size
    return results


def measure_check(args, work):
    """The package check of a release build (each package held, its SHA-256 and its product
    code) on the realistic packages, and beside it, in turn in the same rounds, the same check
    made on copies in the protected cache (both packages copied at once and hashed as they are
    written, then each copy's product code), timed by bench_package_check.exe in one prefix; the
    first round warms the caches and is not counted."""
    prefix = Prefix(args.base, work / "check")
    try:
        ship(prefix, args.build, args.build / "packages" / "large")
        prefix.put(args.build / "bench" / "bench_package_check.exe",
                   "C:\\bench\\bench_package_check.exe")
        out = prefix.wine("C:\\bench\\bench_package_check.exe", str(args.rounds + 1),
                          "--copy", CACHE, SHIP + "\\vtr3p.msi", SHIP + "\\vtr3db.msi")
        results = {}
        for kind in ("check", "copy"):
            times = [float(line.split()[1]) for line in out.splitlines()
                     if line.startswith(kind + " ")]
            if len(times) != args.rounds + 1:
                raise SystemExit(f"package check benchmark: {out}")
            results[kind] = summary(times[1:])
        return results
    finally:
        prefix.close()


def size_report(build: Path, objdump: str):
    exe = build / "SetupVTR.exe"
    sections = []
    for line in subprocess.run([objdump, "-h", str(exe)], capture_output=True, text=True,
                               check=True).stdout.splitlines():
        m = re.match(r"\s*\d+\s+(\S+)\s+([0-9a-f]+)\s", line)
        if m:
            sections.append((m.group(1), int(m.group(2), 16)))
    parts = collections.Counter()
    pending = None
    mapfile = build / "SetupVTR.map"
    for line in mapfile.read_text(errors="replace").splitlines() if mapfile.exists() else []:
        if pending:
            m = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S+)", line)
            section, pending = pending, None
            if not m:
                continue
            address, length, origin = m.groups()
        else:
            m = re.match(r"^ (\.[\w$.]+)\s*$", line)
            if m:
                pending = m.group(1)
                continue
            m = re.match(r"^ (\.[\w$.]+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S+)", line)
            if not m:
                continue
            section, address, length, origin = m.groups()
        if section.startswith((".bss", ".debug")) or int(address, 16) == 0:
            continue
        parts[re.sub(r".*/", "", origin)] += int(length, 16)
    return {"bytes": exe.stat().st_size, "sections": sections,
            "largest": parts.most_common(15)}


def report(args, windows, stages, silent, check, sizes):
    now = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    cpu = "unknown CPU"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    lines = [f"# Benchmark results, {now}", "",
             f"Machine: {cpu}, {subprocess.run(['nproc'], capture_output=True, text=True).stdout.strip()} cores, "
             f"{platform.system()} {platform.release()}, {wine}; "
             f"load average at the end {open('/proc/loadavg').read().split()[0]}.",
             f"Measured build: {args.build.name} ({args.build_note}); {args.rounds} rounds, "
             "interleaved; medians with min and max.", ""]
    ok = lambda met: "met" if met else "MISSED"  # noqa: E731

    lines += ["## 1. Start to first visible window", "",
              "| program | time |", "|---|---|"]
    lines += [f"| {name} | {fmt(s)} |" for name, s in windows.items()]
    lines.append("")
    for name in ("SetupVTR", BEFORE):
        if name not in windows:
            continue
        setup = windows[name]["median"]
        vs_nsis = setup / windows["NSIS MUI2"]["median"]
        vs_empty = setup / windows["empty window"]["median"]
        lines += [f"{name} / NSIS: {vs_nsis:.2f}x (goal <= {GOALS['vs_nsis']}x: "
                  f"{ok(vs_nsis <= GOALS['vs_nsis'])}); {name} / empty window: {vs_empty:.2f}x "
                  f"(goal <= {GOALS['vs_empty']}x: {ok(vs_empty <= GOALS['vs_empty'])})", ""]

    lines += ["## Start-up breakdown (bench_startup_trace.exe, medians)", "",
              "| stage | what | time |", "|---|---|---|"]
    what = {"process": "CreateProcess to wWinMain (loader, C runtime)",
            "libraries": "preloading system DLLs",
            "com": "CoInitializeEx",
            "installer": "the installer COM object and its ProductState calls",
            "detection": "other calls to Windows (settings, folders, version)",
            "core": "the program's own work before the window",
            "window": "loading the common controls, building the form and showing it",
            "paint": "painting the first panel",
            "deferred": "after the first paint, before the user's first action: the rest of "
                        "the system DLLs and the controls of the other panels"}
    lines += [f"| {name} | {what[name]} | {fmt(s)} |" for name, s in stages.items()]
    shown = sum(s["median"] for name, s in stages.items() if name != "deferred")
    lines += ["", f"Sum of medians up to the painted first panel: {shown:.0f} ms", ""]

    lines += ["## 2. Silent S DB against msiexec started directly", "",
              "| packages | run | time | ratio | overhead |", "|---|---|---|---|---|"]
    for label, r in silent.items():
        direct = r["msiexec direct"]["median"]
        lines.append(f"| {label} ({r['bytes'] / 1e6:.1f} MB) | msiexec direct | "
                     f"{fmt(r['msiexec direct'])} | | |")
        for side in ("S DB", "S DB before"):
            if side in r:
                ratio = r[side]["median"] / direct
                overhead = r[side]["median"] - direct
                r.setdefault("overhead", overhead)
                lines.append(f"| | {side} | {fmt(r[side])} | {ratio:.3f}x | {overhead:+.0f} ms |")
    real = silent["realistic packages"]
    lines += ["", f"Goal with realistic packages: overhead <= {GOALS['silent_ms']} ms: "
              f"{ok(real['overhead'] <= GOALS['silent_ms'])} ({real['overhead']:+.0f} ms, "
              "package check of a release build not included: see below)", ""]

    alone, copied = check["check"], check["copy"]
    share = alone["median"] / real["S DB"]["median"]
    added = copied["median"] - alone["median"]
    lines += ["## Package check of a release build (realistic packages)", "",
              f"Holding both packages, their SHA-256 (CNG) and their product codes: {fmt(alone)}, "
              f"{share:.1%} of a silent S DB ({real['S DB']['median']:.0f} ms; goal <= "
              f"{GOALS['check']:.0%}: {ok(share <= GOALS['check'])}). The S DB above is a "
              "developer's build, which reads the product codes but takes no SHA-256.", "",
              "Copying both packages into the protected cache at once, each hashed as it is "
              f"written and flushed, then each copy's product code: {fmt(copied)}, "
              f"{added:+.0f} ms on the check alone (goal: at most half of the check alone, "
              f"{alone['median'] / 2:+.0f} ms: {ok(added <= alone['median'] / 2)}).", ""]

    lines += ["## 3. Size of the shipped SetupVTR.exe (stripped)", ""]
    for name, s in sizes.items():
        lines += [f"### {name}: {s['bytes']:,} bytes ({s['bytes'] / 1024:.0f} KB)", "",
                  "Sections: " + ", ".join(f"{n} {b:,}" for n, b in s["sections"]), "",
                  "| largest parts (from the link map) | bytes |", "|---|---|"]
        lines += [f"| {part} | {b:,} |" for part, b in s["largest"]]
        lines.append("")
    shipped = sizes.get("i686 (shipped)")
    if shipped:
        lines += [f"Goal <= {GOALS['size_kb']} KB for the shipped i686 build: "
                  f"{ok(shipped['bytes'] <= GOALS['size_kb'] * 1024)}", ""]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", type=Path, required=True, help="the build Wine runs")
    parser.add_argument("--build-note", default="")
    parser.add_argument("--size-build", type=Path, action="append", default=[],
                        help="NAME=DIR=OBJDUMP of a build whose size to report")
    parser.add_argument("--base", type=Path, required=True, help="a booted base prefix")
    parser.add_argument("--nsis", type=Path, required=True)
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--before", type=Path,
                        help="another SetupVTR.exe of the same kind, measured side by side")
    parser.add_argument("--out", type=Path, required=True)
    args = parser.parse_args()
    work = args.out / "work"
    work.mkdir(parents=True, exist_ok=True)

    sizes = {}
    for spec in args.size_build:
        name, folder, objdump = str(spec).split("=")
        sizes[name] = size_report(Path(folder), objdump)
    print("== start to first visible window", flush=True)
    windows, stages = measure_windows(args, work)
    print("== silent S DB against msiexec direct", flush=True)
    silent = measure_silent(args, work)
    print("== the package check of a release build", flush=True)
    check = measure_check(args, work)
    text = report(args, windows, stages, silent, check, sizes)
    (args.out / "results.md").write_text(text + "\n")
    print(text)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
