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


RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
SUPPORTED_OS = {
    "Windows 7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "Windows 8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "Windows 8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "Windows 10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


def rsrc_header(image):
    """The .rsrc section's table entry: (virtual address, raw size, raw offset)."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    assert image[pe:pe + 4] == b"PE\0\0"
    sections, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    table = pe + 24 + optional_size
    for i in range(sections):
        entry = table + 40 * i
        if image[entry:entry + 8].rstrip(b"\0") == b".rsrc":
            address, raw_size, raw_offset = struct.unpack_from("<III", image, entry + 12)
            return address, raw_size, raw_offset
    return None


def resource_section(image):
    """The bytes of the PE's .rsrc section."""
    header = rsrc_header(image)
    if not header:
        return b""
    _, raw_size, raw_offset = header
    return image[raw_offset:raw_offset + raw_size]


def resource(image, kind, identifier):
    """The data of the resource of a numeric type and id (any language) from
    the resource directory tree, or None."""
    header = rsrc_header(image)
    if not header:
        return None
    address, _, _ = header
    rsrc = resource_section(image)

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", rsrc, offset + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", rsrc, offset + 16 + 8 * i)
            yield name, target

    def subdirectory(offset, wanted):
        for name, target in entries(offset):
            if name == wanted and target & 0x80000000:
                return target & 0x7FFFFFFF
        return None

    by_type = subdirectory(0, kind)
    by_id = by_type is not None and subdirectory(by_type, identifier)
    if not by_id:
        return None
    for _, target in entries(by_id):  # the first language
        data_rva, size = struct.unpack_from("<II", rsrc, target)
        return rsrc[data_rva - address:data_rva - address + size]
    return None


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


def check_manifest(test, manifest):
    """Runs as invoked, without UI access, on Windows 7 to 11."""
    text = manifest.decode("utf-8")
    test.assertRegex(text, r'<requestedExecutionLevel\s+level="asInvoker"\s+uiAccess="false"\s*/>')
    test.assertEqual(sorted(re.findall(r'<supportedOS\s+Id="([^"]+)"\s*/>', text)),
                     sorted(SUPPORTED_OS.values()))


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

    def test_manifest(self):
        manifest = resource(self.image, RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)
        self.assertIsNotNone(manifest, "no manifest resource")
        check_manifest(self, manifest)

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
