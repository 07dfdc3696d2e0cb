"""The example installer of the release, built around the exe under test and run silently."""

import os
import subprocess
import unittest

from scenario import NATIVE, ScenarioTest, targets
from test_backup import FLAGS, IMAGE, NO_CHANGE, reg_file


@unittest.skipIf(NATIVE, "an NSIS setup needs Windows, here Wine")
class InstallerTest(ScenarioTest):
    def test_uninstaller_restores_what_the_first_setup_saw(self):
        how = os.environ.get("TARNWELL_32_BIT_WINE")  # an NSIS setup is a 32-bit program
        if how not in ("kernel", "qemu"):
            self.skipTest("the setup is a 32-bit program: %s" % how)
        setup = os.path.join(self.target.root, "lumivale-setup.exe")
        subprocess.run(["makensis", "-V2", "-DTARNWELL_EXE=" + self.target.program,
                        "-DSETUP=" + setup, targets._ROOT + "/packaging/example_installer.nsi"],
                       check=True, stdout=subprocess.DEVNULL)
        folder = "C:\\Program Files (x86)\\Quorvane\\Lumivale"
        product = os.path.join(self.target.drive_c, "Program Files (x86)", "Quorvane", "Lumivale")
        # An image path outside code page 1252, NoLockScreen absent.
        self.import_reg(reg_file([IMAGE + '"C:\\\\Дмитрий\\\\a.jpg"'.encode(), NO_CHANGE +
                                  b"dword:1"], [FLAGS + b"dword:0000001a"]))
        before = self.policy_values()
        for setups in (1, 2):  # the second over the first, the image job between
            with self.subTest(setups=setups):
                for _ in range(setups):
                    self.run_tarnwell("/S", program=setup)
                    self.run_tarnwell(program=os.path.join(product, "tarnwell.exe"))
                    self.assertNotEqual(self.policy_values(), before)
                # In place: _?= takes the rest of the command line as it is, unquoted.
                self.run_tarnwell("/S", *("_?=" + folder).split(" "),
                                  program=product + "/uninstall.exe")
                self.assertEqual(self.policy_values(), before)
                self.assertEqual(os.listdir(product), ["uninstall.exe"])
