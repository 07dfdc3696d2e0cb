"""The job, the settings, the image a run draws and applies, and the error report."""

import glob
import itertools
import os
import re
import shutil

from scenario import (ANSI, NATIVE, NONE_SET, NUMBERS, SETTINGS, STOCK_DIR, WRITE_ERRORS,
                      ScenarioTest, apply_launches)


class RunTest(ScenarioTest):
    def test_other_first_arguments_do_nothing(self):
        for word in ("/INSTALL", "/Uninstall", "-install", "install", "/install/", "/install ",
                     "/uninstal", "foo"):
            with self.subTest(word):
                self.run_tarnwell(word)
                self.assertEqual(os.listdir(self.scratch), [])
        self.assertEqual(self.policy_values(), NONE_SET)
        self.assert_launched([])

    def test_path_names_the_product_directory(self):
        for folder in ("elsewhere/product", "product", "Продукт"):
            os.makedirs(self.path(folder))
        product, cyrillic = (self.target.windows_path(self.path(d)) for d in ("product", "Продукт"))
        for settings, directory in [([(cyrillic,)], "Продукт"),
                ([], "elsewhere"), ([(product, "REG_EXPAND_SZ")], "elsewhere"),
                ([(product, "REG_SZ", "/reg:64")], "elsewhere"), ([("|",)], "elsewhere"),
                ([(product + "\\*",)], "elsewhere"), ([(product + "\\a?",)], "elsewhere"),
                ([(product,)], "product"), ([("product",)], "elsewhere/product")]:
            with self.subTest(settings=settings):
                for view in ("/reg:32", "/reg:64"):
                    self.target.reg("delete", SETTINGS, "/f", view)
                for setting in settings:
                    self.set_setting("Path", *setting)
                for job in ("/uninstall", "/install"):  # the first logs that there is no reg.dat
                    self.run_tarnwell(job, cwd=self.path("elsewhere"))
                self.assertEqual([(os.path.relpath(d, self.scratch), sorted(files)) for d, _, files
                                  in os.walk(self.scratch) if files],
                                 [(directory, ["reg.dat", "tarnwell.log"])])
                if directory == "Продукт":  # the log in the system's code page
                    self.assertEqual(self.log(self.path(directory)), [
                        b"No data registry file: %s\\reg.dat" % cyrillic.encode(ANSI, "replace")])
                for name in ("reg.dat", "tarnwell.log"):
                    os.remove(self.path(directory, name))

    def test_empty_path_is_the_root_of_the_current_drive(self):
        os.mkdir(os.path.join(self.target.drive_c, "work"))
        self.set_setting("Path", "")
        self.run_tarnwell("/uninstall", cwd=os.path.join(self.target.drive_c, "work"))
        self.assertEqual(self.log(self.target.drive_c), [b"No data registry file: \\reg.dat"])

    def test_unguarded_failure_ends_the_run_with_the_report(self):
        cases = [(("/install",), "Path", self.scratch_win + "\\" + bad, b"EFCreateError.*\r\n"
                  b'Cannot create file "' + re.escape((self.scratch_win + "\\" + bad).encode()) +
                  rb'\\reg\.dat"\. [^\r\n]*[^.\r\n ]') for bad in ("missing", "a<b", 'a"b')]
        cases += [((), name, None, b"ERegistryException.*\r\nFailed to get data for '%s'"
                   % name.encode()) for name in ("FormLeft", "FormTop", "Random")]
        for args, name, path, report in cases:
            with self.subTest(name=name, path=path):
                self.target.reg("delete", SETTINGS, "/f", "/reg:32")
                if path:
                    self.set_setting(name, path)
                else:  # a number of five bytes
                    self.import_reg(b"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_"
                                    b"MACHINE\\SOFTWARE\\WOW6432Node\\Quorvane\\Lumivale]\r\n"
                                    b'"%s"=hex(4):01,00,00,00,00\r\n' % name.encode())
                first, second = (self.run_tarnwell(*args, silent=False) for _ in range(2))
                self.assertEqual(first, second)  # the same address each time
                self.assertEqual(first[:2], (1, b""))
                self.assertRegex(first.stderr, b"^Exception " + report.replace(
                    b".*", b" in module " + self.target.module.encode() + b" at [0-9A-F]{8}\\.") +
                    b"\\.\r\n\r\n$")
                self.assertEqual(os.listdir(self.scratch), [])
        self.assertEqual(self.policy_values(), NONE_SET)
        self.assert_launched([])

    if not NATIVE:  # the stack protector's seed loads these, from beside the program first
        def test_dlls_loaded_after_start_come_from_the_system_folder(self):
            folders = (os.path.dirname(self.target.program), self.scratch)
            for folder, name in itertools.product(folders, ("bcrypt.dll", "crypt32.dll")):
                shutil.copy(self.target.load_marker, os.path.join(folder, name))
            env = {"WINEDLLOVERRIDES": self.target.env["WINEDLLOVERRIDES"] + ";bcrypt,crypt32=n,b"}
            for job in (["/install"], [], ["/uninstall"]):
                self.run_tarnwell(*job, env=env)
                self.assertEqual(sum((glob.glob(f + "/*.loaded") for f in folders), []), [])


