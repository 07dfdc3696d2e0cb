"""run_scenarios.py [TEST...]: the scenarios against TARNWELL_E2E_TARGET, by default all; --list
names the tests for CTest. TARNWELL_SLOWEST=10 prints the ten slowest rows (subtests, and the
rest of each test). 77 (skipped): a win32 run where 32-bit Wine cannot run, not even on QEMU."""

import os
import sys
import time
import unittest

TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [TESTS, os.path.join(TESTS, "e2e")]
from harness import targets  # noqa: E402


class TimedResult(unittest.TextTestResult):
    rows, since = [], time.monotonic()  # (seconds, name), each since the row or test before

    def addSubTest(self, test, subtest, outcome):
        super().addSubTest(test, subtest, outcome)
        self.row(subtest)

    def stopTest(self, test):
        super().stopTest(test)
        self.row(test)

    def row(self, test):
        self.rows.append((time.monotonic() - self.since, test.id()))
        self.since = time.monotonic()


if __name__ == "__main__":
    found = unittest.defaultTestLoader.discover(os.path.join(TESTS, "e2e"), top_level_dir=TESTS)
    if sys.argv[1:] == ["--list"]:
        sys.exit(print(*(test.id() for module in found for case in module for test in case),
                       sep="\n"))
    reason = targets.TARGET_NAME != "native" and targets.make_32_bit_wine_run()  # NSIS: 32-bit
    if reason and targets.TARGET_NAME == "win32":
        sys.exit(print("win32 scenarios skipped: " + reason) or 77)
    suite = unittest.defaultTestLoader.loadTestsFromNames(sys.argv[1:]) if sys.argv[1:] else found
    result = unittest.TextTestRunner(verbosity=2, resultclass=TimedResult).run(suite)
    for row in sorted(TimedResult.rows, reverse=True)[:int(os.environ.get("TARNWELL_SLOWEST", 0))]:
        print("%7.2f s  %s" % row)
    sys.exit(not result.wasSuccessful())
