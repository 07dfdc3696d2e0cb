"""What only load and exhausted resources show: many runs at once on one
prefix, a full disk and a file-size limit."""

import os
import resource
import shutil
import subprocess
import tempfile
import unittest

from harness import targets
from scenario import NUMBERS, STOCK_DIR, WRITE_ERRORS, ScenarioTest

RUNS = 50
LIMIT = 1048576


class StressTest(ScenarioTest):
    def run_at_once(self, count=RUNS):
        processes = [subprocess.Popen([self.target.program], env=self.target.env,
                                      cwd=self.scratch, stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE) for _ in range(count)]
        for process in processes:
            self.assertEqual(process.communicate(timeout=targets.TIMEOUT) + (process.returncode,),
                             (b"", b"", 0))
        self.target.wait()

    def run_limited(self, limit, *args):
        """A run whose files cannot grow past `limit` bytes."""
        return self.run_tarnwell(*args, silent=False, preexec_fn=lambda: resource.setrlimit(
            resource.RLIMIT_FSIZE, (limit, limit)))

    def test_runs_at_once_set_one_drawn_image(self):
        self.run_at_once()
        image = self.policy_values()[0][1]
        self.assertIn(image.rpartition("\\")[2], os.listdir(self.target.stock))
        self.assertEqual(self.policy_values()[1:], NUMBERS)
        self.assertEqual(len(self.target.launches()), 4 * RUNS)
        for root in ("HKLM", "HKCU"):
            self.assertEqual(self.target.reg("query", root, "/s").returncode, 0)

    def test_refused_runs_at_once_share_a_full_log(self):
        self.target.refuse_launches()
        filler = b"1/1/2024  " + b"f" * 88 + b"\r\n"
        self.write(self.path("tarnwell.log"), filler * (LIMIT // len(filler)))
        self.run_at_once()
        log = self.read(self.path("tarnwell.log"))
        self.assertLess(len(log), LIMIT)
        ours = [line for line in log.split(b"\r\n")[:-1] if line != filler[:-2]]
        self.assertGreater(len(ours), 4)  # each trim kept the newest lines
        for line in ours:
            self.assertIn(line.partition(b"  ")[2], WRITE_ERRORS)
        self.assertTrue(log.endswith(b"\r\n"))

    def fill(self, fd, size):
        try:
            return os.write(fd, b"\0" * size)
        except OSError:
            return 0

    def test_full_disk(self):
        disk = tempfile.mkdtemp(dir=self.target.root)
        self.assertEqual(subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs",
                                         disk]).returncode, 0, "mounting needs root")
        self.addCleanup(subprocess.run, ["umount", "-l", disk])
        # A log of whole pages, so that any append needs a page more.
        old = self.write(os.path.join(disk, "tarnwell.log"), b"1/1/2024  " + b"s" * 4084 + b"\r\n")
        filler = os.open(os.path.join(disk, "filler"), os.O_WRONLY | os.O_CREAT)
        for block in (4096, 1):
            while self.fill(filler, block):
                pass
        os.close(filler)
        self.set_setting("Path", self.target.windows_path(disk))
        self.target.refuse_launches()
        self.run_tarnwell()  # the log cannot grow: the run goes on undisturbed
        self.assertEqual(len(self.read(old)), 4096)
        result = self.run_tarnwell("/install", silent=False)
        self.assertEqual(result.returncode, 1)
        self.assertRegex(result.stderr, rb"^Exception E(FCreate|Write)Error in module lumen ")
        self.assertEqual(sorted(os.listdir(disk)), ["filler", "tarnwell.log"])

    def test_file_size_limit(self):
        result = self.run_limited(100, "/install")
        self.assertRegex(result.stderr, rb"^Exception EWriteError in module lumen at [0-9A-F]{8}"
                         rb"\.\r\nStream write error\.\r\n\r\n$")
        self.assertEqual(os.listdir(self.scratch), [])
        self.target.refuse_launches()
        log = self.write(self.path("tarnwell.log"), b"1/1/2024  start\r\n")
        self.assertEqual(self.run_limited(40), targets.Result(0, b"", b""))
        self.assertEqual(self.read(log)[:17], b"1/1/2024  start\r\n")
        self.assertEqual(len(self.read(log)), 40)  # an append cut short at the limit


if __name__ == "__main__":
    unittest.main()
