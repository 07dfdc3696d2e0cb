"""Faults under the program and the reg stand-in: hive files that are cut
short or hold garbage, a full disk and a file-size limit while files are
written."""

import contextlib
import os
import resource
import shutil
import subprocess
import tempfile
import unittest

from harness import targets
from scenario import POLICY_KEY, ScenarioTest, query_value

LOG_LIMIT = 1048576
EXPECTED_BACKUP = (
    b"Windows Registry Editor Version 5.00\r\n\r\n"
    b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\r\n"
    b"\"LockScreenImage\"=-\r\n\"NoChangingLockScreen\"=-\r\n\"NoLockScreen\"=-\r\n"
    b"[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative]\r\n"
    b"\"LockImageFlags\"=-\r\n")


def limited_file_size(limit):
    """A preexec_fn that caps the size of every file the process writes."""
    def apply():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    return apply


class FaultTest(ScenarioTest):

    def hive(self, name="system.reg"):
        return os.path.join(self.target.prefix, name)

    def run_limited(self, argv, limit, cwd=None):
        completed = subprocess.run(argv, env=self.target._env, cwd=cwd or self.scratch,
                                   stdin=subprocess.DEVNULL, capture_output=True,
                                   preexec_fn=limited_file_size(limit),
                                   timeout=targets.RUN_TIMEOUT)
        self.target.wait()
        return targets.Result(completed.returncode, completed.stdout, completed.stderr)

    def plant_policy(self):
        self.reg("add", POLICY_KEY, "/v", "LockScreenImage", "/d", "C:\\old.jpg", "/f")
        self.reg("add", POLICY_KEY, "/v", "Padding", "/d", "x" * 4000, "/f")

    # Damaged hives.
    def damaged_hives(self):
        self.plant_policy()
        with open(self.hive(), "rb") as f:
            good = f.read()
        yield "cut short", good[:len(good) // 2]
        yield "garbage", bytes(range(256)) * 8
        yield "empty", b""

    def test_damaged_hive_gives_reg_a_clear_error_and_stays(self):
        for what, content in self.damaged_hives():
            with self.subTest(what):
                self.write(self.hive(), content)
                for args in (("query", POLICY_KEY),
                             ("add", POLICY_KEY, "/v", "New", "/d", "1", "/f"),
                             ("delete", POLICY_KEY, "/f")):
                    result = self.target.reg(*args)
                    self.assertEqual(result.returncode, 1, args)
                    self.assertIn(b"ERROR: the registry hive " + self.hive().encode(), result.stdout)
                    self.assertIn(b"is damaged", result.stdout)
                    self.assertEqual(self.read(self.hive()), content, args)

    def test_damaged_hive_is_a_missing_key_to_the_program(self):
        for what, content in self.damaged_hives():
            with self.subTest(what):
                self.write(self.hive(), content)
                with contextlib.suppress(FileNotFoundError):
                    os.unlink(self.scratch_file("reg.dat"))
                self.run_silently("/install")
                self.assertEqual(self.read(self.scratch_file("reg.dat")), EXPECTED_BACKUP)
                self.run_silently()
                self.run_silently("/uninstall")
                self.assertEqual(self.read(self.hive()), content)
                self.assertIsNone(self.log())

    # A file-size limit.
    def test_hive_replacement_past_the_size_limit_keeps_the_old_hive(self):
        self.plant_policy()
        before = self.read(self.hive())
        result = self.run_limited(
            [self.target._reg, "add", POLICY_KEY, "/v", "Big", "/d", "y" * 20000, "/f"],
            len(before) + 1000)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"ERROR: cannot write", result.stdout)
        self.assertEqual(self.read(self.hive()), before)
        self.assertEqual(sorted(os.listdir(self.target.prefix)),
                         sorted([".registry.lock", "drive_c", "system.reg", "user.reg"]
                                if os.path.exists(self.hive("user.reg"))
                                else [".registry.lock", "drive_c", "system.reg"]))

    def test_backup_past_the_size_limit_leaves_no_partial_file(self):
        self.plant_policy()
        result = self.run_limited([self.target._tarnwell, "/install"], 100)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"Exception EWriteError", result.stderr)
        self.assertEqual(os.listdir(self.scratch), [])
        # Without the limit the next /install makes the whole backup.
        self.run_silently("/install")
        self.assertIn(b"\"LockScreenImage\"=\"C:\\\\old.jpg\"",
                      self.read(self.scratch_file("reg.dat")))

    def test_log_append_past_the_size_limit_does_not_disturb_the_run(self):
        self.target.refuse_launches()
        log = self.scratch_file("tarnwell.log")
        self.write(log, b"1/1/2024  start\r\n")
        result = self.run_limited([self.target._tarnwell], 40)
        self.assertEqual(result, targets.Result(0, b"", b""))
        content = self.read(log)
        self.assertEqual(len(content), 40)
        self.assertTrue(content.startswith(b"1/1/2024  start\r\n"), content)

    def test_log_trim_near_the_size_limit_does_not_disturb_the_run(self):
        self.target.refuse_launches()
        log = self.scratch_file("tarnwell.log")
        line = b"1/1/2024  " + b"z" * 100 + b"\r\n"
        self.write(log, line * (LOG_LIMIT // len(line)))
        result = self.run_limited([self.target._tarnwell], LOG_LIMIT + 60)
        self.assertEqual(result, targets.Result(0, b"", b""))
        # Appends cut short at the limit leave partial lines at the end, but
        # the trims still cut at line starts.
        content = self.read(log)
        self.assertLess(len(content), LOG_LIMIT)
        self.assertTrue(content.startswith(line), content[:120])
        self.assertIn(b"  Write registry value error: ", content[-1000:])


class FullDiskTest(ScenarioTest):
    """The prefix and the product directory on a small memory file system."""

    def setUp(self):
        super().setUp()
        if os.geteuid() != 0:
            self.skipTest("mounting a small file system needs root")
        self.disk = tempfile.mkdtemp(prefix="tarnwell-full-")
        self.addCleanup(shutil.rmtree, self.disk, ignore_errors=True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", self.disk],
                                 capture_output=True)
        if mounted.returncode != 0:
            self.skipTest("cannot mount a tmpfs: %r" % mounted.stderr)
        self.addCleanup(subprocess.run, ["umount", "-l", self.disk])
        self.product = os.path.join(self.disk, "product")
        os.mkdir(self.product)

    def fill_disk(self):
        """Fills the file system; removing the returned file frees it again."""
        filler = os.path.join(self.disk, "filler")
        fd = os.open(filler, os.O_WRONLY | os.O_CREAT, 0o644)
        try:
            for block in (65536, 4096, 1):
                with contextlib.suppress(OSError):
                    while True:
                        os.write(fd, b"\0" * block)
        finally:
            os.close(fd)
        return filler

    def test_full_disk_keeps_the_hive_and_makes_no_backup(self):
        # The hives on the small disk: the prefix's own directory moves there.
        moved = os.path.join(self.disk, "prefix")
        shutil.copytree(self.target.prefix, moved, symlinks=True)
        self.target._env["TARNWELL_PREFIX"] = moved
        self.target.prefix = moved
        self.target.drive_c = os.path.join(moved, "drive_c")
        self.reg("add", POLICY_KEY, "/v", "LockScreenImage", "/d", "C:\\old.jpg", "/f")
        hive = os.path.join(moved, "system.reg")
        before = self.read(hive)
        filler = self.fill_disk()

        result = self.target.reg("add", POLICY_KEY, "/v", "Big", "/d", "y" * 8000, "/f")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(self.read(hive), before)

        result = self.target.run("/install", cwd=self.product)
        self.target.wait()
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"Exception E", result.stderr)
        self.assertEqual(os.listdir(self.product), [])

        os.unlink(filler)
        self.assertEqual(query_value(self.target, POLICY_KEY, "LockScreenImage"),
                         ("REG_SZ", "C:\\old.jpg"))

    def test_full_disk_log_append_does_not_disturb_the_run(self):
        self.target.refuse_launches()
        log = os.path.join(self.product, "tarnwell.log")
        with open(log, "wb") as f:
            f.write(b"1/1/2024  start\r\n")
        self.fill_disk()
        result = self.target.run(cwd=self.product)
        self.target.wait()
        self.assertEqual(result, targets.Result(0, b"", b""))
        self.assertTrue(self.read(log).startswith(b"1/1/2024  start\r\n"))


if __name__ == "__main__":
    unittest.main()
