"""Backing up the lock-screen values into reg.dat on "/install", and
importing them back on "/uninstall"."""

import os
import re
import resource
import signal
import subprocess
import unittest

from harness import targets
from scenario import CREATIVE_KEY, POLICY_KEY, POLICY_VALUES, ScenarioTest, query_value, split_log

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


def hex_list(data):
    return b",".join(b"%02x" % byte for byte in data)


def image_as_hex(text):
    """A LockScreenImage line that stores any text bytes, as an import reads them."""
    return b'"LockScreenImage"=hex(1):' + hex_list(text + b"\0")


def utf16_file(ansi_text):
    """The UTF-16LE form, with its byte-order mark, of ASCII registry-editor text."""
    return b"\xff\xfe" + ansi_text.decode("ascii").encode("utf-16-le")


def ansi(target, text):
    """Text in the target's ANSI code page: UTF-8 on the emulated Windows,
    1252 under Wine."""
    return text.encode("utf-8" if target.name == "native" else "cp1252")


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

    def test_text_with_a_control_character_makes_a_utf16_file(self):
        # The same eight lines, with the text as UTF-16LE string data.
        text = "C:\\a\r\nb\t.jpg"
        self.assertEqual(
            self.backup([image_as_hex(text.encode())]),
            utf16_file(HEADER + b'"LockScreenImage"=hex(1):' +
                       hex_list(text.encode("utf-16-le") + b"\0\0") + b"\r\n" +
                       DELETIONS[len(HEADER) + len(b'"LockScreenImage"=-\r\n'):]))

    def test_leftover_temporary_file_gives_way(self):
        # Left by an interrupted run: read-only, or hidden and system too.
        temporary = self.scratch_file("reg.dat.tmp")
        for attributes in ({"readonly": True}, {"readonly": True, "hidden": True, "system": True}):
            with self.subTest(**attributes):
                self.write(temporary, b"half a backup")
                self.target.set_attributes(temporary, **attributes)
                self.run_silently("/install")
                self.assertEqual(self.read(self.scratch_file("reg.dat")), DELETIONS)
                self.assertEqual(os.listdir(self.scratch), ["reg.dat"])
                os.remove(self.scratch_file("reg.dat"))


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

    def test_control_characters_beside_letters_outside_ascii_come_back(self):
        text = "C:\\caf\u00e9\t\u00c4\x01.jpg"
        self.round_trip([image_as_hex(ansi(self.target, text))], [])
        self.assertIn(hex_list(text.encode("utf-16-le") + b"\0\0").decode(),
                      self.read(self.scratch_file("reg.dat")).decode("utf-16"))


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


class BackupCheckTest(ScenarioTest):
    """"/uninstall" hands reg.dat to an elevated import only when it holds
    nothing but what a backup can hold."""

    def uninstall(self, content):
        self.write(self.scratch_file("reg.dat"), content)
        self.run_silently("/uninstall")
        return [message for _, message in split_log(self.log() or b"")]

    def test_anything_else_launches_nothing(self):
        header = b"Windows Registry Editor Version 5.00\r\n\r\n"
        # Each would also set NoLockScreen, were it imported.
        value = b'"NoLockScreen"=dword:00000007\r\n'
        policy = HEADER + value
        cases = {
            "another key": policy + b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell]\r\n\"x\"=\"y\"\r\n",
            "another value": policy + b'"Debugger"="cmd.exe"\r\n',
            "a key deletion": policy + b"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell]\r\n",
            "a default value": policy + b'@="x"\r\n',
            "text for a number": HEADER + b'"NoChangingLockScreen"="1"\r\n' + value,
            "expandable text": policy + b'"LockScreenImage"=hex(2):43,00,00,00\r\n',
            "binary for a number": policy + b'"NoChangingLockScreen"=hex:01,00,00,00\r\n',
            "a value under the other key": policy + CREATIVE + b'"NoLockScreen"=dword:1\r\n',
            "a value before any key": header + value + HEADER[len(header):],
            "a value twice": policy + value,
            "a key twice": policy + HEADER[len(header):],
            "a line that does not parse": policy + b"NoLockScreen=1\r\n",
            "a line continued": HEADER + b'"LockScreenImage"=hex(1):41,00,\\\r\n  00,00\r\n' + value,
            "a control character": policy + b'"LockScreenImage"="a\x00b"\r\n',
            "another header": b"REGEDIT4\r\n\r\n" + policy[len(header):],
            "the other form with another key": utf16_file(
                policy + b"[HKEY_CURRENT_USER\\SOFTWARE\\Tarnwell]\r\n"),
        }
        file = self.scratch_win.encode() + b"\\reg.dat"
        for case, content in cases.items():
            with self.subTest(case):
                self.assertEqual(self.uninstall(content),
                                 [b"Not a lock-screen backup file: " + file])
                self.assertEqual(self.policy_values(), [None] * 4)
                os.remove(self.scratch_file("tarnwell.log"))
        self.assertIsNone(query_value(self.target, r"HKLM\SOFTWARE\Tarnwell", "x"))

    def test_whatever_a_backup_holds_is_imported(self):
        self.target.refuse_launches()  # a refused import shows that it was launched
        cases = {
            "the header alone": b"Windows Registry Editor Version 5.00\r\n",
            "one key, fewer values": HEADER + b'"NoLockScreen"=dword:1\r\n',
            "the keys in either order": reg_file(
                (CREATIVE_FULL, [b'"LockImageFlags"=dword:0000001A']),
                (POLICY_FULL, [b'"LockScreenImage"=-'])),
            "unescaped quotes of older backups": DELETIONS.replace(
                b'"LockScreenImage"=-', b'"LockScreenImage"="C:\\\\say "cheese".jpg"'),
            "an ANSI text as hex": DELETIONS.replace(b'"LockScreenImage"=-',
                                                     image_as_hex(b"a\r\nb")),
            "the UTF-16LE form": utf16_file(DELETIONS.replace(
                b'"LockScreenImage"=-', b'"LockScreenImage"="C:\\\\a.jpg"')),
        }
        file = self.scratch_win.encode() + b"\\reg.dat"
        for case, content in cases.items():
            with self.subTest(case):
                self.assertEqual(self.uninstall(content),
                                 [b"Import registry file error: " + file])
                os.remove(self.scratch_file("tarnwell.log"))


class FailureTest(ScenarioTest):
    def test_missing_product_directory_ends_install_with_the_report(self):
        missing = self.scratch_win + "\\missing"
        self.set_setting("Path", missing)
        result = self.run_tarnwell("/install")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, b"")
        module = b"tarnwell" if self.target.name == "native" else b"tarnwell.exe"
        self.assertRegex(
            result.stderr,
            re.compile(rb"^Exception EFCreateError in module " + module +
                       rb" at [0-9A-F]{8}\.\r\nCannot create file \"" +
                       re.escape(missing.encode() + b"\\reg.dat") + rb"\"\. [^\r\n]*[^.]\.\r\n"
                       rb"\r\n$"))
        self.assertEqual(os.listdir(self.scratch), [])

    @unittest.skipIf(targets.TARGET_NAME != "native",
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
