"""The reg stand-in against Wine's reg.exe: the same commands and imports on
both, then each one's exit code and messages, the files EXPORT wrote and the
keys left below Software\\Gen compared, byte for byte. Wine is the reference:
nothing here says what either side answers. A larger generated run by hand:
TARNWELL_REG_SEED=7 TARNWELL_REG_COUNT=3000 python3 -m unittest ... (as ctest)."""

import codecs
import concurrent.futures
import os
import random
import re
import tempfile
import unittest

from reg_conformance import grammar
from reg_conformance.sides import Side, WINE, same_console_text, windows_path

SEED = int(os.environ.get("TARNWELL_REG_SEED", "13"))
COUNT = int(os.environ.get("TARNWELL_REG_COUNT", "300"))
GEN = ["HKCU\\Software\\Gen", "HKLM\\Software\\Gen", "HKLM\\Software\\WOW6432Node\\Gen"]
TAG = re.compile(r"\\Gen\\([FKA]\d+)", re.IGNORECASE)  # the input that made a key
S, P = "HKCU\\Software\\Gen\\S", "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization"
CREATIVE = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative"
# Commands run in turn on both sides; {out} is a file to export to.
SCRIPT = [line.format(S=S, P=P, out="{out}").split() if isinstance(line, str) else line for line in [
    ["add", S, "/v", "sz", "/d", 'a"b\\c', "/f"], "add {S} /v empty /f", "add {S} /ve /d x /f",
    "add {S} /v esz /t REG_EXPAND_SZ /d %PATH%;x /f", "add {S} /v m /t REG_MULTI_SZ /d 1\\02 /f",
    "add {S} /v m2 /t reg_multi_sz /d a\\0 /f", "add {S} /v m3 /t REG_MULTI_SZ /s , /d x,y, /f",
    "add {S} /v dw /t REG_DWORD /d 0x1a /f", "add {S} /v be /t REG_DWORD_BIG_ENDIAN /d 0x102 /f",
    "add {S} /v qw /t REG_QWORD /d 0x1234567890 /f", "add {S} /V n /T REG_NONE /D abc /F",
    "add {S} /v bin /t REG_BINARY /d " + "0a1B" * 60 + " /f", "add {S} /v o /d first /f",
    "add {S} /v O /t REG_DWORD /d 2 /f", "add {S} /v " + "x" * 90 + " /t REG_BINARY /d 1 /f",
    "add {S}\\Sub\\Deep /v v /d 1 /f", "add {S}\\Empty /f", "export {S} {out} /y",
    "export hkcu\\software\\gen\\s {out} /y", "query {S}\\Sub /s", "query {S} /v sz",
    "query {S} /ve", "query {S} /v v /s", "query {S}\\Empty",
    "add {S} /v t /t REG_FROB /d 1 /f", "add {S} /v a /ve /f", "add {S} /v a /reg:32 /reg:64 /f",
    "add HKXX\\Software /v a /f", "query {S} /v missing", "query {S}\\Missing", "frob", "query",
    "delete {S} /v missing /f", "delete {S}\\Missing /f", "import Z:\\nonexistent\\missing.reg",
    "delete {S} /v SZ /f", "delete {S} /ve /f", "delete {S}\\Sub /f", "export {S} {out} /y",
    "delete {S} /va /f", "export {S} {out} /y", "add HKLM\\Software\\Gen\\S /v v /reg:32 /f",
    "query HKLM\\Software\\Gen\\S /reg:64", "query HKLM\\Software\\Gen\\S /reg:32",
    # As the program launches them (a 32-bit reg.exe on 64-bit Windows).
    ["ADD", P, "/V", "LockScreenImage", "/T", "REG_SZ", "/D", "C:\\My Pics\\a.jpg", "/F"],
    "ADD {P} /V NoLockScreen /T REG_DWORD /D 0 /F /reg:32",
    ["ADD", CREATIVE, "/V", "LockImageFlags", "/T", "REG_DWORD", "/D", "0", "/F", "/reg:32"],
    "query {P} /reg:64", "export {P} {out} /y /reg:64", ["export", CREATIVE, "{out}", "/y"]]]
# Inputs on which the two once disagreed: (header, body, "w" UTF-16, "n" LF, "3" /reg:32).
V5 = "Windows Registry Editor Version 5.00"
KEPT_FILES = [
    ("REGEDIT4 extra", '[{k}]\n"a"="1"', ""), ("regedit4", '[{k}]\n"a"="1"', ""),
    ("\nREGEDIT4", '[{k}]\n"a"="1"', ""), ("REGEDIT4\t", '[{k}]\n"a"="1"', "wn"),
    (V5, '[{k}]\n[ {k}\\Sub]\n"kept in the key before"="1"\n[{k}\\Open\n"also"="2"', ""),
    (V5, '[{k}\\\\Doubled\\\\]\n"a"="1"\n[{k}\\Trailing\\]\n"b"="2"\n[{k}]]\n"c"="3"', ""),
    (V5, '[HKEY_CURRENT_USER\\\\Software\\Gen\\K6]\n"a"="1"', "3"),
    (V5, '[{k}X\\\u00c5\u2122]\n"a"="1"\n[{k}\\\u20ac\u00e9]\n"\u00ff"="\u2122"', ""),
    (V5, '[HKLM\\Software\\Gen\\K8\\S]\n[-HKLM\\Software\\Gen\\K8\\S]\n"b"="1"\n[-  {k}]', "3"),
    (V5, '[{k}]\n"a"=hex:01 ,02\n"b"=hex:0x1f,+1,-0, 2\n"c"=hex:01,\\\n\n; note\n  02\n'
     '"d"=hex:01,\\ ;c\n  02\n"e"=hex:01\\\n  02', ""),
    (V5, '[{k}]\n"a"=hex():01\n"b"=hex(-1):02\n"c"=hex(100000000):03\n"d"=hex(ffffffff):4', ""),
    (V5, '[{k}]\n"s"=hex(1):61,62\n"e"=hex(2):41,00,42\n"m"=hex(7):63,00,00', ""),
    (V5, '[{k}]\n"e"=hex(2):61,00,00,d8\n"s"=hex(1):00,dc,41,00\n"m"=hex(7):61,00,00,00', "w"),
    (V5, '[{k}]\n"a"=dword:;c\n"b"=dword: 1f ;c\n"c"=dword:0000000001\n"d"=dword:-1', ""),
    (V5, '[{k}]\n"a"="x\\0y"\n"b"="x\\ty" ;c\n"c\\q"="1" junk\n"d"="\\\u00e9"', ""),
    (V5, '[{k}]\n"a"="1"\n"b"=dword:2\n"c"=hex(7):00\n"a"=- ;c\n"b"=-junk\n"c"=-', ""),
    (V5, '[{k}]\n"a"=hex(2):41,00,00,00\n"b"="2"\n"a"=-\n"b"=-;c', "w")]
