"""The Windows builds' headers: format, a console program with its manifest, only
known DLLs imported (runtimes linked in), exactly its hardening flags."""

import os
import re
import subprocess
import unittest

BUILD = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "build")
# Known DLLs, which Windows maps from its own folder only, never the program's.
IMPORTS = ["advapi32.dll", "kernel32.dll", "msvcrt.dll", "shell32.dll"]


class PeTest(unittest.TestCase):
    def test_builds(self):
        for preset, file_format, magic, flags in (
                ("win32", "pei-i386", "010b", ["DYNAMIC_BASE", "NX_COMPAT", "NO_SEH"]),
                ("win64", "pei-x86-64", "020b", ["HIGH_ENTROPY_VA", "DYNAMIC_BASE", "NX_COMPAT"])):
            with self.subTest(preset):
                exe = os.path.join(BUILD, preset, "bin", "tarnwell.exe")
                headers = subprocess.run(["objdump", "-p", exe], check=True, text=True,
                                         capture_output=True).stdout
                self.assertIn("file format %s\n" % file_format, headers)
                self.assertRegex(headers, r"\nMagic\s+%s\s(.*\n)*Subsystem\s+00000003\s" % magic)
                self.assertEqual(re.search(r"\nDllCharacteristics\s+\w+\n((\t+\w+\n)*)",
                                           headers)[1].split(), flags + ["TERMINAL_SERVICE_AWARE"])
                # DYNAMIC_BASE: a base relocation directory, so that the loader can move it.
                self.assertRegex(headers, r"Entry 5 \w+ 0*[1-9a-f]\w* Base Relocation Directory")
                self.assertEqual(sorted(re.findall(r"dll name: (\S+)", headers.lower())), IMPORTS)
                # RT_MANIFEST (24) with id 1, the one the loader reads.
                self.assertRegex(headers, r"Entry: ID: 0x000018,.*\n.*\n.*Entry: ID: 0x000001,")
                with open(exe, "rb") as f:
                    self.assertRegex(f.read(), rb'<requestedExecutionLevel level="asInvoker"')
