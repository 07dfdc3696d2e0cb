"""The keys and values the program touches, and a base class that gives each
test a fresh target; its scratch folder is the current directory of every run."""

import os
import re
import time
import unittest

from harness import targets

POLICY = r"HKLM\SOFTWARE\Policies\Microsoft\Windows\Personalization"
CREATIVE = r"HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Lock Screen\Creative"
SETTINGS = r"HKLM\SOFTWARE\Quorvane\Lumivale"
STOCK_DIR = "C:\\Windows\\Web\\Screen"
VALUES = [(POLICY, "LockScreenImage"), (POLICY, "NoChangingLockScreen"),
          (POLICY, "NoLockScreen"), (CREATIVE, "LockImageFlags")]
WRITE_ERRORS = [b"Write registry value error: " + (key + name).encode() for key, name in VALUES]
NONE_SET = [None] * 4
NUMBERS = [("REG_DWORD", "0x1"), ("REG_DWORD", "0x0"), ("REG_DWORD", "0x0")]  # set with an image
NATIVE = targets.TARGET_NAME == "native"
ANSI = "utf-8" if NATIVE else "cp1252"  # the runs' code page, unless a row sets another


def apply_launches(image):  # the reg arguments that set an image
    data = [("REG_SZ", image), ("REG_DWORD", "1"), ("REG_DWORD", "0"), ("REG_DWORD", "0")]
    return sorted(("ADD", key, "/V", name, "/T", kind, "/D", value, "/F")
                  for (key, name), (kind, value) in zip(VALUES, data))


def utf16(text):  # UTF-8 bytes in the UTF-16LE form, which every code page reads alike
    return b"\xff\xfe" + text.decode().encode("utf-16-le")


def unescape(text):  # a registry-editor quoted text's content
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "0": "\0"}.get(m[1], m[1]), text)


def stamp(moment):
    """The log's time stamp in the C locale: M/d/yyyy h:mm:ss AM, the date alone at midnight."""
    t = time.localtime(moment)
    text = "%d/%d/%d" % (t.tm_mon, t.tm_mday, t.tm_year)
    if t.tm_hour or t.tm_min or t.tm_sec:
        text += " %d:%02d:%02d %s" % ((t.tm_hour + 11) % 12 + 1, t.tm_min, t.tm_sec,
                                      "AM" if t.tm_hour < 12 else "PM")
    return text.encode()


class ScenarioTest(unittest.TestCase):
    def setUp(self):
        self.target = targets.new_target()
        self.addCleanup(self.target.close)
        self.scratch = self.target.scratch
        self.scratch_win = self.target.windows_path(self.scratch)
        self.started = None

    def run_tarnwell(self, *args, silent=True, then=None, **options):
        """Runs the program; `then` is called once it has ended, before the wait for launches."""
        self.started = self.started or time.time()
        result = self.target.run(*args, **options)
        self.ended = time.time()
        if then:
            then()
        self.target.wait()
        if silent:
            self.assertEqual(result, (0, b"", b""), result.evidence)
        return result

    def path(self, *names):  # in scratch
        return os.path.join(self.scratch, *names)

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def write(self, path, content=b"image"):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def log(self, directory=None):
        """The log's messages, each line checked to be a time stamp of this
        test's runs, two blanks, the message and CR LF; None without a log."""
        path = os.path.join(directory or self.scratch, "tarnwell.log")
        if not os.path.exists(path):
            return None
        stamps = b"|".join(stamp(s) for s in range(int(self.started) - 1, int(self.ended) + 2))
        lines = re.findall(b"[^\n]*\n", self.read(path))
        for line in lines:
            self.assertRegex(line, b"^(%s)  [^\r\n]*\r\n$" % stamps)
        return [line.partition(b"  ")[2][:-2] for line in lines]

    def import_reg(self, data):  # ASCII as it is, other UTF-8 text in the UTF-16LE form
        path = self.write(self.target.root + "/i.reg", data if data.isascii() else utf16(data))
        self.target.reg("import", self.target.windows_path(path), check=True)

    def set_setting(self, name, data, kind="REG_SZ", view="/reg:32"):
        self.target.reg("add", SETTINGS, "/v", name, "/t", kind, "/d", data, "/f", view, check=True)

    def values(self, key):
        """{name: (type, data)} of the key's own values, from one export, which keeps every
        character: a text or number as a query prints it, any other type as exported."""
        path = self.target.root + "/values.reg"
        done = self.target.reg("export", key, self.target.windows_path(path), "/y")
        if done.returncode:  # only a missing key
            self.assertIn(b"Unable to find", done.stdout + done.stderr, done.evidence)
            return {}
        key_section = re.sub(r"\\\r\n *", "", self.read(path).decode("utf-16")).split("\r\n[")[1]
        return {unescape(name).lower(): ("REG_SZ", unescape(data[1:-1])) if data.startswith('"') else
                ("REG_DWORD", hex(int(data[6:], 16))) if data.startswith("dword:") else (data,)
                for name, data in re.findall(r'^"((?:[^"\\]|\\.)*)"=(.*)\r$', key_section, re.M)}

    def policy_values(self):  # one run for each key
        found = {key: self.values(key) for key in (POLICY, CREATIVE)}
        return [found[key].get(name.lower()) for key, name in VALUES]

    def assert_launched(self, expected):  # where the target shows them; from the system folder
        launches = self.target.launches()
        if launches is not None:
            self.assertEqual(launches, sorted((self.target.system_folder,) + e for e in expected))

    def assert_applied(self, image):
        self.assertEqual(self.policy_values(), [("REG_SZ", image)] + NUMBERS)
        self.assert_launched(apply_launches(image))
