#!/usr/bin/env python3
"""Runs every scenario with two vtrsim binaries and checks that the program does the same.

Each transcript is cut down to its actions: the calls that change something or that the user
sees (a process started and how it ended, a shell call, a setting written, a file or folder made
or moved, a box or the folder picker with its text and answer, the wizard window, a line written
to standard error or the setup log) and the lines that are not calls (the user's events, form
snapshots, the exit code and the final state). Which operation is an action is vtrsim's own
list (`vtrsim --operations`), the one a scenario's "pin": "actions" uses too. The queries, the
calls that only ask, may come and go or move: which ones did is reported, for information.

    compare_actions.py [options] OLD NEW [SCENARIO ...]

OLD and NEW are each a vtrsim executable or a git revision of this repository, from which vtrsim
is built into a temporary folder (`cmake --preset native`, target vtrsim). The scenarios are
those under tests/scenarios (or the ones named), run by both as full transcripts: their "pin"
field is taken out, so a vtrsim older than that field plays them as well.

With --expected, OLD and NEW are git revisions and nothing is run: the expected transcripts
committed at each are compared, cut down to their actions. That shows whether re-pinning or
re-blessing the expected files lost an action.

The status is 0 when every scenario's actions are the same, 1 when any differ or a scenario
could not be played by one side, 2 when the comparison could not be made.
"""
import argparse
import collections
import concurrent.futures
import difflib
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

REPO = pathlib.Path(__file__).resolve().parent.parent
SCENARIOS = REPO / "tests" / "scenarios"


class Trouble(Exception):
    """The comparison cannot be made (status 2)."""


def git(*args, text=True):
    result = subprocess.run(["git", "-C", str(REPO), *args], capture_output=True, text=text)
    if result.returncode != 0:
        raise Trouble("git %s: %s" % (" ".join(args), result.stderr.strip()))
    return result.stdout


def build_revision(revision, work, jobs):
    """Builds vtrsim from a git revision into work/REV; returns its path."""
    commit = git("rev-parse", "--verify", revision + "^{commit}").strip()
    source = work / ("src-" + commit[:12])
    source.mkdir()
    archive = subprocess.run(["git", "-C", str(REPO), "archive", "--format=tar", commit],
                             capture_output=True, check=True).stdout
    subprocess.run(["tar", "-x", "-C", str(source)], input=archive, check=True)
    log = work / ("build-" + commit[:12] + ".log")
    print("building vtrsim of %s (%s) ..." % (revision, commit[:12]), file=sys.stderr)
    with open(log, "w") as out:
        for command in (["cmake", "--preset", "native"],
                        ["cmake", "--build", "--preset", "native", "--target", "vtrsim",
                         "--parallel", str(jobs)]):
            if subprocess.run(command, cwd=source, stdout=out, stderr=subprocess.STDOUT).returncode:
                tail = log.read_text(errors="replace").splitlines()[-20:]
                raise Trouble("building vtrsim of %s failed:\n  %s" % (revision, "\n  ".join(tail)))
    return source / "build" / "native" / "vtrsim"


def side(argument, work, jobs):
    """A vtrsim to run: the executable named, or one built from the revision named."""
    path = pathlib.Path(argument)
    if path.is_file():
        if not os.access(path, os.X_OK):
            raise Trouble("%s is not executable" % argument)
        return path.resolve()
    return build_revision(argument, work, jobs)


def operation_kinds(candidates):
    """{op: "action" | "query"} from the first vtrsim that knows --operations."""
    for vtrsim in candidates:
        if vtrsim is None or not pathlib.Path(vtrsim).is_file():
            continue
        result = subprocess.run([str(vtrsim), "--operations"], capture_output=True, text=True)
        if result.returncode == 0:
            return json.loads(result.stdout)
    raise Trouble("no vtrsim at hand knows --operations (give one with --kinds-from)")


def is_action(line, kinds, unknown):
    """Lines that are not calls always count; so does an operation the list does not know."""
    op = line.get("op")
    if op is None:
        return True
    if op not in kinds:
        unknown.add(op)
    return kinds.get(op) != "query"


