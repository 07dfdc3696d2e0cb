"""Inspects the shipped Windows executables with objdump: the right PE
format, a console program, and imports from Windows system DLLs only."""

import os
import re
import subprocess
import sys
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "packaging"))

# The release check owns the shipped win32 build's manifest; its reader
# serves the win64 build's here.
from test_release import (CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST,  # noqa: E402
                          check_manifest, resource)

# The runtimes are linked in statically, so only these may be imported.
SYSTEM_DLLS = {"kernel32.dll", "advapi32.dll", "shell32.dll", "user32.dll", "msvcrt.dll"}
UNIVERSAL_CRT = re.compile(r"^api-ms-win-crt-[a-z0-9-]+\.dll$")


def private_headers(executable):
    if not os.path.isfile(executable):
        raise AssertionError("%s is missing; build the Windows presets first" % executable)
    return subprocess.run(["objdump", "-p", executable], check=True, capture_output=True,
                          text=True).stdout


class ExecutableTest:
    preset = None
    file_format = None
    magic = None

    @classmethod
    def setUpClass(cls):
        bin_dir = os.environ.get("TARNWELL_%s_BIN" % cls.preset.upper(),
                                 os.path.join(ROOT, "build", cls.preset, "bin"))
        cls.headers = private_headers(os.path.join(bin_dir, "tarnwell.exe"))

    def test_file_format(self):
        self.assertRegex(self.headers, r"file format %s\n" % re.escape(self.file_format))
        self.assertRegex(self.headers, r"\nMagic\s+%s\b" % self.magic)

    def test_console_subsystem(self):
        self.assertRegex(self.headers, r"\nSubsystem\s+00000003\s+\(Windows CUI\)")

    def test_imports_only_system_dlls(self):
        dlls = re.findall(r"DLL Name: (\S+)", self.headers)
        self.assertIn("kernel32.dll", [dll.lower() for dll in dlls])
        foreign = [dll for dll in dlls
                   if dll.lower() not in SYSTEM_DLLS and not UNIVERSAL_CRT.match(dll.lower())]
        self.assertEqual(foreign, [])


class Win32Test(ExecutableTest, unittest.TestCase):
    preset = "win32"
    file_format = "pei-i386"
    magic = "010b"  # PE32


class Win64Test(ExecutableTest, unittest.TestCase):
    preset = "win64"
    file_format = "pei-x86-64"
    magic = "020b"  # PE32+

    def test_manifest(self):
        with open(os.path.join(ROOT, "build", "win64", "bin", "tarnwell.exe"), "rb") as f:
            manifest = resource(f.read(), RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)
        self.assertIsNotNone(manifest, "no manifest resource")
        check_manifest(self, manifest)


if __name__ == "__main__":
    unittest.main()
