"""Runs the scenarios against the target named by TARNWELL_E2E_TARGET:

    python3 run_scenarios.py [unittest options]

A win32 run where the kernel cannot run 32-bit programs ends with status 77
(skipped).
"""

import os
import sys
import unittest

TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [TESTS, os.path.join(TESTS, "e2e")]

from harness import targets  # noqa: E402


def main(argv):
    reason = targets.TARGET_NAME == "win32" and targets.cannot_run_32_bit()
    if reason:
        print("win32 scenarios skipped: %s" % reason, flush=True)
        return 77
    program = unittest.main(module=None, exit=False, argv=[argv[0], "discover", "-s",
                                                           os.path.join(TESTS, "e2e"), "-t",
                                                           TESTS] + argv[1:])
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
