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


def apply_launches(image):  # the reg arguments that set an image
    data = [("REG_SZ", image), ("REG_DWORD", "1"), ("REG_DWORD", "0"), ("REG_DWORD", "0")]
    return sorted(("ADD", key, "/V", name, "/T", kind, "/D", value, "/F")
                  for (key, name), (kind, value) in zip(VALUES, data))


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

    def import_reg(self, data):
        path = self.target.windows_path(self.write(self.target.root + "/i.reg", data))
        self.target.reg("import", path, check=True)

    def set_setting(self, name, data, kind="REG_SZ", view="/reg:32"):
        self.target.reg("add", SETTINGS, "/v", name, "/t", kind, "/d", data, "/f", view, check=True)

    def values(self, key):  # {name: (type, data)} as the registry tool prints them, in one run
        done = self.target.reg("query", key)  # the key listed, or said to be missing
        self.assertTrue(done.returncode == 0 or b"Unable to find" in done.stdout, done.evidence)
        lines = done.stdout.decode("latin-1").splitlines()
        fields = (line.strip().split("    ", 2) + [""] for line in lines)
        return {f[0].lower(): tuple(f[1:3]) for f in fields}

    def policy_values(self):  # one run for each key
        found = {key: self.values(key) for key in (POLICY, CREATIVE)}
        return [found[key].get(name.lower()) for key, name in VALUES]

    def assert_launched(self, expected):  # where the target shows them
        launches = self.target.launches()
        if launches is not None:
            self.assertEqual(launches, sorted(expected))

    def assert_applied(self, image):
        self.assertEqual(self.policy_values(), [("REG_SZ", image)] + NUMBERS)
        self.assert_launched(apply_launches(image))
