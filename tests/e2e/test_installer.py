"""The example installer of the release, built around the exe under test and run silently."""

import os
import unittest

from scenario import NATIVE, NONE_SET, ScenarioTest, targets


@unittest.skipIf(NATIVE or os.environ.get("TARNWELL_32_BIT_WINE") not in ("kernel", "qemu"),
                 "an NSIS setup is a 32-bit Windows program: it needs 32-bit Wine")
class InstallerTest(ScenarioTest):
    def test_uninstaller_restores_what_the_first_setup_saw(self):
        setup = os.path.join(self.target.root, "lumivale-setup.exe")
        targets._run(["makensis", "-DTARNWELL_EXE=" + self.target.program, "-DSETUP=" + setup,
                      targets._ROOT + "/packaging/example_installer.nsi"], None, None, check=True)
        folder = "C:\\Program Files (x86)\\Quorvane\\Lumivale"
        product = os.path.join(self.target.drive_c, "Program Files (x86)", "Quorvane", "Lumivale")
        for setups in (1, 2):  # the second over the first, the image job between
            with self.subTest(setups=setups):
                for _ in range(setups):
                    self.run_tarnwell("/S", program=setup)
                    self.run_tarnwell(program=os.path.join(product, "tarnwell.exe"))
                # In place: _?= takes the rest of the command line as it is, unquoted.
                self.run_tarnwell("/S", *("_?=" + folder).split(" "),
                                  program=product + "/uninstall.exe")
                self.assertEqual(self.policy_values(), NONE_SET)
                self.assertEqual(os.listdir(product), ["uninstall.exe"])