class ImageTest(ScenarioTest):
    def use(self, names, random=("1", "REG_DWORD"), image_dir="{win}", folder="my pictures"):
        self.pictures = self.path("%s %d" % (folder, len(os.listdir(self.scratch))))
        self.pictures_win = self.target.windows_path(self.pictures)
        for name in names:
            self.write(os.path.join(self.pictures, name))
        self.set_setting("Random", *random)
        self.set_setting("ImageDir", image_dir.format(win=self.pictures_win,
                                                      name=os.path.basename(self.pictures)))

    def drawn(self):
        self.run_tarnwell()
        return self.policy_values()[0][1]

    def test_settings_choose_the_directory(self):
        on, off = ("1", "REG_DWORD"), ("1", "REG_SZ")
        for random, image_dir, mine in [
                (on, "{win}", True), (("2", "REG_DWORD"), "{win}", True), (on, "{win}\\", True),
                (on, "{name}", True), (("0", "REG_DWORD"), "{win}", False), (off, "{win}", False),
                (on, "{win}\\missing", False), (on, "", False)]:
            with self.subTest(random=random, image_dir=image_dir):
                self.use(["one.png"], random, image_dir)
                image = self.drawn()
                # A relative directory is set by its full path.
                self.assertEqual(image == self.pictures_win + "\\one.png", mine)
                stock = [STOCK_DIR + "\\" + name for name in os.listdir(self.target.stock)]
                self.assertEqual(image in stock, not mine)
                self.assert_applied(image)

    def test_candidates_are_visible_plain_files_of_the_masks(self):
        for names in ["a.JPG", "b.jpeg", "c.PNG", "d.gif", "e.BMP", "readme.txt"]:
            with self.subTest(names=names):
                self.use([names, "c.jpg/x", "x.jpeg", "y.png"])  # c.jpg: a directory
                os.symlink("/nonexistent", os.path.join(self.pictures, "z.jpg"))  # no file
                for name, attributes in (("x.jpeg", {"hidden": True}), ("y.png", {"system": True}),
                                         (names, {"readonly": names == "d.gif"})):
                    self.target.set_attributes(os.path.join(self.pictures, name), **attributes)
                applied = self.policy_values()
                self.run_tarnwell()
                if names == "readme.txt":  # no image: nothing is set
                    self.assertEqual(self.policy_values(), applied)
                    self.assert_launched([])
                else:
                    self.assert_applied(self.pictures_win + "\\" + names)

    def test_any_candidate_is_drawn(self):
        names = ["a.jpg", "桜 🌸\uff02.jpeg"]  # a fullwidth quotation mark, no double quote
        self.use(names, folder="Дмитрий")  # in no code page of the runs but UTF-8
        drawn = {self.drawn() for _ in range(12)}  # both, but once in 2,000 runs
        self.assertEqual(drawn, {self.pictures_win + "\\" + name for name in names})

    if NATIVE:  # no Windows file name holds a double quote
        def test_image_path_with_a_double_quote_is_not_set(self):
            self.use(['say "cheese".jpg'])
            self.run_tarnwell()
            self.assertEqual(self.log(), WRITE_ERRORS[:1])
            self.assertEqual(self.policy_values(), [None] + NUMBERS)
            self.assert_launched([a for a in apply_launches("") if "LockScreenImage" not in a])
