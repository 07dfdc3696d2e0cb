"""reg.dat: what "/install" writes, and what "/uninstall" imports back."""

import os

from scenario import CREATIVE, NONE_SET, POLICY, VALUES, ScenarioTest

VERSION = b"Windows Registry Editor Version 5.00\r\n"
POLICY_LINE = b"[HKEY_LOCAL_MACHINE\\" + POLICY[5:].encode() + b"]\r\n"
CREATIVE_LINE = b"[HKEY_CURRENT_USER\\" + CREATIVE[5:].encode() + b"]\r\n"
DELETIONS = [b'"%s"=-' % name.encode() for _, name in VALUES]


def backup(lines):
    """The eight lines of a backup holding these four value lines."""
    return (VERSION + b"\r\n" + POLICY_LINE + b"".join(line + b"\r\n" for line in lines[:3]) +
            CREATIVE_LINE + lines[3] + b"\r\n")


def reg_file(policy=(), creative=(), header=VERSION):
    """Registry-editor bytes: the policy key with these lines, then the user key."""
    return (header + b"\r\n" + POLICY_LINE + b"".join(line + b"\r\n" for line in policy) +
            CREATIVE_LINE + b"".join(line + b"\r\n" for line in creative))


def as_hex(text, kind=1):
    """A LockScreenImage line that stores any bytes."""
    return b'"LockScreenImage"=hex(%d):' % kind + b",".join(b"%02x" % c for c in text)


def utf16(ansi):
    return b"\xff\xfe" + ansi.decode("ascii").encode("utf-16-le")


class BackupTest(ScenarioTest):
    def clear(self):
        for key, _ in VALUES[::3]:
            self.target.reg("delete", key, "/f")

    def test_bytes_of_the_backup(self):
        image, dword = b'"LockScreenImage"=', b"=dword:"
        no_change, no_lock, flags = (b'"%s"' % name.encode() for _, name in VALUES[1:])
        control = "C:\\a\r\nb\t.jpg"
        cases = {  # value lines: lines 4-6 and 8 of the backup (default: deletions)
            "no values": ([], [], {}),
            "numbers": ([no_change + b"=dword:00000001", no_lock + b"=dword:00000000"],
                        [flags + b"=dword:0000001A"],
                        {1: no_change + dword + b"00000001", 2: no_lock + dword + b"00000000",
                         3: flags + dword + b"0000001a"}),
            "backslashes": ([image + b'"\\\\\\\\server\\\\a.jpg"'], [],
                            {0: image + b'"\\\\\\\\server\\\\a.jpg"'}),
            "quotes": ([image + b'"say \\"cheese\\""'], [], {0: image + b'"say \\"cheese\\""'}),
            "empty text": ([image + b'""'], [], {0: image + b'""'}),
            "two carets": ([image + b'"^^"'], [], {0: image + b'"^^"'}),
            "a zero byte inside": ([as_hex(b"C:\\a.jpg\0junk\0")], [],
                                   {0: image + b'"C:\\\\a.jpg"'}),
            "other types, the top bit, a caret": (
                [as_hex(b"C:\\a\0", 2), no_change + b"=dword:ffffffff", no_lock + b'="1"'],
                [flags + b"=hex:01,00,00,00"], {}),
            "a caret": ([image + b'"^"'], [flags + b"=dword:80000000"], {}),
            "only the user value": (None, [flags + b"=dword:00000000"],
                                    {3: flags + dword + b"00000000"}),
            "read errors": ([image + b'"C:\\\\a.jpg"', no_change + b"=hex(4):01,00,00,00,00",
                             no_lock + b"=dword:00000001"], [flags + b"=hex(4):00,00,00,00,00"],
                            {0: image + b'"C:\\\\a.jpg"'}),
            "a control character": ([as_hex(control.encode() + b"\0")], [],
                                    {0: as_hex(control.encode("utf-16-le") + b"\0\0")}),
        }
        for case, (policy, creative, lines) in cases.items():
            with self.subTest(case):
                self.clear()
                if policy is None:
                    self.import_reg(VERSION + b"\r\n" + CREATIVE_LINE + creative[0] + b"\r\n")
                elif policy or creative:
                    self.import_reg(reg_file(policy, creative))
                self.run_tarnwell("/install")
                expected = backup([lines.get(i, DELETIONS[i]) for i in range(4)])
                self.assertEqual(self.read(self.path("reg.dat")),
                                 utf16(expected) if case == "a control character" else expected)
                self.assertEqual(self.log(), None if case != "read errors" else [
                    b"Registry read error: \\" + key[5:].encode() for key, _ in VALUES[::3]])
                for name in os.listdir(self.scratch):
                    os.remove(self.path(name))
        self.assert_launched([])

    def test_leftover_temporary_file_gives_way(self):
        for attributes in ({"readonly": True}, {"readonly": True, "hidden": True, "system": True}):
            with self.subTest(**attributes):
                self.target.set_attributes(self.write(self.path("reg.dat.tmp")), **attributes)
                self.run_tarnwell("/install")
                self.assertEqual(os.listdir(self.scratch), ["reg.dat"])
                os.remove(self.path("reg.dat"))


