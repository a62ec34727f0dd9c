"""Runs the Wine tests: each test in its own copy of the base prefix, one after another.

    python3 run_tests.py --build BUILD --work WORK --base BASE_PREFIX [NAME...]

Prints PASS or FAIL (with the reason and the last transcript) for each test and ends with
"wine: N passed, N failed". A test's screenshots and transcripts stay in WORK/<test>/artifacts;
the prefix copy of a passing test is removed, that of a failing one is kept for a look.
"""

import argparse
import importlib
import sys
import time
import traceback
from pathlib import Path

import harness

TEST_MODULES = ["test_driver", "test_packages", "test_startup", "test_engine", "test_wizard",
                "test_deploy", "test_release", "test_every_user"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--base", required=True, type=Path)
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

    passed = failed = known = 0
    for test in harness.registered_tests():
        name = test.__name__
        if options.names and not any(n in name for n in options.names):
            continue
        started = time.monotonic()
        machine = harness.Machine(env, name)
        reason = None
        broken = False
        try:
            test(machine)
        except harness.Failure as failure:
            reason = str(failure)
        except Exception:  # a broken test is a failed test, with its traceback
            reason = traceback.format_exc()
            broken = True
        finally:
            machine.stop()
        seconds = time.monotonic() - started
        fault = getattr(test, "known_fault", None)
        if fault is not None:
            if reason is None:
                reason = (f"passes, but is marked as showing a known fault ({fault}): "
                          "remove the mark")
            elif not broken:
                known += 1
                machine.discard()
                print(f"KNOWN {name} ({seconds:.1f} s): {fault}\n  " + reason.replace("\n", "\n  "),
                      flush=True)
                continue
        if reason is None:
            passed += 1
            machine.discard()
            print(f"PASS {name} ({seconds:.1f} s)", flush=True)
        else:
            failed += 1
            print(f"FAIL {name} ({seconds:.1f} s): {reason}", flush=True)
            if machine.last_run is not None:
                print("  last run:\n    " + machine.last_run.transcript().replace("\n", "\n    "))
            print(f"  prefix and screenshots kept in {machine.folder}", flush=True)
    if known:
        print(f"wine: {known} known faults (not counted)")
    print(f"wine: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