def play(vtrsim, scenario, work):
    """The full transcript of a scenario (its lines as text), or raises Trouble with the reason."""
    data = json.loads(scenario.read_text(encoding="utf-8"))
    data.pop("pin", None)
    fd, played = tempfile.mkstemp(suffix=".json", dir=work)
    with os.fdopen(fd, "w", encoding="utf-8") as f:
        json.dump(data, f, ensure_ascii=False)
    transcript = played[:-len(".json")] + ".jsonl"
    try:
        result = subprocess.run([str(vtrsim), played, "-o", transcript], capture_output=True,
                                text=True, timeout=120)
        # 3: the program let an error escape; the transcript says so in its last lines.
        if result.returncode not in (0, 3):
            raise Trouble("vtrsim ended with status %d: %s"
                          % (result.returncode, result.stderr.strip()))
        return pathlib.Path(transcript).read_text(encoding="utf-8").splitlines()
    finally:
        for name in (played, transcript):
            if os.path.exists(name):
                os.remove(name)


def split(lines, kinds, unknown):
    actions, queries = [], []
    for text in lines:
        (actions if is_action(json.loads(text), kinds, unknown) else queries).append(text)
    return actions, queries


def op_of(text):
    return json.loads(text).get("op", "?")


def query_changes(old, new):
    """What happened to the queries, in words, or None when they are the same."""
    if old == new:
        return None
    removed, added = collections.Counter(), collections.Counter()
    matcher = difflib.SequenceMatcher(None, old, new, autojunk=False)
    for tag, i1, i2, j1, j2 in matcher.get_opcodes():
        if tag != "equal":
            removed.update(old[i1:i2])
            added.update(new[j1:j2])
    moved = removed & added
    parts = []
    for word, lines in (("moved", moved), ("gone", removed - moved), ("new", added - moved)):
        by_op = collections.Counter()
        for text, count in lines.items():
            by_op[op_of(text)] += count
        if by_op:
            counts = ", ".join("%d %s" % (n, op) for op, n in sorted(by_op.items()))
            parts.append(word + " " + counts)
    return "; ".join(parts)


def indent(lines, prefix="    "):
    return "\n".join(prefix + line for line in lines)


def compare(name, old, new, kinds, unknown, verbose):
    """Prints what differs for one scenario; returns (actions same, queries changed)."""
    old_actions, old_queries = split(old, kinds, unknown)
    new_actions, new_queries = split(new, kinds, unknown)
    same = old_actions == new_actions
    queries = query_changes(old_queries, new_queries)
    if same and not queries and not verbose:
        return True, False
    print("%s %s" % ("same   " if same else "DIFFER ", name))
    if not same:
        print(indent(difflib.unified_diff(old_actions, new_actions, "old actions", "new actions",
                                          lineterm="")))
    if queries:
        print("    queries (for information): " + queries)
        if verbose:
            print(indent(difflib.unified_diff(old_queries, new_queries, "old queries",
                                              "new queries", lineterm=""), "      "))
    return same, queries is not None


def scenario_files(named, folder):
    if named:
        return [pathlib.Path(p).resolve() for p in named]
    return sorted(p for p in folder.rglob("*.json") if ".expected." not in p.name)


def name_of(path, folder):
    try:
        return str(path.relative_to(folder).with_suffix(""))
    except ValueError:
        return str(path)


def run_both(opts, work):
    """[(name, old lines or error, new lines or error)] for every scenario."""
    old_vtrsim, new_vtrsim = side(opts.old, work, opts.jobs), side(opts.new, work, opts.jobs)
    kinds = operation_kinds([opts.kinds_from, new_vtrsim, old_vtrsim])
    folder = pathlib.Path(opts.scenarios).resolve()
    scenarios = scenario_files(opts.scenario, folder)
    if not scenarios:
        raise Trouble("no scenarios under %s" % folder)

    def both(scenario):
        results = []
        for vtrsim in (old_vtrsim, new_vtrsim):
            try:
                results.append(play(vtrsim, scenario, work))
            except Trouble as e:
                results.append(e)
            except (subprocess.TimeoutExpired, ValueError) as e:
                results.append(Trouble(str(e)))
        return (name_of(scenario, folder), *results)

    with concurrent.futures.ThreadPoolExecutor(max_workers=opts.jobs) as pool:
        return kinds, list(pool.map(both, scenarios))


