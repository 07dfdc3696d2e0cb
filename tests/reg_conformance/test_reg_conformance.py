"""The reg stand-in against Wine's own reg.exe: the same commands on both,
then the registry contents compared by exporting them (byte for byte) and by
QUERY output, along with the exit codes and messages. IMPORT and the data
of REG ADD are covered by generated inputs (differential.py), the rest by
the commands below."""

import codecs
import os
import shutil
import tempfile
import time
import unittest

from reg_conformance import differential, kept_cases, sides
from reg_conformance.sides import host_to_windows, run

# The generated run of the test command; a larger one is for a run by hand
# (TARNWELL_REG_SEED, TARNWELL_REG_COUNT, or differential.py).
SEED = int(os.environ.get("TARNWELL_REG_SEED", "13"))
COUNT = int(os.environ.get("TARNWELL_REG_COUNT", "300"))


@unittest.skipUnless(os.path.exists(sides.WINE), "wine64 is not installed")
class GeneratedFilesTest(unittest.TestCase):
    """Random registry files and REG ADD data, and the kept cases, given to
    both; Wine is the reference."""

    def test_stand_in_agrees_with_wine(self):
        started = time.monotonic()
        cases = kept_cases.cases() + differential.generated_cases(SEED, COUNT)
        disagreements = differential.compare(cases)
        print("%d inputs (seed %d) compared in %.0f s" % (len(cases), SEED,
                                                         time.monotonic() - started))
        self.assertEqual(disagreements, [], differential.report(disagreements))


