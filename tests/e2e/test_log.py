"""The lines the log loses, and its trimming; "/uninstall" without reg.dat adds one line."""

import os

from scenario import NATIVE, ScenarioTest

LIMIT = 1048576


class LogTest(ScenarioTest):
    def test_log_that_cannot_be_written_loses_the_line(self):
        log = self.write(self.path("tarnwell.log"), b"old line\r\n")
        for share_read in (True, False) if NATIVE else ():  # held open by another process
            with self.subTest(share_read=share_read), self.target.hold_open(log, share_read):
                self.run_tarnwell("/uninstall")
                self.assertEqual(self.read(log), b"old line\r\n")
        os.remove(log)
        self.set_setting("Path", self.scratch_win + "\\missing")
        self.run_tarnwell("/uninstall")
        self.assertEqual(os.listdir(self.scratch), [])

    def test_log_past_the_limit_keeps_the_newest_whole_lines(self):
        self.run_tarnwell("/uninstall")
        size = len(self.read(self.path("tarnwell.log")))  # of the line each run adds
        cases = {  # old content: how many of its last bytes stay
            "reaching the limit": (b"a" * (LIMIT - size - 2) + b"\r\n", LIMIT - size),
            # The first line feed leaves the limit, the second one byte less.
            "two line ends": (b"\n\n" + b"b" * (LIMIT - size - 3) + b"\r\n", LIMIT - size - 1),
            "no line end but the last": (b"c" * (LIMIT - size + 1), -size),  # all goes
        }
        cases["hidden and system"] = cases["two line ends"]  # a file Windows will not create anew
        for case, (old, kept) in cases.items():
            with self.subTest(case):
                self.write(self.path("tarnwell.log"), old)
                self.target.set_attributes(self.path("tarnwell.log"), *["hidden" in case] * 2)
                self.run_tarnwell("/uninstall")
                log = self.read(self.path("tarnwell.log"))  # compared, never diffed: 1 MiB
                self.assertTrue(len(log) == kept + size and log.startswith(old[len(old) - kept:]))
