"""The release artifact: the win32 tarnwell.exe (version resource, imports,
stripped size) and the ZIP archive the package target makes."""

import os
import re
import struct
import subprocess
import tempfile
import unittest
import zipfile

BUILD = os.environ.get("TARNWELL_WIN32_BUILD",
                       os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build",
                                    "win32"))
VERSION = os.environ.get("TARNWELL_VERSION", "1.0.0")
EXE = os.path.join(BUILD, "bin", "tarnwell.exe")
ARCHIVE = os.path.join(BUILD, "package", "tarnwell-%s-win32.zip" % VERSION)
SYSTEM_DLLS = {"kernel32.dll", "advapi32.dll", "shell32.dll", "user32.dll", "msvcrt.dll"}
MAX_STRIPPED_SIZE = 256 * 1024


def resource_section(image):
    """The bytes of the PE's .rsrc section."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    assert image[pe:pe + 4] == b"PE\0\0"
    sections, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    table = pe + 24 + optional_size
    for i in range(sections):
        entry = table + 40 * i
        name = image[entry:entry + 8].rstrip(b"\0")
        raw_size, raw_offset = struct.unpack_from("<II", image, entry + 16)
        if name == b".rsrc":
            return image[raw_offset:raw_offset + raw_size]
    return b""


def version_strings(rsrc):
    """The StringFileInfo pairs: UTF-16 key, padding, UTF-16 value."""
    text = rsrc.decode("utf-16-le", errors="replace")
    pairs = {}
    for key in ("CompanyName", "FileDescription", "FileVersion", "InternalName",
                "OriginalFilename", "ProductName", "ProductVersion"):
        match = re.search(key + "\0+([^\0]+)\0", text)
        if match:
            pairs[key] = match.group(1)
    return pairs


class ReleaseTest(unittest.TestCase):

    def setUp(self):
        if not os.path.isfile(EXE):
            self.fail("%s is missing: cmake --preset win32 && cmake --build --preset win32" % EXE)
        with open(EXE, "rb") as f:
            self.image = f.read()

    def test_version_resource(self):
        rsrc = resource_section(self.image)
        self.assertIn("VS_VERSION_INFO".encode("utf-16-le"), rsrc)
        # VS_FIXEDFILEINFO: signature, then file version as two 32-bit halves.
        fixed = rsrc.find(struct.pack("<I", 0xFEEF04BD))
        self.assertGreater(fixed, 0)
        high, low = struct.unpack_from("<II", rsrc, fixed + 8)
        major, minor, patch = (int(part) for part in VERSION.split("."))
        self.assertEqual((high >> 16, high & 0xFFFF, low >> 16), (major, minor, patch))
        self.assertEqual(version_strings(rsrc), {
            "CompanyName": "Quorvane",
            "FileDescription": "Lumivale lock-screen image and policy backup",
            "FileVersion": VERSION,
            "InternalName": "tarnwell",
            "OriginalFilename": "tarnwell.exe",
            "ProductName": "Lumivale",
            "ProductVersion": VERSION,
        })

    def test_imports_only_system_dlls(self):
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", EXE], capture_output=True,
                              check=True).stdout.decode()
        dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
        self.assertTrue(dlls)
        self.assertLessEqual(dlls, SYSTEM_DLLS)

    def test_stripped_size(self):
        with tempfile.TemporaryDirectory() as scratch:
            stripped = os.path.join(scratch, "tarnwell.exe")
            subprocess.run(["i686-w64-mingw32-strip", "-o", stripped, EXE], check=True)
            self.assertLessEqual(os.path.getsize(stripped), MAX_STRIPPED_SIZE)

    def test_archive(self):
        if not os.path.isfile(ARCHIVE):
            self.fail("%s is missing: cmake --build --preset win32 --target package" % ARCHIVE)
        with zipfile.ZipFile(ARCHIVE) as archive:
            self.assertEqual(sorted(archive.namelist()), ["README.txt", "tarnwell.exe"])
            exe = archive.read("tarnwell.exe")
            notes = archive.read("README.txt")
        self.assertEqual(resource_section(exe), resource_section(self.image))
        self.assertLessEqual(len(exe), MAX_STRIPPED_SIZE)  # stripped on the way in
        self.assertNotIn(b"\n", notes.replace(b"\r\n", b""))  # Windows line ends
        self.assertTrue(notes.startswith(b"tarnwell.exe %s\r\n" % VERSION.encode()))
        for call in (b"tarnwell.exe /install ", b"tarnwell.exe              with no argument",
                     b"tarnwell.exe /uninstall "):
            self.assertIn(call, notes)


if __name__ == "__main__":
    unittest.main()
