"""The reg stand-in against Wine's own reg.exe: the same commands on both,
then the registry contents compared by exporting them (byte for byte) and by
QUERY output, along with the exit codes and messages."""

import codecs
import os
import shutil
import subprocess
import tempfile
import unittest

from harness import targets

WINE = "/usr/lib/wine/wine64"
TIMEOUT = 120


def _bin_dir():
    return os.environ.get("TARNWELL_NATIVE_BIN") or os.path.join(
        os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
        "build", "native", "bin")


class NativeReg:
    name = "native"

    def __init__(self, root):
        self.prefix = os.path.join(root, "prefix")
        self.env = dict(os.environ, TARNWELL_PREFIX=self.prefix)
        self.argv = [os.path.join(_bin_dir(), "reg")]

    def start(self, *args):
        return subprocess.Popen(self.argv + list(args), env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def close(self):
        pass


class WineReg(NativeReg):
    name = "wine"

    def __init__(self, root):
        self.prefix = os.path.join(root, "prefix")
        os.makedirs(root)
        targets._copy_prefix(targets._WineTemplate.get(), self.prefix)
        self.env = targets._wine_env(self.prefix)
        self.argv = [WINE, "reg"]

    def close(self):
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=self.env, timeout=TIMEOUT)


def run(target, *args):
    process = target.start(*args)
    out, err = process.communicate(timeout=TIMEOUT)
    if target.name == "wine" and process.returncode != 0 and not out:
        # reg.exe explains every failure on stdout; silence means Wine itself
        # failed to start it (seen on a loaded machine). Try once more.
        process = target.start(*args)
        out, err = process.communicate(timeout=TIMEOUT)
    return process.returncode, out.replace(b"\r\n", b"\n"), err


def host_to_windows(path):
    return "Z:" + path.replace("/", "\\")