KEPT_ADDS = [["/t", "REG_DWORD", "/d", " 0x1a"], ["/t", "REG_DWORD", "/d", "0x"], [
    "/t", "REG_DWORD_BIG_ENDIAN", "/d", "ff"], ["/t", "REG_QWORD", "/d", "+4294967296"],
    ["/t", "REG_QWORD"], ["/t", "REG_MULTI_SZ", "/s", ",", "/d", ",b"]]


def _kept_file(n, header, body, options):
    text = header + "\n\n" + body.replace("{k}", "HKEY_CURRENT_USER\\Software\\Gen\\K%d" % n)
    text = text.replace("\n", "\n" if "n" in options else "\r\n") + "\r\n"
    view = ["/reg:32"] if "3" in options else []
    if "w" in options:
        data = codecs.BOM_UTF16_LE + text.encode("utf-16-le", "surrogatepass")
        return "K%d" % n, view, {"wine": data, "native": data}
    return "K%d" % n, view, {"wine": text.encode(grammar.WINE_ANSI),
                             "native": text.encode(grammar.NATIVE_ANSI)}


def inputs():
    """Imports (tag, options after the file, each side's bytes) and ADDs
    (tag, arguments after the key, None): the kept ones, then generated."""
    rng = random.Random(SEED)
    cases = [_kept_file(n, *kept) for n, kept in enumerate(KEPT_FILES)]
    cases += [("K%d" % (100 + n), add, None) for n, add in enumerate(KEPT_ADDS)]
    for n in range(COUNT):
        wine, native = grammar.draw_file(rng, n)
        view = rng.choice([[], [], [], ["/reg:32"], ["/reg:64"]])
        cases.append(("F%d" % n, view, {"wine": wine, "native": native}))
    return cases + [("A%d" % n, grammar.draw_add(rng), None) for n in range(COUNT // 5)]


def outcome(side, root, cases):
    """Each script line's reply (with the file it exported) and each input's,
    then the keys below Software\\Gen, grouped by the tag of their input."""
    def run(argv, tag=None, data=None):
        path = os.path.join(root, "%s-%s.reg" % (side.name, tag or len(os.listdir(root))))
        if data:
            with open(path, "wb") as f:
                f.write(data[side.name])
            return side.run("import", windows_path(path), *argv)
        if tag:
            return side.run("add", "HKCU\\Software\\Gen\\" + tag, "/v", "v", *argv, "/f")
        if "{out}" not in argv:
            return side.run(*argv)
        reply = side.run(*(windows_path(path) if arg == "{out}" else arg for arg in argv))
        if not os.path.exists(path):
            return reply + (None,)
        with open(path, "rb") as f:
            return reply + (f.read(),)

    replies = [run(argv) for argv in SCRIPT]
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        replies += pool.map(lambda case: run(case[1], case[0], case[2]), cases)
    keys = {}
    for key in GEN:
        code, message, exported = run(["export", key, "{out}", "/y"])
        exported = exported[2:].decode("utf-16-le", "surrogatepass") if code == 0 else message
        for section in ([exported] if code else re.split(r"\r\n(?=\[)", exported)):
            tag = TAG.search(str(section).split("\r\n", 1)[0])
            keys.setdefault(tag and tag.group(1).upper(), []).append(section)
    return replies, keys


@unittest.skipUnless(os.path.exists(WINE), "wine64 is not installed")
class RegConformanceTest(unittest.TestCase):
    def test_stand_in_agrees_with_wine(self):
        cases = inputs()
        with tempfile.TemporaryDirectory(prefix="tarnwell-reg-") as root:
            native = outcome(Side("native", root), root, cases)
            wine_side = Side("wine", root)
            try:
                wine = outcome(wine_side, root, cases)
            finally:
                wine_side.close()
        inputs_of = [" ".join(argv) for argv in SCRIPT] + [repr(c) for c in cases]
        found = ["%s\n  native %r\n  wine   %r" % (what, n, w)
                 for what, n, w in zip(inputs_of, native[0], wine[0])
                 if n[0] != w[0] or not same_console_text(n[1], w[1]) or n[2:] != w[2:]]
        tagged = {case[0]: repr(case) for case in cases}
        found += ["keys of %s\n  native %r\n  wine   %r" % (tagged.get(tag), native[1].get(tag),
                                                          wine[1].get(tag))
                  for tag in set(native[1]) | set(wine[1]) if native[1].get(tag) != wine[1].get(tag)]
        self.assertEqual(found, [], "\n".join(found))
