"""The release archive: its three files in name order with their modes, the
stripped exe within 224 KiB, its checksum file, and the same bytes, every time
stamp the commit's, from the working tree built again elsewhere."""

import os
import subprocess
import unittest
import zipfile

ROOT = os.path.abspath(__file__ + "/../..")
PACKAGE = os.environ.get("TARNWELL_WIN32_BUILD", ROOT + "/build/win32") + "/package"
ARCHIVE = "tarnwell-%s-win32.zip" % os.environ.get("TARNWELL_VERSION", "1.0.0")


class ReleaseTest(unittest.TestCase):
    def test_archive(self):
        with zipfile.ZipFile(os.path.join(PACKAGE, ARCHIVE)) as z:
            self.assertEqual([(e.filename, e.external_attr >> 16) for e in z.infolist()],
                             [("README.txt", 0o100644), ("example_installer.nsi", 0o100644),
                              ("tarnwell.exe", 0o100755)])
            self.assertLessEqual(z.getinfo("tarnwell.exe").file_size, 224 * 1024)
        subprocess.run(["sha256sum", "--quiet", "-c", ARCHIVE + ".sha256"], cwd=PACKAGE,
                       check=True)
        again = subprocess.run([ROOT + "/scripts/verify-release", "--against", ARCHIVE, "."],
                               cwd=PACKAGE, capture_output=True, text=True)
        self.assertEqual(again.returncode, 0, again.stdout + again.stderr)
