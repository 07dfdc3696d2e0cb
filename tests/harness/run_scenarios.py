"""Runs the scenarios against TARNWELL_E2E_TARGET: run_scenarios.py [unittest options].
A win32 run where the kernel cannot run 32-bit programs ends with 77 (skipped)."""

import os
import sys
import unittest

TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [TESTS, os.path.join(TESTS, "e2e")]
from harness import targets  # noqa: E402

if __name__ == "__main__":
    reason = targets.TARGET_NAME == "win32" and targets.cannot_run_32_bit()
    if reason:
        sys.exit(print("win32 scenarios skipped: " + reason) or 77)
    suite = ["discover", "-s", os.path.join(TESTS, "e2e"), "-t", TESTS]
    sys.exit(not unittest.main(module=None, exit=False, argv=sys.argv[:1] + suite + sys.argv[1:])
             .result.wasSuccessful())
