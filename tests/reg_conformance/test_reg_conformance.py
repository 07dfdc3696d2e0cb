"""The reg stand-in against Wine's reg.exe: the same commands on both, then
their exit codes, messages and exports compared; Wine is the reference. A
larger run by hand: the test with TARNWELL_REG_SEED=7 TARNWELL_REG_COUNT=3000."""

import concurrent.futures
import difflib
import itertools
import os
import random
import shutil
import tempfile
import unittest

from reg_conformance import grammar
from reg_conformance.sides import Side, same_console_text

SEED = int(os.environ.get("TARNWELL_REG_SEED", "13"))
COUNT = int(os.environ.get("TARNWELL_REG_COUNT", "300"))
GEN = ["HKCU\\Software\\Gen", "HKLM\\Software\\Gen", "HKLM\\Software\\WOW6432Node\\Gen"]
POLICY = "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization"
CREATIVE = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative"
# Commands run in turn before the inputs, split at "|"; {out} is a file to export to. The
# k<n> ADDs once disagreed; the ADDs in capitals are those the program launches.
SCRIPT = [[token.format(S="HKCU\\Software\\Gen\\S", P=POLICY, C=CREATIVE, x="x" * 90, _=" ",
                        out="{out}") for token in command.split()] for command in r"""
    add {S} /v sz /d a"b\c /f | add {S} /v e /f | add {S} /ve /d x /f | add {S} /v o /d first /f
  | add {S} /v esz /t REG_EXPAND_SZ /d %PATH%;x /f | add {S} /V n /T REG_NONE /D abc /F
  | add {S} /v O /t REG_DWORD /d 2 /f | add {S}\Empty /f | add {S} /v {x} /t REG_BINARY /d 1 /f
  | add {S}\Sub\Deep /v v /d 1 /f | export {S} {out} /y | export hkcu\software\gen\s {out} /y
  | query {S}\Sub /s | query {S} /v sz | query {S} /ve | query {S} /v v /s | query {S}\Empty
  | frob | query | add {S} /v t /t REG_FROB /f | add {S} /v a /ve /f | add HKXX\Software /v a /f
  | add {S} /v a /reg:32 /reg:64 /f | query {S} /v missing | query {S}\Missing | delete {S} /ve /f
  | delete {S}\Missing /f | delete {S} /v missing /f | import Z:\nonexistent\missing.reg
  | delete {S} /v SZ /f | delete {S}\Sub /f | export {S} {out} /y | delete {S} /va /f
  | add HKLM\Software\Gen\S /v v /reg:32 /f | query HKLM\Software\Gen\S /reg:64
  | add {S} /v k1 /t REG_DWORD /d {_}0x1a /f | add {S} /v k2 /t REG_DWORD /d 0x /f
  | add {S} /v k3 /t REG_DWORD_BIG_ENDIAN /d ff /f | add {S} /v k4 /t REG_QWORD /f
  | add {S} /v k5 /t REG_QWORD /d +4294967296 /f | add {S} /v k6 /t REG_MULTI_SZ /s , /d ,b /f
  | ADD {P} /V LockScreenImage /T REG_SZ /D C:\Pics\a.jpg /F | query {P} /reg:64
  | ADD {P} /V NoLockScreen /T REG_DWORD /D 0 /F /reg:32 | export {P} {out} /y /reg:64
  | ADD {C} /V LockImageFlags /T REG_DWORD /D 0 /F /reg:32 | export {C} {out} /y""".split("|")]
