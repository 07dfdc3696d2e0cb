"""The jobs the arguments choose, the settings, the image a run without
arguments draws and applies, and the report that ends a failed run."""

import os
import re

from harness import targets
from scenario import (NATIVE, NONE_SET, NUMBERS, SETTINGS, STOCK_DIR, VALUES, WRITE_ERRORS, ScenarioTest,
                      apply_launches)


class DispatchTest(ScenarioTest):
    def test_first_argument_chooses_the_job(self):
        cases = [(("/install", "/uninstall"), ["reg.dat"]), (("/uninstall",), ["tarnwell.log"])]
        cases += [((word,), []) for word in ("/INSTALL", "/Uninstall", "-install", "install",
                                             "/install/", "/install ", "/uninstal", "foo")]
        for args, files in cases:
            with self.subTest(args=args):
                self.run_tarnwell(*args)
                self.assertEqual(os.listdir(self.scratch), files)
                for name in files:
                    os.remove(self.path(name))
        self.assertEqual(self.policy_values(), NONE_SET)
        self.assert_launched([])

    def test_no_argument_applies_a_stock_image(self):
        self.run_tarnwell()
        image = self.policy_values()[0][1]
        stock = os.listdir(self.target.stock)
        self.assertIn(image, [STOCK_DIR + "\\" + name for name in stock])
        self.assert_applied(image)
        self.assertEqual(os.listdir(self.scratch), [])


class SettingsTest(ScenarioTest):
    def test_path_names_the_product_directory(self):
        elsewhere = self.path("elsewhere")
        product = self.path("product")
        os.mkdir(elsewhere)
        os.mkdir(product)
        product_win = self.target.windows_path(product)
        cases = {  # setting: where reg.dat lands, run from `elsewhere`
            "no key": ([], "elsewhere"),
            "a path": ([("Path", product_win)], "product"),
            "a relative path": ([("Path", "product")], "elsewhere/product"),
            "expandable": ([("Path", product_win, "REG_EXPAND_SZ")], "elsewhere"),
            "only in the 64-bit view": ([("Path", product_win, "REG_SZ", "/reg:64")],
                                        "elsewhere"),
        }
        for bad in "*?|":
            cases["with " + bad] = ([("Path", product_win + "\\a" + bad)], "elsewhere")
        os.mkdir(os.path.join(elsewhere, "product"))
        for case, (settings, directory) in cases.items():
            with self.subTest(case):
                for view in ("/reg:32", "/reg:64"):
                    self.target.reg("delete", SETTINGS, "/f", view)
                for setting in settings:
                    self.set_setting(*setting)
                self.run_tarnwell("/install", cwd=elsewhere)
                found = [os.path.relpath(d, self.scratch) for d, _, files in os.walk(self.scratch)
                         if "reg.dat" in files]
                self.assertEqual(found, [directory])
                os.remove(self.path(directory, "reg.dat"))

    def test_empty_path_is_the_root_of_the_current_drive(self):
        working = os.path.join(self.target.drive_c, "work")
        os.mkdir(working)
        self.set_setting("Path", "")
        self.run_tarnwell("/uninstall", cwd=working)
        self.assertEqual(self.log(self.target.drive_c), [b"No data registry file: \\reg.dat"])
        self.run_tarnwell("/install", cwd=working)
        self.assertTrue(os.path.isfile(os.path.join(self.target.drive_c, "reg.dat")))

    if NATIVE:  # access granted to a key is set in the emulated registry's hive
        def test_key_granting_only_read_access_is_read(self):
            self.set_setting("Path", "product")
            hive = os.path.join(self.target.prefix, "system.reg")
            text = self.read(hive)
            key = b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Quorvane\\Lumivale]"
            start = text.lower().index(key.lower()) + len(key) + 1
            for granted, directory in ((b"0x00020019", "product"), (b"0x00000000", ".")):
                with self.subTest(granted=granted):
                    self.write(hive, text[:start] + b"#access=" + granted + b"\n" + text[start:])
                    os.makedirs(self.path("product"), exist_ok=True)
                    self.run_tarnwell("/install")
                    os.remove(self.path(directory, "reg.dat"))


