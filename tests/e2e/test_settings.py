"""The product settings, planted in the registry as the product's other
components would, and what the program makes of them."""

import os
import re
import unittest

from harness import targets
from scenario import POLICY_KEY, SETTINGS_KEY, STOCK_DIR, ScenarioTest, split_log


class SettingsTest(ScenarioTest):
    def setUp(self):
        super().setUp()
        self.product = os.path.join(self.scratch, "product dir")
        os.mkdir(self.product)
        self.product_win = self.target.windows_path(self.product)
        self.elsewhere = os.path.join(self.scratch, "elsewhere")
        os.mkdir(self.elsewhere)

    def backup_directory(self, cwd=None):
        """Where "/install" writes reg.dat, run from `cwd` (scratch by default)."""
        self.run_silently("/install", cwd=cwd)
        found = [d for d in {self.product, self.elsewhere, self.scratch, cwd or self.scratch}
                 if os.path.exists(os.path.join(d, "reg.dat"))]
        self.assertEqual(len(found), 1, found)
        return found[0]

    def test_no_key_keeps_every_default(self):
        self.assertEqual(self.backup_directory(cwd=self.elsewhere), self.elsewhere)
        kind, image = self.policy_values()[0] or (None, None)
        self.assertIsNone(kind)  # "/install" applies nothing
        self.run_silently(cwd=self.elsewhere)
        kind, image = self.policy_values()[0]
        self.assertTrue(image.lower().startswith(STOCK_DIR.lower() + "\\"), image)

    def test_path_names_the_product_directory(self):
        self.set_setting("Path", self.product_win)
        self.assertEqual(self.backup_directory(cwd=self.elsewhere), self.product)
        self.target.refuse_launches()
        self.run_silently(cwd=self.elsewhere)
        self.assertEqual(len(split_log(self.log(self.product))), 4)

    def test_empty_path_means_the_root_of_the_current_drive(self):
        # Run from drive C:, whose root is the prefix's drive_c.
        working = os.path.join(self.target.drive_c, "work")
        os.mkdir(working)
        self.set_setting("Path", "")
        self.run_silently("/uninstall", cwd=working)
        self.assertEqual([m for _, m in split_log(self.log(self.target.drive_c))],
                         [b"No data registry file: \\reg.dat"])
        self.run_silently("/install", cwd=working)
        self.assertTrue(os.path.isfile(os.path.join(self.target.drive_c, "reg.dat")))

    def test_expandable_path_is_ignored(self):
        self.set_setting("Path", self.product_win, "REG_EXPAND_SZ")
        self.assertEqual(self.backup_directory(), self.scratch)

    def test_path_with_wildcard_or_bar_falls_back_to_the_current_directory(self):
        for bad in ("*", "?", "|"):
            with self.subTest(character=bad):
                self.set_setting("Path", self.product_win + "\\a" + bad)
                self.assertEqual(self.backup_directory(), self.scratch)
                os.remove(self.scratch_file("reg.dat"))

    def test_path_with_less_than_or_quote_is_used_as_it_is(self):
        # Such a directory cannot exist on Windows: "/install" fails to create
        # reg.dat there, and the report names the path as it was stored.
        for odd in ("<", '"'):
            with self.subTest(character=odd):
                stored = self.product_win + "\\a" + odd + "b"
                self.set_setting("Path", stored)
                result = self.run_tarnwell("/install")
                self.assertEqual(result.returncode, 1)
                self.assertIn(b"a" + odd.encode() + b"b\\reg.dat", result.stderr)

    def test_random_as_dword_two_is_true_and_as_text_is_false(self):
        pictures = os.path.join(self.scratch, "pictures")
        image = self.write(os.path.join(pictures, "mine.png"))
        self.set_setting("ImageDir", self.target.windows_path(pictures))
        self.set_setting("Random", "2", "REG_DWORD")
        self.run_silently()
        self.assertEqual(self.policy_values()[0], ("REG_SZ", self.target.windows_path(image)))
        self.set_setting("Random", "1", "REG_SZ")
        self.run_silently()
        self.assertNotEqual(self.policy_values()[0][1], self.target.windows_path(image))

    def test_empty_image_dir_falls_back_to_the_stock_directory(self):
        self.set_setting("Random", "1", "REG_DWORD")
        self.set_setting("ImageDir", "")
        self.run_silently()
        self.assertTrue(self.policy_values()[0][1].lower().startswith(STOCK_DIR.lower()))

    def test_settings_in_the_64_bit_view_are_not_read(self):
        self.reg("add", r"HKLM\SOFTWARE\Quorvane\Lumivale", "/v", "Path", "/d",
                 self.product_win, "/f", "/reg:64")
        self.assertEqual(self.backup_directory(), self.scratch)

    @unittest.skipIf(targets.TARGET_NAME == "native", "the emulated Windows has one build")
    def test_32_and_64_bit_runs_read_the_same_settings(self):
        pictures = os.path.join(self.scratch, "pictures")
        image = self.target.windows_path(self.write(os.path.join(pictures, "mine.png")))
        self.set_setting("Path", self.product_win)
        self.set_setting("Random", "1", "REG_DWORD")
        self.set_setting("ImageDir", self.target.windows_path(pictures))
        # What only the 64-bit view holds is read by neither.
        self.reg("add", SETTINGS_KEY, "/v", "Path", "/d", self.target.windows_path(self.elsewhere),
                 "/f", "/reg:64")
        for bits, exe in (("32", targets.win32_exe()), ("64", targets.win64_exe())):
            with self.subTest(bits=bits):
                for args in (("/install",), ()):
                    result = self.target.run_program(exe, *args)
                    self.target.wait()
                    self.assertEqual(result, targets.Result(0, b"", b""))
                self.assertEqual(os.listdir(self.product), ["reg.dat"])
                self.assertEqual(self.policy_values()[0], ("REG_SZ", image))
                os.remove(os.path.join(self.product, "reg.dat"))
                self.reg("delete", POLICY_KEY, "/f")

    @unittest.skipIf(targets.TARGET_NAME != "native",
                     "keys that refuse access are made in the emulated registry's hive")
    def test_key_granting_only_read_access_is_read(self):
        self.set_setting("Path", self.product_win)
        for granted, expected in (("0x00020019", self.product), ("0x00000000", self.scratch)):
            with self.subTest(granted=granted):
                self.grant_settings_access(granted)
                self.assertEqual(self.backup_directory(), expected)
                os.remove(os.path.join(expected, "reg.dat"))
                self.assertIsNone(self.log(expected))

    def grant_settings_access(self, mask):
        hive = os.path.join(self.target.prefix, "system.reg")
        lines = self.read(hive).decode().split("\n")
        lines = [line for line in lines if not line.startswith("#access=")]
        # Key names keep the case they were first written with.
        header = [line.lower() for line in lines].index(
            "[hkey_local_machine\\software\\wow6432node\\quorvane\\lumivale]")
        lines.insert(header + 1, "#access=" + mask)
        self.write(hive, "\n".join(lines).encode())

    def test_long_number_ends_the_run_with_the_report(self):
        module = b"tarnwell" if self.target.name == "native" else b"tarnwell.exe"
        for name in ("FormLeft", "FormTop", "Random"):
            with self.subTest(value=name):
                self.set_setting("Path", self.product_win)
                self.set_odd_setting(name, 4, "01,00,00,00,00,00,00,00")
                result = self.run_tarnwell()
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, b"")
                self.assertRegex(
                    result.stderr,
                    re.compile(rb"^Exception ERegistryException in module " + module +
                               rb" at [0-9A-F]{8}\.\r\nFailed to get data for '" +
                               name.encode() + rb"'\.\r\n\r\n$"))
                self.assertEqual(self.policy_values(), [None] * 4)
                self.assertEqual(os.listdir(self.product), [])
                self.reg("delete", r"HKLM\SOFTWARE\Quorvane\Lumivale", "/v", name, "/f",
                         "/reg:32")

    def test_report_names_the_same_address_for_the_same_failure(self):
        self.set_odd_setting("FormTop", 4, "00,00,00,00,00")
        first = self.run_tarnwell().stderr
        self.assertEqual(self.run_tarnwell().stderr, first)


if __name__ == "__main__":
    unittest.main()