# Files on which the two once disagreed, imported by "\\?\Z:\...": "w" UTF-16, "n" LF, "3" /reg:32.
V5 = "Windows Registry Editor Version 5.00\n\n"
KEPT = [("REGEDIT4\t\n\n[{k}]\n\"a\"=\"1\"", "wn"), (V5 + '[HKCU\\\\{r}]\n"a"="1"', "3"),
        (V5 + '[{k}X\\\u00c5\u2122]\n"a"="1"\n[{k}\\\u20ac\u00e9]\n"\u00ff"="\u2122"', ""),
        (V5 + '[HKLM\\{r}\\S]\n[-HKLM\\{r}\\S]\n"b"="1"\n[-  {k}]', "3"),
        (V5 + '[{k}]\n"a"=hex:01 ,02\n"b"=hex:0x1f,+1,-0, 2\n"c"=hex:01,\\\n\n; note\n  02\n'
         '"d"=hex:01,\\ ;c\n  02\n"e"=hex:01\\\n  02', ""),
        (V5 + '[{k}]\n"e"=hex(2):61,00,00,d8\n"s"=hex(1):00,dc,41,00\n"m"=hex(7):61,00,00,00', "w"),
        (V5 + '[{k}]\n"a"="x\\0y"\n"b"="x\\ty" ;c\n"c\\q"="1" junk\n"d"="\\\u00e9"', "")]


def inputs():
    """(reg's arguments, the file to import as each side reads it or None)."""
    cases = []
    for n, (text, options) in enumerate(KEPT):
        key, newline = "Software\\Gen\\K%d" % n, "\n" if "n" in options else "\r\n"
        text = (text + "\n").format(k="HKEY_CURRENT_USER\\" + key, r=key).replace("\n", newline)
        data = grammar.encoded(text, "w" in options)
        cases.append((["import", "{lit}"] + ["/reg:32"] * ("3" in options), data))
    rng = random.Random(SEED)
    for n in range(COUNT):
        data = grammar.draw_file(rng, n)
        cases.append((["import", "{in}"] + rng.choice([[], [], ["/reg:32"], ["/reg:64"]]), data))
    return cases + [(["add", "HKCU\\Software\\Gen\\A%d" % n, "/v", "v"] + grammar.draw_add(rng) +
                     ["/f"], None) for n in range(COUNT // 5)]


def outcome(side, root, cases):
    """Each command's exit code, messages and exported file, with its evidence: the script's in
    turn, the inputs' two at a time, then the exports of everything below Gen."""
    numbers = itertools.count()

    def run(argv, data=None):
        path = os.path.join(root, "%s-%d.reg" % (side.name, next(numbers)))
        if data:
            with open(path, "wb") as f:
                f.write(data[side.name])
        windows = "Z:" + path.replace("/", "\\")
        names = {"{in}": windows, "{out}": windows, "{lit}": "\\\\?\\" + windows}
        code, out, evidence = side.run(*(names.get(arg, arg) for arg in argv))
        if "{out}" not in argv or code:
            return (code, out), evidence
        with open(path, "rb") as f:
            return (code, out, f.read()), evidence

    replies = [run(argv) for argv in SCRIPT]
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        replies += pool.map(lambda case: run(*case), cases)
    return replies + [run(["export", key, "{out}", "/y"]) for key in GEN]


def shown(reply, code_page):
    data, code_page = (reply[2], "utf-16") if reply[2:] else (reply[1], code_page)
    return data.decode(code_page, "replace").splitlines()


class RegConformanceTest(unittest.TestCase):
    def test_stand_in_agrees_with_wine(self):
        cases, root = inputs(), tempfile.mkdtemp(prefix="tarnwell-reg-")
        self.addCleanup(shutil.rmtree, root)  # after the Wine side's close
        native, wine_side = outcome(Side("native", root), root, cases), Side("wine", root)
        self.addCleanup(wine_side.close)
        wine = outcome(wine_side, root, cases)
        found = ["%r: exit codes %d, %d\n" % (what, n[0], w[0]) + "\n".join(difflib.unified_diff(
            shown(n, "utf-8"), shown(w, "cp437"), "native", "wine", lineterm="")) + "\n" + evidence
            for what, (n, _), (w, evidence) in zip(SCRIPT + cases + GEN, native, wine)
            if n[0] != w[0] or not same_console_text(n[1], w[1]) or n[2:] != w[2:]]
        if found:
            self.fail("\n".join(found))