class ImageTest(ScenarioTest):
    def use(self, files, random=("1", "REG_DWORD"), image_dir="{win}"):
        """A fresh pictures directory holding these files (name: attributes, or
        None for a directory), named in the settings."""
        self.pictures = self.path("my pictures %d" % len(os.listdir(self.scratch)))
        os.mkdir(self.pictures)
        for name, attributes in (files if isinstance(files, dict) else
                                 dict.fromkeys(files, {})).items():
            path = os.path.join(self.pictures, name)
            if attributes is None:
                os.mkdir(path)
            else:
                self.target.set_attributes(self.write(path), **attributes)
        self.pictures_win = self.target.windows_path(self.pictures)
        self.set_setting("Random", *random)
        self.set_setting("ImageDir", image_dir.format(win=self.pictures_win,
                                                      name=os.path.basename(self.pictures)))

    def test_settings_choose_the_directory(self):
        for random, image_dir, mine in [
                (("1", "REG_DWORD"), "{win}", True), (("2", "REG_DWORD"), "{win}", True),
                (("1", "REG_DWORD"), "{win}\\", True), (("1", "REG_DWORD"), "{name}", True),
                (("0", "REG_DWORD"), "{win}", False), (("1", "REG_SZ"), "{win}", False),
                (("1", "REG_DWORD"), "{win}\\missing", False), (("1", "REG_DWORD"), "", False)]:
            with self.subTest(random=random, image_dir=image_dir):
                self.use(["one.png"], random, image_dir)
                self.run_tarnwell()
                image = self.policy_values()[0][1]
                if mine:  # a relative directory is set by its full path
                    self.assertEqual(image, self.pictures_win + "\\one.png")
                else:
                    self.assertTrue(image.startswith(STOCK_DIR + "\\"), image)
                self.assert_applied(image)

    def test_candidates_are_visible_plain_files_of_the_masks(self):
        others = {"c.jpg": None, "notes.txt": {}, "x.jpeg": {"hidden": True},
                  "y.png": {"system": True}, "z.gif": {"readonly": True}}
        for files in [["a.JPG"], ["b.jpeg"], ["c.PNG"], ["d.gif"], ["e.BMP"], others]:
            with self.subTest(files=files):
                self.use(files)
                self.run_tarnwell()
                self.assert_applied(self.pictures_win + "\\" + list(files)[-1])
        self.assertIsNone(self.log())

    def test_any_candidate_can_be_drawn(self):
        names = ["a.jpg", "b.jpeg", "c.png", "d.gif", "e.bmp"]
        self.use(names)
        drawn = set()
        for _ in range(6):
            self.run_tarnwell()
            drawn.add(self.policy_values()[0][1])
        self.assertLessEqual(drawn, {self.pictures_win + "\\" + name for name in names})
        self.assertGreater(len(drawn), 1)

    def test_directory_without_images_applies_nothing(self):
        self.use(["readme.txt"])
        self.run_tarnwell()
        self.assertEqual(self.policy_values(), NONE_SET)
        self.assert_launched([])
        self.assertEqual(os.listdir(self.scratch), [os.path.basename(self.pictures)])

    def test_refused_launches_are_logged_in_order_on_every_run(self):
        self.use(["sea view.jpg"])
        self.target.refuse_launches()
        self.run_tarnwell()
        self.run_tarnwell()
        self.assertEqual(self.log(), WRITE_ERRORS * 2)
        self.assertEqual(self.policy_values(), NONE_SET)

    if NATIVE:  # no Windows file name holds a double quote
        def test_image_path_with_a_double_quote_is_not_set(self):
            self.use(['say "cheese".jpg'])
            self.run_tarnwell()
            self.assertEqual(self.log(), WRITE_ERRORS[:1])
            self.assertEqual(self.policy_values(), [None] + NUMBERS)
            self.assert_launched([launch for launch in apply_launches("")
                                  if "LockScreenImage" not in launch])

    if not NATIVE:
        def test_32_and_64_bit_programs_read_the_32_bit_view(self):
            self.use(["mine.png"])
            self.set_setting("ImageDir", self.scratch_win, view="/reg:64")
            for exe in (targets.win32_exe(), targets.win64_exe()):
                with self.subTest(exe=exe):
                    self.run_tarnwell(program=exe)
                    self.assert_applied(self.pictures_win + "\\mine.png")
                    self.reg("delete", VALUES[0][0], "/f")


class ReportTest(ScenarioTest):
    """A failure no routine guards ends the run with a report and status 1."""

    def test_report(self):
        absolute = re.escape(self.scratch_win.encode() + b"\\")
        cases = [("Path", self.scratch_win + "\\" + missing, ("/install",), b"EFCreateError",
                  b'Cannot create file "' + absolute + re.escape(missing.encode()) +
                  rb'\\reg\.dat"\. [^\r\n]*[^.\r\n ]\.') for missing in ("missing", "a<b", 'a"b')]
        for name in ("FormLeft", "FormTop", "Random"):
            cases.append((name, "hex(4):01,00,00,00,00,00,00,00", (), b"ERegistryException",
                          b"Failed to get data for '" + name.encode() + b"'\\."))
        for name, data, args, error, message in cases:
            with self.subTest(name=name, data=data):
                self.target.reg("delete", SETTINGS, "/f", "/reg:32")
                if data.startswith("hex"):
                    self.import_reg(b'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE'
                                    b'\\SOFTWARE\\WOW6432Node\\Quorvane\\Lumivale]\r\n"%s"=%s\r\n'
                                    % (name.encode(), data.encode()))
                else:
                    self.set_setting(name, data)
                reports = [self.run_tarnwell(*args, silent=False) for _ in range(2)]
                self.assertEqual(reports[0], reports[1])  # the same address each time
                self.assertEqual(reports[0][:2], (1, b""))
                self.assertRegex(reports[0].stderr, b"^Exception " + error + b" in module " +
                                 re.escape(self.target.module.encode()) +
                                 rb" at [0-9A-F]{8}\.\r\n" + message + b"\r\n\r\n$")
                self.assertEqual(os.listdir(self.scratch), [])
        self.assertEqual(self.policy_values(), NONE_SET)
        self.assert_launched([])