class RestoreTest(ScenarioTest):
    def values(self):
        """The four values as the registry tool exports them, or None each."""
        found = []
        for key, name in VALUES:
            path = os.path.join(self.target.root, "export.reg")
            if self.target.reg("export", key, self.target.windows_path(path), "/y").returncode:
                found.append(None)
                continue
            text = self.read(path).decode("utf-16").replace("\\\r\n  ", "")
            found.append(next((line for line in text.split("\r\n")
                               if line.startswith('"%s"=' % name)), None))
        return found

    def test_uninstall_brings_back_what_install_saw(self):
        ansi = "utf-8" if self.target.name == "native" else "cp1252"
        cases = {
            "absent values": [],
            "ordinary values": [b'"LockScreenImage"="C:\\\\Pics\\\\old.jpg"',
                                b'"NoChangingLockScreen"=dword:00000000',
                                b'"NoLockScreen"=dword:00000001'],
            "quotes and backslashes": [as_hex(b'C:\\x "q" \\\\y\\\0')],
            "line breaks": [as_hex(b"line\r\nbreak\0")],
            "letters outside ASCII": [as_hex("caf\u00e9 \u00c4\u00d6\u00dc\0".encode(ansi))],
            "control characters beside them": [
                as_hex("C:\\caf\u00e9\t\u00c4\x01.jpg\0".encode(ansi))],
        }
        product = self.path("with  blanks")
        os.mkdir(product)
        import_file = ("IMPORT", self.target.windows_path(product) + "\\reg.dat")
        for number, (case, policy) in enumerate(cases.items()):
            # The product directory by its full path, or relative to the current one.
            path = os.path.basename(product) if number % 2 else self.target.windows_path(product)
            with self.subTest(case, path=path):
                self.set_setting("Path", path)
                self.import_reg(reg_file(policy, [b'"LockImageFlags"=dword:0000001a']))
                before = self.values()
                self.run_tarnwell("/install")
                self.run_tarnwell()
                self.assertNotEqual(self.values(), before)
                self.target.launches()  # only the import's matter here
                self.run_tarnwell("/uninstall")
                self.assertEqual(self.values(), before)
                self.assert_launched([import_file])
                self.assertEqual(os.listdir(product), ["reg.dat"])
                os.remove(os.path.join(product, "reg.dat"))

    def test_backup_is_kept_and_never_overwritten(self):
        self.run_tarnwell("/install")
        first = self.read(self.path("reg.dat"))
        for _ in range(2):
            self.run_tarnwell()
            self.run_tarnwell("/uninstall")
            self.assertEqual(self.policy_values(), NONE_SET)
            self.run_tarnwell()
            self.run_tarnwell("/install")
            self.assertEqual(self.read(self.path("reg.dat")), first)

    def test_refused_import_is_logged(self):
        self.run_tarnwell("/install")
        self.target.refuse_launches()
        self.run_tarnwell("/uninstall")
        self.assertEqual(self.log(), [b"Import registry file error: %s\\reg.dat" %
                                      self.scratch_win.encode()])


class BackupCheckTest(ScenarioTest):
    """"/uninstall" imports only a file that holds what a backup can hold."""

    def uninstall(self, cases, message):
        for case, content in cases.items():
            with self.subTest(case):
                self.write(self.path("reg.dat"), content)
                self.run_tarnwell("/uninstall")
                self.assertEqual(self.log(), [message + b" %s\\reg.dat" %
                                              self.scratch_win.encode()])
                os.remove(self.path("tarnwell.log"))

    def test_anything_else_launches_nothing(self):
        value = b'"NoLockScreen"=dword:00000007'  # each would set it, were it imported
        other = b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell]"
        cases = {
            "another key": reg_file([value, other, b'"x"="y"']),
            "another value": reg_file([value, b'"Debugger"="cmd.exe"']),
            "a key deletion": reg_file([value, b"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell]"]),
            "a default value": reg_file([value, b'@="x"']),
            "text for a number": reg_file([b'"NoChangingLockScreen"="1"', value]),
            "expandable text": reg_file([value, as_hex(b"C\0\0\0", 2)]),
            "binary for a number": reg_file([value, b'"NoChangingLockScreen"=hex:01,00,00,00']),
            "a value under the other key": reg_file([value], [value]),
            "a value before any key": VERSION + b"\r\n" + value + b"\r\n" + POLICY_LINE,
            "a value twice": reg_file([value, value]),
            "a key twice": reg_file([value, POLICY_LINE[:-2]]),
            "a line that does not parse": reg_file([value, b"NoLockScreen=1"]),
            "a line continued": reg_file([b'"LockScreenImage"=hex(1):41,00,\\', b"  00,00",
                                          value]),
            "a control character": reg_file([value, b'"LockScreenImage"="a\x00b"']),
            "another header": reg_file([value], header=b"REGEDIT4\r\n"),
            "the other form with another key": utf16(reg_file([value, other])),
        }
        self.uninstall(cases, b"Not a lock-screen backup file:")
        self.assertEqual(self.policy_values(), NONE_SET)
        self.assertIsNone(self.query(r"HKLM\SOFTWARE\Tarnwell", "x"))
        self.assert_launched([])

    def test_whatever_a_backup_holds_is_imported(self):
        self.target.refuse_launches()  # a refused import shows that it was launched
        deletions = backup(DELETIONS)
        cases = {
            "the header alone": VERSION,
            "one key, fewer values": VERSION + b"\r\n" + POLICY_LINE + b'"NoLockScreen"=dword:1\r\n',
            "the keys in the other order": VERSION + b"\r\n" + CREATIVE_LINE +
            b'"LockImageFlags"=dword:0000001A\r\n' + POLICY_LINE + b'"LockScreenImage"=-\r\n',
            "unescaped quotes of older backups": deletions.replace(
                DELETIONS[0], b'"LockScreenImage"="C:\\\\say "cheese".jpg"'),
            "an ANSI text as hex": deletions.replace(DELETIONS[0], as_hex(b"a\r\nb\0")),
            "the UTF-16LE form": utf16(deletions.replace(
                DELETIONS[0], b'"LockScreenImage"="C:\\\\a.jpg"')),
        }
        self.uninstall(cases, b"Import registry file error:")