@unittest.skipUnless(os.path.exists(sides.WINE), "wine64 is not installed")
class RegConformanceTest(unittest.TestCase):
    """Commands the generator does not draw, run on both."""

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="tarnwell-reg-conformance-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.native = sides.NativeReg(os.path.join(self.root, "n"))
        self.wine = sides.WineReg(os.path.join(self.root, "w"))
        self.addCleanup(self.wine.close)

    def both(self, *args):
        """Runs reg on both targets and expects the same exit code and output."""
        results = [run(t, *args) for t in (self.native, self.wine)]
        self.assertEqual(results[0][:2], results[1][:2], (args, results[1][2]))
        return results[0]

    def export_bytes(self, target, key, *options):
        path = os.path.join(self.root, "%s-%d.reg" % (target.name, len(os.listdir(self.root))))
        return sides.export_bytes(target, key, path, *options)

    def assertSameContents(self, key, *options):
        native = self.export_bytes(self.native, key, *options)
        wine = self.export_bytes(self.wine, key, *options)
        if native != wine:
            def text(b):
                return b.decode("utf-16") if b.startswith(codecs.BOM_UTF16_LE) else repr(b)
            self.assertEqual(text(native), text(wine))
            self.assertEqual(native, wine)

    def test_add_every_type(self):
        key = r"HKCU\Software\Conformance"
        adds = [
            ("/v", "sz", "/d", 'a"b\\c'),
            ("/v", "empty"),
            ("/ve", "/d", "default"),
            ("/v", "esz", "/t", "REG_EXPAND_SZ", "/d", "%PATH%;x"),
            ("/v", "msz", "/t", "REG_MULTI_SZ", "/d", r"one\0two"),
            ("/v", "msz_trailing", "/t", "reg_multi_sz", "/d", r"a\0"),
            ("/v", "msz_empty", "/t", "REG_MULTI_SZ", "/d", ""),
            ("/v", "msz_sep", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "x,y,"),
            ("/v", "dw", "/t", "REG_DWORD", "/d", "0x1a"),
            ("/v", "dw_dec", "/t", "REG_DWORD", "/d", "4294967295"),
            ("/v", "dw_lead", "/t", "REG_DWORD", "/d", "010"),
            ("/v", "be", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0x01020304"),
            ("/v", "qw", "/t", "REG_QWORD", "/d", "0x1234567890"),
            ("/v", "bin", "/t", "REG_BINARY", "/d", "0102ABcd"),
            ("/v", "bin_odd", "/t", "REG_BINARY", "/d", "abc"),
            ("/v", "long", "/t", "REG_BINARY", "/d", "".join("%02x" % i for i in range(100))),
            ("/V", "none", "/T", "REG_NONE", "/D", "abc"),
            ("/v", "overwritten", "/d", "first"),
            ("/v", "OVERWRITTEN", "/t", "REG_DWORD", "/d", "2"),
            ("/v", "x" * 90, "/t", "REG_BINARY", "/d", "010203"),
        ]
        for add in adds:
            code, out, _ = self.both("add", key, *add, "/f")
            self.assertEqual(code, 0, out)
        self.both("add", key + r"\Sub\Deeper", "/v", "v", "/d", "1", "/f")
        self.both("add", key + r"\Empty", "/f")
        self.assertSameContents(key)
        self.assertSameContents(r"hkcu\software\CONFORMANCE")
        self.both("query", key + r"\Sub", "/s")
        self.both("query", key, "/v", "sz")
        self.both("query", key, "/ve")
        self.both("query", key, "/v", "v", "/s")
        self.both("query", key + r"\Empty")

    def test_refusals_match(self):
        key = r"HKCU\Software\Refusals"
        self.both("add", key, "/v", "a", "/d", "1", "/f")
        for args in [
            ("add", key, "/v", "t", "/t", "REG_FROB", "/d", "1", "/f"),
            ("add", key, "/v", "a", "/ve", "/f"),
            ("add", key, "/v", "a", "/reg:32", "/reg:64", "/f"),
            ("add", "HKXX\\Software", "/v", "a", "/f"),
            ("query", key, "/v", "missing"),
            ("query", r"HKCU\Software\Missing"),
            ("delete", key, "/v", "missing", "/f"),
            ("delete", r"HKCU\Software\Missing", "/f"),
            ("frob",),
            ("query",),
            ("import", host_to_windows(os.path.join(self.root, "missing.reg"))),
        ]:
            code, out, _ = self.both(*args)
            self.assertEqual(code, 1, args)
        self.assertSameContents(key)

    def test_delete(self):
        key = r"HKCU\Software\Deletions"
        for name in ("a", "b", "c"):
            self.both("add", key, "/v", name, "/d", name, "/f")
        self.both("add", key, "/ve", "/d", "default", "/f")
        self.both("add", key + r"\Sub", "/v", "s", "/d", "1", "/f")
        self.both("add", key + r"\Gone\Deep", "/v", "s", "/d", "1", "/f")
        self.assertEqual(self.both("delete", key, "/v", "A", "/f")[0], 0)
        self.assertEqual(self.both("delete", key, "/ve", "/f")[0], 0)
        self.assertEqual(self.both("delete", key + r"\Gone", "/f")[0], 0)
        self.assertSameContents(key)
        self.assertEqual(self.both("delete", key, "/va", "/f")[0], 0)
        self.assertSameContents(key)

    def test_views(self):
        lumivale = r"HKLM\SOFTWARE\Quorvane\Lumivale"
        policy = r"HKLM\SOFTWARE\Policies\Microsoft\Windows\Personalization"
        self.both("add", lumivale, "/v", "Path", "/d", "32", "/reg:32", "/f")
        self.both("add", policy, "/v", "NoLockScreen", "/t", "REG_DWORD", "/d", "1",
                  "/reg:32", "/f")
        self.assertEqual(self.both("query", lumivale, "/reg:64")[0], 1)
        self.assertEqual(self.both("query", lumivale, "/reg:32")[0], 0)
        self.both("query", r"HKLM\SOFTWARE\WOW6432Node\Quorvane\Lumivale")
        self.assertEqual(self.both("query", policy, "/reg:64")[0], 0)
        self.assertEqual(self.both("query", policy)[0], 0)
        self.both("query", r"HKCU\Software\Nothing", "/reg:32")
        self.assertSameContents(policy, "/reg:64")

    def test_four_simultaneous_adds_all_land(self):
        key = r"HKCU\Software\Concurrent"
        for target in (self.native, self.wine):
            processes = [target.start("add", key, "/v", "v%d" % i, "/d", str(i), "/f")
                         for i in range(4)]
            for process in processes:
                process.communicate(timeout=sides.TIMEOUT)
                self.assertEqual(process.returncode, 0)
            code, out, _ = run(target, "query", key)
            self.assertEqual(code, 0)
            for i in range(4):
                self.assertIn(("    v%d    REG_SZ    %d\n" % (i, i)).encode(), out)
        self.assertSameContents(key)


if __name__ == "__main__":
    unittest.main()