@unittest.skipUnless(os.path.exists(WINE), "wine64 is not installed")
class RegConformanceTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="tarnwell-reg-conformance-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.native = NativeReg(os.path.join(self.root, "n"))
        os.makedirs(self.native.prefix)
        self.wine = WineReg(os.path.join(self.root, "w"))
        self.addCleanup(self.wine.close)

    def both(self, *args):
        """Runs reg on both targets and expects the same exit code and output."""
        results = [run(t, *args) for t in (self.native, self.wine)]
        self.assertEqual(results[0][:2], results[1][:2], (args, results[1][2]))
        return results[0]

    def export_bytes(self, target, key, *options):
        path = os.path.join(self.root, "%s-%d.reg" % (target.name, len(os.listdir(self.root))))
        code, out, _ = run(target, "export", key, host_to_windows(path), "/y", *options)
        if code != 0:
            return out
        with open(path, "rb") as f:
            return f.read()

    def assertSameContents(self, key, *options):
        native = self.export_bytes(self.native, key, *options)
        wine = self.export_bytes(self.wine, key, *options)
        if native != wine:
            def text(b):
                return b.decode("utf-16") if b.startswith(codecs.BOM_UTF16_LE) else repr(b)
            self.assertEqual(text(native), text(wine))
            self.assertEqual(native, wine)

    def import_file(self, data, expect_code=0):
        path = os.path.join(self.root, "in-%d.reg" % len(os.listdir(self.root)))
        with open(path, "wb") as f:
            f.write(data)
        code, out, _ = self.both("import", host_to_windows(path))
        self.assertEqual(code, expect_code, out)
        return out

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
            ("add", key, "/v", "d", "/t", "REG_DWORD", "/d", "zz", "/f"),
            ("add", key, "/v", "d", "/t", "REG_DWORD", "/d", "-1", "/f"),
            ("add", key, "/v", "d", "/t", "REG_DWORD", "/d", "0x100000000", "/f"),
            ("add", key, "/v", "d", "/t", "REG_DWORD", "/f"),
            ("add", key, "/v", "b", "/t", "REG_BINARY", "/d", "xy", "/f"),
            ("add", key, "/v", "m", "/t", "REG_MULTI_SZ", "/d", r"a\0\0b", "/f"),
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

    def test_import_ansi_and_both_headers(self):
        body = (
            b'[HKEY_CURRENT_USER\\Software\\Imported]\r\n'
            b'"str"="C:\\\\Pics\\\\a.jpg"\r\n'
            b'"quote"="say \\"hi\\""\r\n'
            b'"newline"="a\\nb"\r\n'
            b'@="default"\r\n'
            b'"dw"=dword:0000001a\r\n'
            b'"dw8"=hex(4):01,02,03,04,05,06,07,08\r\n'
            b'"dw0"=hex(4):\r\n'
            b'"bin"=hex:00,ff,\\\r\n  10,20\r\n'
            b'"none"=hex(0):01\r\n'
            b'"sz"=hex(1):61,62,63\r\n'
            b'"sz_mid"=hex(1):61,00,62,00\r\n'
            b'"expand"=hex(2):25,50,41,54,48,25,00\r\n'
            b'"multi"=hex(7):61,00,62,00,00\r\n'
            b'"qword"=hex(b):01,02,03,04,05,06,07,08\r\n'
            b'"odd"=hex(1234):0a\r\n'
            b'"gone"="x"\r\n'
            b'"gone"=-\r\n'
            b'"spaced" = "yes"\r\n'
            b'; a comment\r\n'
            b'# another\r\n'
            b'"bad1"="unterminated\r\n'
            b'"bad2"=DWORD:1\r\n'
            b'"bad3"=hex:01,2g\r\n'
            b'"bad4"=hex:01,02\\\r\n  ,03\r\n'
            b'garbage line\r\n'
            b'"after"="still read"\r\n'
            b'[HKEY_CURRENT_USER\\Software\\Imported\\Doomed]\r\n'
            b'"x"="1"\r\n'
            b'[-HKEY_CURRENT_USER\\Software\\Imported\\Doomed]\r\n'
            b'[HKEY_CURRENT_USER\\Software\\Imported\\Kept]\r\n'
            b'"x"=dword:00000001\r\n')
        self.import_file(b"Windows Registry Editor Version 5.00\r\n\r\n" + body)
        self.assertSameContents(r"HKEY_CURRENT_USER\Software\Imported")
        self.import_file(b"REGEDIT4\n\n" + body.replace(b"Imported", b"Imported4")
                         .replace(b"\r\n", b"\n"))
        self.assertSameContents(r"HKEY_CURRENT_USER\Software\Imported4")
        self.both("query", r"HKCU\Software\Imported", "/v", "expand")

    def test_import_utf16(self):
        text = ('Windows Registry Editor Version 5.00\r\n\r\n'
                '[HKEY_CURRENT_USER\\Software\\Wide]\r\n'
                '"caf\u00e9"="\u00e9t\u00e9 \u20ac"\r\n'
                '"expand"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\r\n'
                '"multi"=hex(7):e9,00,00,00,62,00,00,00,00,00\r\n'
                '"bin"=hex:61,00\r\n'
                '"del"="x"\r\n"del"=-\r\n')
        self.import_file(codecs.BOM_UTF16_LE + text.encode("utf-16-le"))
        self.assertSameContents(r"HKEY_CURRENT_USER\Software\Wide")

    def test_export_round_trips_through_import(self):
        key = r"HKCU\Software\RoundTrip"
        self.both("add", key, "/v", "m", "/t", "REG_MULTI_SZ", "/d", r"a\0b", "/f")
        self.both("add", key + r"\S", "/v", "b", "/t", "REG_BINARY", "/d", "00" * 40, "/f")
        exported = self.export_bytes(self.wine, key)
        self.both("delete", key, "/f")
        self.import_file(exported)
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
                process.communicate(timeout=TIMEOUT)
                self.assertEqual(process.returncode, 0)
            code, out, _ = run(target, "query", key)
            self.assertEqual(code, 0)
            for i in range(4):
                self.assertIn(("    v%d    REG_SZ    %d\n" % (i, i)).encode(), out)
        self.assertSameContents(key)


if __name__ == "__main__":
    unittest.main()
