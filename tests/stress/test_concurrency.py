"""Many processes on one prefix at once: the program's runs, the reg
processes they launch and the log they share."""

import os
import subprocess
import unittest

from harness import targets
from scenario import POLICY_KEY, CREATIVE_KEY, STOCK_DIR, WRITE_ERRORS, ScenarioTest
from scenario import query_value, split_log, DATE_TIME

RUNS = 50
ROUNDS = 100
LOG_LIMIT = 1048576
IMAGE_SUFFIXES = (".jpg", ".jpeg", ".png", ".gif", ".bmp")


class ConcurrencyTest(ScenarioTest):

    def start_tarnwell(self, count, cwd):
        processes = [subprocess.Popen([self.target._tarnwell], env=self.target._env, cwd=cwd,
                                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE) for _ in range(count)]
        for process in processes:
            out, err = process.communicate(timeout=targets.RUN_TIMEOUT)
            self.assertEqual((process.returncode, out, err), (0, b"", b""))
        self.target.wait()

    def assert_log_whole(self, directory):
        """The log, if any, is under the limit and made of whole lines."""
        content = self.log(directory)
        if content is None:
            return []
        self.assertLess(len(content), LOG_LIMIT)
        lines = split_log(content)
        for stamp, message in lines:
            self.assertRegex(stamp, DATE_TIME)
            self.assertIn(message, WRITE_ERRORS)
        return lines

    def test_fifty_runs_at_once_set_one_drawn_image(self):
        stock = self.target.host_path(STOCK_DIR)
        images = {STOCK_DIR + "\\" + name for name in os.listdir(stock)
                  if name.lower().endswith(IMAGE_SUFFIXES)}
        self.assertTrue(images)
        self.start_tarnwell(RUNS, self.scratch)
        image = query_value(self.target, POLICY_KEY, "LockScreenImage")
        self.assertEqual(image[0], "REG_SZ")
        self.assertIn(image[1], images)
        self.assertEqual(self.policy_values()[1:],
                         [("REG_DWORD", "0x1"), ("REG_DWORD", "0x0"), ("REG_DWORD", "0x0")])
        # Both hives still load as a whole.
        for root in ("HKLM", "HKCU"):
            self.assertEqual(self.target.reg("query", root, "/s").returncode, 0, root)
        self.assert_log_whole(self.scratch)

    def test_fifty_refused_runs_share_a_full_log(self):
        # Every run logs four lines into a log already at the limit, so each
        # append is followed by a trim while the others append.
        self.target.refuse_launches()
        filler = b"1/1/2024 1:00:00 AM  " + WRITE_ERRORS[0] + b"\r\n"
        content = filler * (LOG_LIMIT // len(filler))
        self.write(self.scratch_file("tarnwell.log"), content)
        self.start_tarnwell(RUNS, self.scratch)
        lines = self.assert_log_whole(self.scratch)
        # The trims kept the newest lines, among them some of these runs'.
        self.assertGreater(len(lines), 4)
        self.assertNotEqual(self.log(self.scratch)[-len(filler):], filler)

    def test_simultaneous_adds_of_different_values_lose_none(self):
        reg = self.target._reg
        names = ["First", "Second", "Third", "Fourth"]
        key = CREATIVE_KEY + "\\Stress"
        for round_number in range(ROUNDS):
            processes = [subprocess.Popen(
                [reg, "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(round_number), "/f"],
                env=self.target._env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
                for name in names]
            for process in processes:
                _, err = process.communicate(timeout=targets.RUN_TIMEOUT)
                self.assertEqual((process.returncode, err), (0, b""))
            values = [query_value(self.target, key, name) for name in names]
            self.assertEqual(values, [("REG_DWORD", hex(round_number))] * 4,
                             "round %d" % round_number)


if __name__ == "__main__":
    unittest.main()
