"""Smoke scenarios: every job runs silently to exit status 0, and the
registry tool of the target round-trips values."""

import os
import unittest

from scenario import POLICY_KEY, STOCK_DIR, ScenarioTest, query_value


class SmokeTest(ScenarioTest):
    def test_every_job_exits_zero_and_prints_nothing(self):
        for args in [(), ("/install",), ("/uninstall",), ("foo",), ("/install", "extra")]:
            with self.subTest(args=args):
                self.run_silently(*args)

    def test_unknown_argument_writes_nothing(self):
        self.run_silently("foo")
        self.assertEqual(os.listdir(self.scratch), [])
        self.assertIsNone(query_value(self.target, POLICY_KEY, "LockScreenImage"))

    def test_no_argument_applies_one_of_the_stock_images(self):
        stock = self.target.host_path(STOCK_DIR)
        names = sorted(os.listdir(stock))
        self.assertNotEqual(names, [], "no stock images in " + stock)
        self.run_silently()
        applied = query_value(self.target, POLICY_KEY, "LockScreenImage")
        self.assertIsNotNone(applied, "no LockScreenImage value")
        self.assertIn(applied[1], [STOCK_DIR + "\\" + name for name in names])
        self.assert_policy_applied(applied[1])
        self.assertEqual(os.listdir(self.scratch), [])  # nothing logged

    def test_install_on_a_fresh_machine_backs_up_four_absent_values(self):
        self.run_silently("/install")
        self.assertEqual(
            self.read(self.scratch_file("reg.dat")),
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
        self.reg("add", key, "/v", "Text", "/t", "REG_SZ", "/d", "a b", "/f")
        self.reg("add", key, "/v", "Number", "/t", "REG_DWORD", "/d", "26", "/f")
        self.assertEqual(query_value(self.target, key, "Text"), ("REG_SZ", "a b"))
        self.assertEqual(query_value(self.target, key, "Number"), ("REG_DWORD", "0x1a"))
        self.assertIsNone(query_value(self.target, key, "Missing"))


if __name__ == "__main__":
    unittest.main()
