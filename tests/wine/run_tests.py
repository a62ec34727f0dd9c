"""Runs the Wine tests: each test in its own copy of the base prefix, as many side by side as
X servers are given (each test on one of them; the default is the display of the environment).

    python3 run_tests.py --build BUILD --work WORK --base BASE_PREFIX [--displays :1,:2] [NAME...]

Prints PASS or FAIL (with the reason and the last transcript) for each test and ends with
"wine: N passed, N failed". A test's screenshots and transcripts stay in WORK/<test>/artifacts;
the prefix copy of a passing test is removed, that of a failing one is kept for a look.
"""

import argparse
import importlib
import os
import queue
import sys
import threading
import time
import traceback
from pathlib import Path

import harness

TEST_MODULES = ["test_driver", "test_packages", "test_startup", "test_engine", "test_wizard",
                "test_deploy", "test_release", "test_every_user", "test_cache", "test_workstation",
                "test_launch", "test_running", "test_entries"]


def run_one(env, test, display, folder):
    """Runs one test in a fresh machine; returns ("passed" | "known" | "failed", the line or
    block of text to print)."""
    name = test.__name__
    started = time.monotonic()
    reason = None
    broken = False
    machine = None
    try:
        machine = harness.Machine(env, folder, display)
        test(machine)
    except harness.Failure as failure:
        reason = str(failure)
    except Exception:  # a broken test is a failed test, with its traceback
        reason = traceback.format_exc()
        broken = True
    finally:
        if machine is not None:
            machine.stop()
    seconds = time.monotonic() - started
    fault = getattr(test, "known_fault", None)
    if fault is not None:
        if reason is None:
            reason = (f"passes, but is marked as showing a known fault ({fault}): "
                      "remove the mark")
        elif not broken:
            machine.discard()
            return "known", (f"KNOWN {name} ({seconds:.1f} s): {fault}\n  "
                             + reason.replace("\n", "\n  "))
    if reason is None:
        machine.discard()
        return "passed", f"PASS {name} ({seconds:.1f} s)"
    text = f"FAIL {name} ({seconds:.1f} s): {reason}"
    if machine is not None and machine.last_run is not None:
        text += "\n  last run:\n    " + machine.last_run.transcript().replace("\n", "\n    ")
    if machine is not None:
        text += f"\n  prefix and screenshots kept in {machine.folder}"
    return "failed", text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--base", required=True, type=Path)
    parser.add_argument("--displays", default="",
                        help="X displays to run tests on side by side, separated by commas")
    parser.add_argument("names", nargs="*", help="run only tests whose name contains one of these")
    options = parser.parse_args()

    env = harness.Environment(options.build.resolve(), options.work.resolve(),
                              options.base.resolve())
    for needed in env.needed_files():
        if not needed.exists():
            print(f"FAIL wine setup: {needed} is missing (build the {options.build.name} preset "
                  "first)")
            print("wine: 0 passed, 1 failed")
            return 1
    try:
        kind = env.build_kind
    except harness.Failure as failure:
        print(f"FAIL wine setup: {failure}")
        print("wine: 0 passed, 1 failed")
        return 1
    shipped = ", the shipped one" if kind == "i686" else ""
    print(f"wine: testing the {kind} build{shipped}: {env.setupvtr}", flush=True)
    env.prepare_base()
    for module in TEST_MODULES:
        importlib.import_module(module)

    tests = queue.Queue()
    for test in harness.registered_tests():
        if not options.names or any(n in test.__name__ for n in options.names):
            tests.put(test)
    counts = {"passed": 0, "failed": 0, "known": 0}
    lock = threading.Lock()
    displays = [d for d in options.displays.split(",") if d] or [os.environ.get("DISPLAY", "")]
    # Side by side, a test that failed runs once more on its own afterwards: one that passes
    # then was held up by its neighbour. Its first failure stays in the output for a look.
    retries = []

    def worker(display):
        while True:
            try:
                test = tests.get_nowait()
            except queue.Empty:
                return
            kind, text = run_one(env, test, display, test.__name__)
            with lock:
                if kind == "failed" and len(displays) > 1:
                    retries.append(test)
                    text += "\n  (run side by side: it runs once more on its own)"
                else:
                    counts[kind] += 1
                print(text, flush=True)

    workers = [threading.Thread(target=worker, args=(display,)) for display in displays]
    for thread in workers:
        thread.start()
    for thread in workers:
        thread.join()
    for test in retries:
        kind, text = run_one(env, test, displays[0], test.__name__ + "-on-its-own")
        counts[kind] += 1
        print(text, flush=True)
    if retries:
        print(f"wine: {len(retries)} failed side by side and ran again on their own: "
              + ", ".join(test.__name__ for test in retries))
    passed, failed, known = counts["passed"], counts["failed"], counts["known"]
    if known:
        print(f"wine: {known} known faults (not counted)")
    print(f"wine: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
