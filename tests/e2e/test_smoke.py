"""Smoke scenarios: every job runs silently to exit status 0, and the
registry tool of the target round-trips values."""

import os
import unittest

from harness import targets

POLICY_KEY = r"HKLM\SOFTWARE\Policies\Microsoft\Windows\Personalization"
CREATIVE_KEY = r"HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Lock Screen\Creative"
STOCK_DIR = "C:\\Windows\\Web\\Screen\\"


def query_value(target, key, name):
    """(type, data) of one value as the registry tool prints it, or None."""
    result = target.reg("query", key, "/v", name)
    if result.returncode != 0:
        return None
    for line in result.stdout.split(b"\r\n"):
        fields = line.strip().split(b"    ", 2)
        if len(fields) >= 2 and fields[0].decode().lower() == name.lower():
            return fields[1].decode(), fields[2].decode() if len(fields) == 3 else ""
    return None


class SmokeTest(unittest.TestCase):
    def setUp(self):
        self.target = targets.new_target()
        self.addCleanup(self.target.close)

    def run_silently(self, *args):
        result = self.target.run(*args)
        self.target.wait()
        self.assertEqual(result, targets.Result(0, b"", b""), "arguments %r" % (args,))

    def test_every_job_exits_zero_and_prints_nothing(self):
        for args in [(), ("/install",), ("/uninstall",), ("foo",), ("/install", "extra")]:
            with self.subTest(args=args):
                self.run_silently(*args)

    def test_unknown_argument_writes_nothing(self):
        self.run_silently("foo")
        self.assertEqual(os.listdir(self.target.scratch), [])
        self.assertIsNone(query_value(self.target, POLICY_KEY, "LockScreenImage"))

    def test_no_argument_applies_a_stock_image(self):
        self.run_silently()
        applied = query_value(self.target, POLICY_KEY, "LockScreenImage")
        self.assertIsNotNone(applied, "no LockScreenImage value")
        kind, image = applied
        self.assertEqual(kind, "REG_SZ")
        self.assertTrue(image.startswith(STOCK_DIR), image)
        self.assertNotIn("\\", image[len(STOCK_DIR):])
        self.assertTrue(os.path.isfile(self.target.host_path(image)), image)
        self.assertEqual(query_value(self.target, POLICY_KEY, "NoChangingLockScreen"),
                         ("REG_DWORD", "0x1"))
        self.assertEqual(query_value(self.target, POLICY_KEY, "NoLockScreen"),
                         ("REG_DWORD", "0x0"))
        self.assertEqual(query_value(self.target, CREATIVE_KEY, "LockImageFlags"),
                         ("REG_DWORD", "0x0"))
        self.assertEqual(os.listdir(self.target.scratch), [])  # nothing logged

    def test_install_on_a_fresh_machine_backs_up_four_absent_values(self):
        self.run_silently("/install")
        with open(os.path.join(self.target.scratch, "reg.dat"), "rb") as backup:
            self.assertEqual(
                backup.read(),
                b"Windows Registry Editor Version 5.00\r\n"
                b"\r\n"
                b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\r\n"
                b"\"LockScreenImage\"=-\r\n"
                b"\"NoChangingLockScreen\"=-\r\n"
                b"\"NoLockScreen\"=-\r\n"
                b"[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                b"Lock Screen\\Creative]\r\n"
                b"\"LockImageFlags\"=-\r\n")

    def test_reg_add_then_query_round_trips(self):
        key = r"HKCU\Software\TarnwellSmoke"
        self.target.reg("add", key, "/v", "Text", "/t", "REG_SZ", "/d", "a b", "/f", check=True)
        self.target.reg("add", key, "/v", "Number", "/t", "REG_DWORD", "/d", "26", "/f",
                        check=True)
        self.assertEqual(query_value(self.target, key, "Text"), ("REG_SZ", "a b"))
        self.assertEqual(query_value(self.target, key, "Number"), ("REG_DWORD", "0x1a"))
        self.assertIsNone(query_value(self.target, key, "Missing"))


if __name__ == "__main__":
    unittest.main()