def expected_at(revision, folder):
    """{name: lines} of the expected transcripts committed at a revision."""
    prefix = str(folder.relative_to(REPO)).replace(os.sep, "/")
    commit = git("rev-parse", "--verify", revision + "^{commit}").strip()
    files = {}
    for path in git("ls-tree", "-r", "--name-only", commit, "--", prefix).splitlines():
        if path.endswith(".expected.jsonl"):
            name = path[len(prefix) + 1:-len(".expected.jsonl")]
            files[name] = git("show", commit + ":" + path).splitlines()
    if not files:
        raise Trouble("no expected transcripts under %s at %s" % (prefix, revision))
    return files


def both_expected(opts):
    kinds = operation_kinds([opts.kinds_from, REPO / "build" / "native" / "vtrsim"])
    folder = pathlib.Path(opts.scenarios).resolve()
    old, new = expected_at(opts.old, folder), expected_at(opts.new, folder)
    missing = Trouble("no expected transcript")
    names = sorted(set(old) | set(new))
    if opts.scenario:
        wanted = {name_of(path, folder) for path in scenario_files(opts.scenario, folder)}
        names = [n for n in names if n in wanted]
    return kinds, [(n, old.get(n, missing), new.get(n, missing)) for n in names]


def main():
    parser = argparse.ArgumentParser(
        description=__doc__.split("\n\n")[0],
        formatter_class=argparse.RawDescriptionHelpFormatter,
        epilog="\n\n".join(__doc__.split("\n\n")[1:]))
    parser.add_argument("old", metavar="OLD", help="vtrsim executable or git revision")
    parser.add_argument("new", metavar="NEW", help="vtrsim executable or git revision")
    parser.add_argument("scenario", nargs="*", help="scenario files (default: all)")
    parser.add_argument("--scenarios", default=str(SCENARIOS), metavar="DIR",
                        help="the folder of the scenarios (default: tests/scenarios)")
    parser.add_argument("--expected", action="store_true",
                        help="compare the expected transcripts committed at OLD and NEW")
    parser.add_argument("--kinds-from", metavar="VTRSIM",
                        help="the vtrsim whose --operations says which calls are actions "
                        "(default: NEW, else OLD, else build/native/vtrsim)")
    parser.add_argument("--jobs", type=int, default=2,
                        help="scenarios run (and compile jobs) side by side")
    parser.add_argument("-v", "--verbose", action="store_true",
                        help="name every scenario and show the queries' differences")
    opts = parser.parse_args()

    work = pathlib.Path(tempfile.mkdtemp(prefix="compare_actions."))
    try:
        kinds, runs = both_expected(opts) if opts.expected else run_both(opts, work)
    except Trouble as e:
        print("compare_actions: %s" % e, file=sys.stderr)
        return 2
    finally:
        shutil.rmtree(work, ignore_errors=True)

    unknown = set()
    differ, unplayed, queries_changed = [], [], 0
    for name, old, new in runs:
        troubles = [(which, result) for which, result in (("old", old), ("new", new))
                    if isinstance(result, Trouble)]
        if troubles:
            for which, trouble in troubles:
                print("FAILED  %s: %s: %s" % (name, which, trouble))
            unplayed.append(name)
            continue
        same, queries = compare(name, old, new, kinds, unknown, opts.verbose)
        if not same:
            differ.append(name)
        queries_changed += queries
    if unknown:
        print("note: operations vtrsim --operations does not list, counted as actions: "
              + ", ".join(sorted(unknown)))
    print("%d scenarios: actions the same in %d, different in %d%s; queries changed in %d"
          % (len(runs), len(runs) - len(differ) - len(unplayed), len(differ),
             ", not compared in %d" % len(unplayed) if unplayed else "", queries_changed))
    return 1 if differ or unplayed else 0


if __name__ == "__main__":
    sys.exit(main())
