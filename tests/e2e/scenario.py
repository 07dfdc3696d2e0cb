"""What the scenario modules share: the registry keys the program touches, a
base class that gives each test a fresh target, and helpers to plant and read
registry values through the target's own registry tool."""

import os
import re
import tempfile
import unittest

from harness import targets

POLICY_KEY = r"HKLM\SOFTWARE\Policies\Microsoft\Windows\Personalization"
CREATIVE_KEY = r"HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Lock Screen\Creative"
SETTINGS_KEY = r"HKLM\SOFTWARE\Quorvane\Lumivale"
STOCK_DIR = "C:\\Windows\\Web\\Screen"

# The four values the program sets, as (key, name).
POLICY_VALUES = [(POLICY_KEY, "LockScreenImage"), (POLICY_KEY, "NoChangingLockScreen"),
                 (POLICY_KEY, "NoLockScreen"), (CREATIVE_KEY, "LockImageFlags")]

WRITE_ERRORS = [
    b"Write registry value error: "
    b"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\PersonalizationLockScreenImage",
    b"Write registry value error: "
    b"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\PersonalizationNoChangingLockScreen",
    b"Write registry value error: "
    b"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\PersonalizationNoLockScreen",
    b"Write registry value error: "
    b"HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\CreativeLockImageFlags",
]


def query_value(target, key, name, view=None):
    """(type, data) of one value as the registry tool prints it, or None."""
    args = ["query", key, "/v", name] + ([view] if view else [])
    result = target.reg(*args)
    if result.returncode != 0:
        return None
    for line in result.stdout.replace(b"\r\n", b"\n").split(b"\n"):
        fields = line.strip().split(b"    ", 2)
        if len(fields) >= 2 and fields[0].decode().lower() == name.lower():
            return fields[1].decode(), fields[2].decode() if len(fields) == 3 else ""
    return None


def split_log(content):
    """The log's lines as (time stamp, message), each line ended by CR LF."""
    assert content.endswith(b"\r\n") or not content, content[-40:]
    lines = []
    for line in content.split(b"\r\n")[:-1]:
        stamp, separator, message = line.partition(b"  ")
        assert separator, line
        lines.append((stamp, message))
    return lines


class ScenarioTest(unittest.TestCase):
    """Each test gets a fresh target; scratch is the current directory of
    every run and so, by default, the product directory."""

    def setUp(self):
        self.target = targets.new_target()
        self.addCleanup(self.target.close)
        self.scratch = self.target.scratch
        self.scratch_win = self.target.windows_path(self.scratch)

    # Running.
    def run_tarnwell(self, *args, env=None, cwd=None):
        result = self.target.run(*args, env=env, cwd=cwd)
        self.target.wait()
        return result

    def run_silently(self, *args, env=None, cwd=None):
        result = self.run_tarnwell(*args, env=env, cwd=cwd)
        self.assertEqual(result, targets.Result(0, b"", b""), "arguments %r" % (args,))

    # Files.
    def scratch_file(self, name):
        return os.path.join(self.scratch, name)

    def read(self, host_path):
        with open(host_path, "rb") as f:
            return f.read()

    def write(self, host_path, content=b"image"):
        os.makedirs(os.path.dirname(host_path), exist_ok=True)
        with open(host_path, "wb") as f:
            f.write(content)
        return host_path

    def log(self, directory=None):
        path = os.path.join(directory or self.scratch, "tarnwell.log")
        return self.read(path) if os.path.exists(path) else None

    # Registry.
    def reg(self, *args):
        return self.target.reg(*args, check=True)

    def import_reg(self, text):
        """Imports registry-editor text, written as ANSI bytes (or bytes as given)."""
        data = text if isinstance(text, bytes) else text.encode("latin-1")
        fd, path = tempfile.mkstemp(suffix=".reg", dir=self.target._root)
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        self.reg("import", self.target.windows_path(path))

    def set_setting(self, name, data, kind="REG_SZ"):
        """Plants one product setting in the 32-bit view, where the program reads it."""
        self.reg("add", SETTINGS_KEY, "/v", name, "/t", kind, "/d", data, "/f", "/reg:32")

    def set_odd_setting(self, name, hex_kind, hex_bytes):
        """Plants a setting of any type and data length through an import."""
        self.import_reg("Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Quorvane\\Lumivale]\r\n"
                        "\"%s\"=hex(%d):%s\r\n" % (name, hex_kind, hex_bytes))

    def policy_values(self):
        return [query_value(self.target, key, name) for key, name in POLICY_VALUES]

    def assert_policy_applied(self, image):
        self.assertEqual(self.policy_values(),
                         [("REG_SZ", image), ("REG_DWORD", "0x1"), ("REG_DWORD", "0x0"),
                          ("REG_DWORD", "0x0")])


DATE_TIME = re.compile(rb"^\d{1,2}/\d{1,2}/\d{4}( \d{1,2}:\d{2}:\d{2} [AP]M)?$")
