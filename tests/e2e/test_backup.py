"""Backing up the lock-screen values into reg.dat on "/install", and
importing them back on "/uninstall"."""

import os
import re
import resource
import signal
import subprocess
import unittest

from harness import targets
from scenario import CREATIVE_KEY, POLICY_KEY, POLICY_VALUES, ScenarioTest, split_log

HEADER = (b"Windows Registry Editor Version 5.00\r\n\r\n"
          b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\r\n")
CREATIVE = (b"[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
            b"Lock Screen\\Creative]\r\n")
DELETIONS = (HEADER + b'"LockScreenImage"=-\r\n"NoChangingLockScreen"=-\r\n'
             b'"NoLockScreen"=-\r\n' + CREATIVE + b'"LockImageFlags"=-\r\n')


def reg_file(*sections):
    """An ANSI registry-editor file of (key, [value lines]) sections."""
    text = b"Windows Registry Editor Version 5.00\r\n"
    for key, lines in sections:
        text += b"\r\n[" + key.encode() + b"]\r\n" + b"".join(line + b"\r\n" for line in lines)
    return text


POLICY_FULL = "HKEY_LOCAL_MACHINE\\" + POLICY_KEY[5:]
CREATIVE_FULL = "HKEY_CURRENT_USER\\" + CREATIVE_KEY[5:]


def image_as_hex(text):
    """A LockScreenImage line that stores any text bytes, as an import reads them."""
    return b'"LockScreenImage"=hex(1):' + b",".join(b"%02x" % byte for byte in text + b"\0")


class BackupFileTest(ScenarioTest):
    def backup(self, policy=(), creative=None):
        """reg.dat after "/install" on a machine holding these value lines."""
        sections = [(POLICY_FULL, list(policy))] if policy is not None else []
        if creative is not None:
            sections.append((CREATIVE_FULL, list(creative)))
        if sections:
            self.import_reg(reg_file(*sections))
        self.run_silently("/install")
        return self.read(self.scratch_file("reg.dat"))

    def test_no_values_give_four_deletions(self):
        self.assertEqual(self.backup(policy=None), DELETIONS)
        self.assertIsNone(self.log())

    def test_numbers_are_eight_lower_case_hex_digits(self):
        self.assertEqual(
            self.backup([b'"NoChangingLockScreen"=dword:00000001', b'"NoLockScreen"=dword:00000000'],
                        [b'"LockImageFlags"=dword:0000001A']),
            HEADER + b'"LockScreenImage"=-\r\n"NoChangingLockScreen"=dword:00000001\r\n'
            b'"NoLockScreen"=dword:00000000\r\n' + CREATIVE +
            b'"LockImageFlags"=dword:0000001a\r\n')

    def test_image_path_has_every_backslash_doubled(self):
        self.assertEqual(
            self.backup([b'"LockScreenImage"="\\\\\\\\server\\\\Pics\\\\a.jpg"']),
            HEADER + b'"LockScreenImage"="\\\\\\\\server\\\\Pics\\\\a.jpg"\r\n'
            b'"NoChangingLockScreen"=-\r\n"NoLockScreen"=-\r\n' + CREATIVE +
            b'"LockImageFlags"=-\r\n')

    def test_other_types_top_bit_and_caret_count_as_absent(self):
        self.assertEqual(
            self.backup([b'"LockScreenImage"=hex(2):43,3a,5c,61,00',
                         b'"NoChangingLockScreen"=dword:ffffffff',
                         b'"NoLockScreen"="1"'],
                        [b'"LockImageFlags"=hex:01,00,00,00']),
            DELETIONS)

    def test_caret_text_counts_as_absent(self):
        self.assertEqual(self.backup([b'"LockScreenImage"="^"'], []), DELETIONS)

    def test_only_the_user_key_present(self):
        self.assertEqual(
            self.backup(None, [b'"LockImageFlags"=dword:00000000']),
            HEADER + b'"LockScreenImage"=-\r\n"NoChangingLockScreen"=-\r\n'
            b'"NoLockScreen"=-\r\n' + CREATIVE + b'"LockImageFlags"=dword:00000000\r\n')

    def test_text_with_double_quotes_is_escaped(self):
        self.assertEqual(
            self.backup([b'"LockScreenImage"="C:\\\\say \\"cheese\\".jpg"']).split(b"\r\n")[3],
            b'"LockScreenImage"="C:\\\\say \\"cheese\\".jpg"')

    def test_text_with_line_breaks_is_written_as_hex(self):
        self.assertEqual(
            self.backup([image_as_hex(b"C:\\a\r\nb.jpg")]).split(b"\r\n")[3],
            b'"LockScreenImage"=hex(1):43,3a,5c,61,0d,0a,62,2e,6a,70,67,00')


class RoundTripTest(ScenarioTest):
    """Whatever the state before "/install", "/uninstall" brings it back."""

    def values(self):
        """The four values as the registry tool exports them (None: absent)."""
        found = []
        for key, name in POLICY_VALUES:
            path = self.scratch_file("export.reg")
            if os.path.exists(path):
                os.remove(path)
            result = self.target.reg("export", key, self.target.windows_path(path), "/y")
            entry = None
            if result.returncode == 0:
                text = self.read(path).decode("utf-16").replace("\\\r\n  ", "")
                prefix = '"%s"=' % name
                entry = next((line for line in text.split("\r\n") if line.startswith(prefix)),
                             None)
            found.append(entry)
        return found

    def round_trip(self, policy, creative):
        self.import_reg(reg_file((POLICY_FULL, policy), (CREATIVE_FULL, creative)))
        before = self.values()
        self.run_silently("/install")
        self.run_silently()
        self.assertNotEqual(self.values(), before)
        self.run_silently("/uninstall")
        self.assertEqual(self.values(), before)
        self.assertIsNone(self.log())
        return before

    def test_absent_values_are_deleted_again(self):
        self.assertEqual(self.round_trip([], []), [None] * 4)

    def test_ordinary_values_come_back(self):
        before = self.round_trip(
            [b'"LockScreenImage"="C:\\\\Pics\\\\old.jpg"', b'"NoChangingLockScreen"=dword:00000000',
             b'"NoLockScreen"=dword:00000001'],
            [b'"LockImageFlags"=dword:0000001a'])
        self.assertEqual(before[0], '"LockScreenImage"="C:\\\\Pics\\\\old.jpg"')

    def test_quotes_and_backslashes_come_back(self):
        self.round_trip([image_as_hex(b'C:\\x "q" \\\\y\\')], [])

    def test_line_breaks_come_back(self):
        self.round_trip([image_as_hex(b"line\r\nbreak")], [])

    def test_letters_outside_ascii_come_back(self):
        self.round_trip([image_as_hex(b"caf\xe9 \xc4\xd6\xdc")], [])


class RestoreTest(ScenarioTest):
    def test_install_never_overwrites_an_existing_backup(self):
        self.write(self.scratch_file("reg.dat"), b"earlier")
        self.run_silently("/install")
        self.assertEqual(self.read(self.scratch_file("reg.dat")), b"earlier")

    def test_backup_after_uninstall_is_the_first_one(self):
        self.run_silently("/install")
        first = self.read(self.scratch_file("reg.dat"))
        self.run_silently()
        self.run_silently("/uninstall")
        self.run_silently()
        self.run_silently("/install")
        self.assertEqual(self.read(self.scratch_file("reg.dat")), first)

    def test_uninstall_twice_imports_twice_and_keeps_the_file(self):
        self.run_silently("/install")
        for _ in range(2):
            self.run_silently()
            self.run_silently("/uninstall")
            self.assertEqual(self.policy_values(), [None] * 4)
            self.assertTrue(os.path.isfile(self.scratch_file("reg.dat")))

    def test_uninstall_without_backup_logs_and_launches_nothing(self):
        self.run_silently()
        applied = self.policy_values()
        self.run_silently("/uninstall")
        self.assertEqual(self.policy_values(), applied)
        self.assertEqual(split_log(self.log())[0][1],
                         b"No data registry file: " + self.scratch_win.encode() + b"\\reg.dat")

    def test_refused_import_is_logged(self):
        self.run_silently("/install")
        self.target.refuse_launches()
        self.run_silently("/uninstall")
        self.assertEqual([m for _, m in split_log(self.log())],
                         [b"Import registry file error: " + self.scratch_win.encode() +
                          b"\\reg.dat"])

    def test_product_directory_with_blanks(self):
        product = os.path.join(self.scratch, "with  blanks")
        os.mkdir(product)
        self.set_setting("Path", self.target.windows_path(product))
        self.run_silently("/install")
        self.run_silently()
        self.run_silently("/uninstall")
        self.assertEqual(self.policy_values(), [None] * 4)

    def test_relative_path_imports_the_tested_file(self):
        os.mkdir(self.scratch_file("product"))
        self.set_setting("Path", "product")
        self.run_silently("/install")
        self.run_silently()
        self.run_silently("/uninstall")
        self.assertEqual(self.policy_values(), [None] * 4)


class FailureTest(ScenarioTest):
    def test_missing_product_directory_ends_install_with_the_report(self):
        missing = self.scratch_win + "\\missing"
        self.set_setting("Path", missing)
        result = self.run_tarnwell("/install")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, b"")
        module = b"tarnwell.exe" if self.target.name == "wine" else b"tarnwell"
        self.assertRegex(
            result.stderr,
            re.compile(rb"^Exception EFCreateError in module " + module +
                       rb" at [0-9A-F]{8}\.\r\nCannot create file \"" +
                       re.escape(missing.encode() + b"\\reg.dat") + rb"\"\. [^\r\n]*[^.]\.\r\n"
                       rb"\r\n$"))
        self.assertEqual(os.listdir(self.scratch), [])

    @unittest.skipIf(targets.TARGET_NAME == "wine",
                     "file-size limits are a native process resource")
    def test_write_failing_part_way_leaves_no_backup(self):
        def limit_file_size():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (100, 100))

        completed = subprocess.run([self.target._tarnwell, "/install"], env=self.target._env,
                                   cwd=self.scratch, capture_output=True,
                                   preexec_fn=limit_file_size, restore_signals=False)
        self.assertEqual(completed.returncode, 1)
        self.assertRegex(completed.stderr,
                         rb"^Exception EWriteError in module tarnwell at [0-9A-F]{8}\.\r\n"
                         rb"Stream write error\.\r\n\r\n$")
        self.assertEqual(os.listdir(self.scratch), [])
        self.run_silently("/install")
        self.assertTrue(os.path.isfile(self.scratch_file("reg.dat")))


if __name__ == "__main__":
    unittest.main()
