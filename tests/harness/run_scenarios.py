"""Runs the scenario suite against the target named by TARNWELL_E2E_TARGET:

    python3 run_scenarios.py [unittest options]

A win32 run on a machine whose kernel cannot run 32-bit programs says so in
one line and ends with status 77, which CTest reports as skipped.
"""

import os
import sys
import unittest

TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, TESTS)

from harness import targets  # noqa: E402

SKIPPED = 77


def main(argv):
    if targets.TARGET_NAME == "win32":
        reason = targets.cannot_run_32_bit()
        if reason:
            print("win32 scenarios skipped: %s" % reason, flush=True)
            return SKIPPED
    suite = os.path.join(TESTS, "e2e")
    sys.path.insert(0, suite)
    program = unittest.main(module=None, exit=False,
                            argv=[argv[0], "discover", "-s", suite, "-t", TESTS] + argv[1:])
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
