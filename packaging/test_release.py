"""The release archive: its two files, and its exe the win32 build, stripped
to within 224 KiB."""

import os
import struct
import subprocess
import tempfile
import unittest
import zipfile

BUILD = os.environ.get("TARNWELL_WIN32_BUILD", os.path.abspath(__file__ + "/../../build/win32"))
VERSION = os.environ.get("TARNWELL_VERSION", "1.0.0")


def unstamped(image):  # without the time stamp and checksum that stripping renews
    pe, image = struct.unpack_from("<I", image, 0x3C)[0], bytearray(image)
    image[pe + 8:pe + 12] = image[pe + 88:pe + 92] = bytes(4)
    return bytes(image)


class ReleaseTest(unittest.TestCase):
    def test_archive(self):
        with zipfile.ZipFile("%s/package/tarnwell-%s-win32.zip" % (BUILD, VERSION)) as z:
            self.assertEqual(sorted(z.namelist()), ["README.txt", "tarnwell.exe"])
            shipped = z.read("tarnwell.exe")
        self.assertLessEqual(len(shipped), 224 * 1024)
        with tempfile.TemporaryDirectory() as scratch:
            stripped = os.path.join(scratch, "tarnwell.exe")
            subprocess.run(["i686-w64-mingw32-strip", "-o", stripped,
                            os.path.join(BUILD, "bin", "tarnwell.exe")], check=True)
            with open(stripped, "rb") as f:
                self.assertTrue(unstamped(shipped) == unstamped(f.read()), "not the win32 build")
