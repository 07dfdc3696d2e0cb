"""reg.dat: what "/install" writes, and what "/uninstall" imports back."""

import os

from scenario import (ANSI, CREATIVE, NATIVE, NONE_SET, POLICY, VALUES, WRITE_ERRORS, ScenarioTest,
                      utf16)

VERSION = b"Windows Registry Editor Version 5.00\r\n"
POLICY_LINE = b"[HKEY_LOCAL_MACHINE\\" + POLICY[5:].encode() + b"]"
CREATIVE_LINE = b"[HKEY_CURRENT_USER\\" + CREATIVE[5:].encode() + b"]"
DELETIONS = [b'"%s"=-' % name.encode() for _, name in VALUES]
IMAGE, NO_CHANGE, NO_LOCK, FLAGS = (b'"%s"=' % name.encode() for _, name in VALUES)
A_JPG = IMAGE + b'"C:\\\\a.jpg"'
LARGEST = VERSION + b"\r\n" * ((2**20 - len(VERSION)) // 2)  # 1 MiB


def reg_file(policy=[], creative=[], header=VERSION):
    """Registry-editor bytes: the policy key (unless None) with these lines, then the user key."""
    lines = [header] + ([POLICY_LINE] + policy if policy is not None else []) + [CREATIVE_LINE]
    lines += creative
    return b"\r\n".join(lines) + b"\r\n"


NO_VALUES = reg_file(DELETIONS[:3], DELETIONS[3:])  # a backup of a machine with none of them


def as_hex(text, kind=1):
    """A LockScreenImage line that stores any bytes."""
    return IMAGE + b"hex(%d):" % kind + b",".join(b"%02x" % c for c in text)


class BackupTest(ScenarioTest):
    def test_bytes_of_the_backup(self):
        controls = ["C:\\a\x01.jpg", "C:\\b\x1f.jpg"]  # the lowest and highest control codes
        one, zero = NO_CHANGE + b"dword:00000001", FLAGS + b"dword:0"
        cases = {  # value lines: lines 4-6 and 8 of the backup (default: deletions)
            "no values": ([], [], {}),
            "numbers": ([one, NO_LOCK + b"dword:0"], [FLAGS + b"dword:0012001A"],
                        {1: one, 2: NO_LOCK + b"dword:00000000", 3: FLAGS + b"dword:0012001a"}),
            "numbers of no and one byte": ([NO_CHANGE + b"hex(4):", NO_LOCK + b"hex(4):07"], [], {
                1: NO_CHANGE + b"dword:00000000", 2: NO_LOCK + b"dword:00000007"}),
            "a text without its closing zero": ([as_hex(b"C:\\a.jpg")], [], {0: A_JPG}),
            "backslashes": ([IMAGE + b'"\\\\\\\\server\\\\a.jpg"'], [], None),
            "quotes": ([IMAGE + b'"say \\"cheese\\""'], [], None),
            "empty text": ([IMAGE + b'""'], [], None),
            "two carets": ([IMAGE + b'"^^"'], [], None),
            "a zero byte inside": ([as_hex(b"C:\\a.jpg\0junk\0")], [], {0: A_JPG}),
            "other types and the top bit": (
                [as_hex(b"C:\\a\0", 2), NO_CHANGE + b"dword:ffffffff", NO_LOCK + b'"1"'],
                [FLAGS + b"hex:01,00,00,00"], {}),
            "a caret": ([IMAGE + b'"^"'], [FLAGS + b"dword:80000000"], {}),
            "within the code page": ([IMAGE + '"C:\\\\café.jpg"'.encode()], [], None),
            "only the user key": (None, [zero], {3: FLAGS + b"dword:00000000"}),
            "read errors": ([A_JPG, NO_CHANGE + b"hex(4):01,00,00,00,00",
                             NO_LOCK + b"dword:00000001"], [FLAGS + b"hex(4):00,00,00,00,00"],
                            {0: A_JPG}),
            **{"control character %d" % i: ([as_hex(text.encode() + b"\0")], [], {
                0: as_hex(text.encode("utf-16-le") + b"\0\0")}) for i, text in enumerate(controls)},
        }
        for case, (policy, creative, lines) in cases.items():
            with self.subTest(case):
                for key, _ in VALUES[::3]:
                    self.target.reg("delete", key, "/f")
                self.import_reg(reg_file(policy, creative))
                self.run_tarnwell("/install")
                lines = {0: policy[0]} if lines is None else lines
                expected = reg_file([lines.get(i, DELETIONS[i]) for i in range(3)],
                                    [lines.get(3, DELETIONS[3])], VERSION)
                self.assertEqual(self.read(self.path("reg.dat")), utf16(expected) if "control" in
                                 case else expected.decode().encode(ANSI))
                errors = [b"Registry read error: \\" + key[5:].encode() for key, _ in VALUES[::3]]
                self.assertEqual(self.log(), errors if "errors" in case else None)
                for name in os.listdir(self.scratch):
                    os.remove(self.path(name))
        self.assert_launched([])

class RestoreTest(ScenarioTest):
    def test_uninstall_brings_back_what_install_saw_and_the_backup_is_kept(self):
        odd = "C:\\x \"q\" \\\\caf\u00e9\r\n\u00c4\x01.jpg\0".encode(ANSI)  # of the UTF-16LE form
        blanks = self.path("with  blanks")
        kanji = '"C:\\\\表\\\\a.jpg"'  # 表 is 95 5C in code page 932: a trail byte like a backslash
        os.mkdir(blanks)
        for path, policy, env in [
                ("with  blanks", [as_hex(odd)], {}),  # relative to the current directory
                (blanks, [IMAGE + '"C:\\\\users\\\\Дмитрий\\\\桜 🌸.jpg"'.encode()], {}),
                (blanks, [IMAGE + kanji.encode()], {"LC_ALL": "ja_JP.UTF-8"})]:
            with self.subTest(path=path, policy=policy):
                self.set_setting("Path", self.target.windows_path(path) if "/" in path else path)
                self.import_reg(reg_file(policy, [FLAGS + b"dword:0000001a"]))
                before = self.policy_values()
                self.run_tarnwell("/install", env=env)
                first = self.read(self.path("with  blanks", "reg.dat"))
                if env:
                    self.assertIn(kanji.encode("utf-8" if NATIVE else "cp932"), first)
                self.run_tarnwell()
                self.target.launches()  # only the import's matter here
                self.run_tarnwell("/uninstall", env=env)
                self.assertEqual(self.policy_values(), before)
                self.assert_launched([("IMPORT", self.scratch_win + "\\with  blanks\\reg.dat")])
                self.run_tarnwell()
                self.run_tarnwell("/install")
                self.assertEqual(self.read(self.path("with  blanks", "reg.dat")), first)
                os.remove(self.path("with  blanks", "reg.dat"))

    def install_through_link(self, folder):  # the values, and the link that names the product
        self.import_reg(reg_file([A_JPG, NO_LOCK + b"dword:1"], [FLAGS + b"dword:0000001a"]))
        link = self.target.windows_path(self.target.root + "/link")  # to `folder`
        os.symlink(folder, self.target.root + "/link")
        self.set_setting("Path", link)
        self.run_tarnwell("/install")
        return self.policy_values(), link

    def test_import_reads_the_file_that_was_checked_and_is_waited_for(self):
        before, link = self.install_through_link(self.scratch)
        backup, report = self.read(self.path("reg.dat")), self.target.root + "/race"
        error = [b"Import registry file error: %s\\reg.dat" % link.encode()]
        imported = (self.scratch_win + "\\reg.dat").encode()  # the file itself, not the link
        # How reg.dat is raced while the import runs: the racer's report (each row
        # writes its own), the log (only the last row's makes one).
        cases = {way: ([b"%s refused %d" % (way.encode(), status), b"import 0"], None)
                 for way, status in (("rewrite", 32), ("rename", 5))}
        cases["fail"] = ([b"fail"], error)  # a reg that ends with status 1
        with self.target.racing_reg() as env:
            env["TARNWELL_RACE_REPORT"] = self.target.windows_path(report)
            for way, (raced, log) in cases.items():
                with self.subTest(way):
                    self.import_reg(NO_VALUES)
                    ended = []  # the values as the program leaves them
                    self.run_tarnwell("/uninstall", env=dict(env, TARNWELL_RACE=way),
                                      then=lambda: ended.append(self.policy_values()))
                    self.assertEqual(ended, [NONE_SET if log else before])
                    self.assertEqual(self.read(report).split(b"\r\n"), [imported] + raced)
                    self.assertEqual(self.log(), log)
                    self.assertEqual(self.read(self.path("reg.dat")), backup)
                    self.assertNotIn("x", self.values(r"HKLM\SOFTWARE\Planted"))

    def test_import_path_that_windows_would_turn_elsewhere_is_never_handed_over(self):
        dotted = self.path("evil.")  # a period ends its name
        os.mkdir(dotted)
        before, link = self.install_through_link(dotted)
        error = b"Import registry file error: %s\\reg.dat" % link.encode()
        for planted in (False, True):  # a path through "evil." opens nothing, then "evil"'s file
            with self.subTest(planted=planted):
                if planted:
                    self.write(self.path("evil", "reg.dat"), NO_VALUES)
                self.import_reg(NO_VALUES)
                self.run_tarnwell("/uninstall")
                log = self.log(dotted)  # where no path is known to open the held file: a line
                self.assertIn(log, (None, [error] * (1 + planted)))
                self.assertEqual(self.policy_values(), NONE_SET if log else before)
                self.assert_launched([("IMPORT", "\\\\?\\%s\\reg.dat" %  # the held file's own
                                       self.target.windows_path(dotted))])

    def test_leftover_temporary_file_gives_way_and_only_the_system_reg_is_launched(self):
        tmp = self.write(self.path("reg.dat.tmp"))
        self.target.set_attributes(tmp, hidden=True, system=True, readonly=True)
        self.run_tarnwell("/install")
        self.assertEqual(os.listdir(self.scratch), ["reg.dat"])
        self.target.refuse_launches()  # the system's reg.exe is gone; others stand in its place
        for directory in (os.path.dirname(self.target.program), self.scratch):
            self.target.plant_reg(directory)
        report = self.target.root + "/race"
        env = {"TARNWELL_RACE": "fail", "TARNWELL_RACE_REPORT": self.target.windows_path(report)}
        self.run_tarnwell(env=env)
        self.run_tarnwell("/uninstall", env=env)
        self.assertEqual(self.log(), WRITE_ERRORS + [b"Import registry file error: %s\\reg.dat" %
                                                     self.scratch_win.encode()])
        self.assertFalse(os.path.exists(report))


class BackupCheckTest(ScenarioTest):
    """"/uninstall" imports only a file that holds what a backup can hold."""

    def uninstall(self, cases, message):
        message += b" " + self.scratch_win.encode() + b"\\reg.dat"
        for case, content in cases.items():
            with self.subTest(case):
                self.write(self.path("reg.dat"), content)
                self.run_tarnwell("/uninstall")
                self.assertEqual(self.log(), [message])
                os.remove(self.path("tarnwell.log"))

    def test_anything_else_launches_nothing(self):
        value = NO_LOCK + b"dword:00000007"  # each would set it, were it imported
        other = b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell]"
        self.uninstall({
            "another key": reg_file([value, other, b'"x"="y"']),
            "another value": reg_file([value, b'"Debugger"="cmd.exe"']),
            "a key deletion": reg_file([value, b"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell]"]),
            "text for a number": reg_file([NO_CHANGE + b'"1"', value]),
            "expandable text": reg_file([value, as_hex(b"C\0\0\0", 2)]),
            "a value under the other key": reg_file([value], [value]),
            "a value before any key": reg_file([], [], VERSION + b"\r\n" + value),
            "a value twice": reg_file([value, value]),
            "a key twice": reg_file([value, POLICY_LINE]),
            "a line continued": reg_file([IMAGE + b"hex(1):41,00,\\", b"  00,00", value]),
            "a control character": reg_file([value, IMAGE + b'"a\x00b"']),
            "another header": reg_file([value], [], b"REGEDIT4\r\n"),
            "a letter in a number": reg_file([value, NO_CHANGE + b"dword:0000000g"]),
            "nine digits in a number": reg_file([value, NO_CHANGE + b"dword:000000001"]),
            "three digits in a hex group": reg_file([value, IMAGE + b"hex(1):410,00"]),
            "an empty hex group": reg_file([value, IMAGE + b"hex(1):41,,00"]),
            "a comma at the end of hex data": reg_file([value, IMAGE + b"hex(1):41,00,"]),
            "more after a key": reg_file([value]).replace(POLICY_LINE, POLICY_LINE + b"x"),
            "a byte more than a backup can be": LARGEST + b"\n",
        }, b"Not a lock-screen backup file:")
        self.assertEqual(self.policy_values(), NONE_SET)
        self.assertNotIn("x", self.values(r"HKLM\SOFTWARE\Tarnwell"))
        self.assert_launched([])

    def test_whatever_a_backup_holds_is_imported(self):
        self.target.refuse_launches()  # a refused import shows that it was launched
        self.uninstall({
            "the header alone": VERSION,
            "the largest a backup can be": LARGEST,
            "an empty hex text": NO_VALUES.replace(DELETIONS[0], IMAGE + b"hex(1):"),
            "one key in the other order, fewer values": b"\r\n".join([
                VERSION, CREATIVE_LINE, FLAGS + b"dword:0000001A", POLICY_LINE, DELETIONS[0], b""]),
            "unescaped quotes of older backups": NO_VALUES.replace(
                DELETIONS[0], IMAGE + b'"C:\\\\say "cheese".jpg"'),
            "an ANSI text as hex": NO_VALUES.replace(DELETIONS[0], as_hex(b"a\r\nb\0")),
            "an empty text": NO_VALUES.replace(DELETIONS[0], IMAGE + b'""'),
            "a number of one digit": NO_VALUES.replace(DELETIONS[2], NO_LOCK + b"dword:0"),
            "names in another case": NO_VALUES.replace(POLICY_LINE, POLICY_LINE.upper()),
            "the UTF-16LE form": utf16(NO_VALUES.replace(DELETIONS[0], A_JPG)),
        }, b"Import registry file error:")
