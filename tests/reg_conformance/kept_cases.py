"""Inputs on which the generator once found the stand-in and Wine's reg.exe
disagreeing, cut down to the line that showed it. They are compared with
Wine like the generated ones; nothing here says what either side answers."""

import codecs

from reg_conformance import regfile_grammar
from reg_conformance.differential import Case

V5 = "Windows Registry Editor Version 5.00"


def _file(n, body, header=V5, wide=False, newline="\r\n", view=()):
    key = "HKEY_CURRENT_USER\\Software\\Gen\\K%d" % n
    text = (header + "\n\n" + body.replace("{k}", key)).replace("\n", newline) + newline
    if wide:
        data = codecs.BOM_UTF16_LE + text.encode("utf-16-le", "surrogatepass")
        return Case("K%d" % n, data, view)
    return Case("K%d" % n, text.encode(regfile_grammar.WINE_ANSI), view,
                native_data=text.encode(regfile_grammar.NATIVE_ANSI))


_FILES = [
    # Headers.
    ("[{k}]\n\"a\"=\"1\"", {"header": "REGEDIT4 extra"}),
    ("[{k}]\n\"a\"=\"1\"", {"header": "regedit4"}),
    ("[{k}]\n\"a\"=\"1\"", {"header": "REGEDIT"}),
    ("[{k}]\n\"a\"=\"1\"", {"header": "\nREGEDIT4"}),
    ("[{k}]\n\"a\"=\"1\"", {"header": "Registry Editor", "wide": True}),
    ("[{k}]\n\"a\"=\"1\"", {"header": "REGEDIT4\t", "wide": True, "newline": "\n"}),
    # Key lines.
    ("[{k}]\n[ {k}\\Sub]\n\"kept in the key before\"=\"1\"\n[{k}\\Open\n\"also\"=\"2\"", {}),
    ("[{k}\\\\Doubled\\\\]\n\"a\"=\"1\"\n[{k}\\Trailing\\]\n\"b\"=\"2\"\n[{k}]]\n\"c\"=\"3\"", {}),
    ("[HKEY_CURRENT_USER\\\\Software\\Gen\\K8]\n\"a\"=\"1\"", {}),
    ("[HKEY_CURRENT_USER\\\\Software\\Gen\\K9]\n\"a\"=\"1\"", {"view": ("/reg:32",)}),
    ("[HKEY_CURRENT_USERX\\Software\\Gen\\K10\\\u00c5\u2122]\n\"a\"=\"1\"\n[{k}\\\u20ac\u00e9]\n"
     "\"\u00ff\"=\"\u2122\"", {}),
    ("[HKLM\\Software\\Gen\\K11\\S]\n[-HKLM\\Software\\Gen\\K11\\S]\n\"after\"=\"1\"\n"
     "[-  {k}]", {"view": ("/reg:32",)}),
    # Hex lists.
    ("[{k}]\n\"a\"=hex:01 ,02\n\"b\"=hex:0x1f,+1,-0, 2\n\"c\"=hex:01,\\\n\n; note\n  02\n"
     "\"d\"=hex:01,\\ ;c\n  02\n\"e\"=hex:01\\\n  02", {}),
    ("[{k}]\n\"e\"=hex(2):41,00,\\\n  42,00", {"wide": True}),
    ("[{k}]\n\"a\"=hex():01\n\"b\"=hex(-1):02\n\"c\"=hex(100000000):03\n\"d\"=hex(ffffffff):04", {}),
    ("[{k}]\n\"s\"=hex(1):61,62\n\"e\"=hex(2):41,00,42\n\"m\"=hex(7):63,00,00", {}),
    ("[{k}]\n\"s\"=hex(1):61,00,e9,00\n\"m\"=hex(7):61,00,00,00,62,00", {"wide": True}),
    ("[{k}]\n\"e\"=hex(2):61,00,00,d8\n\"s\"=hex(1):00,dc,41,00", {"wide": True}),
    # Numbers and strings.
    ("[{k}]\n\"a\"=dword:;c\n\"b\"=dword: 1f ;c\n\"c\"=dword:0000000001\n\"d\"=dword:-1", {}),
    ("[{k}]\n\"a\"=\"x\\0y\"\n\"b\"=\"x\\ty\" ;c\n\"c\\q\"=\"1\" junk\n\"d\"=\"\\\u00e9\"", {}),
    # Deletions.
    ("[{k}]\n\"a\"=\"1\"\n\"b\"=dword:2\n\"c\"=hex(7):00\n\"a\"=- ;c\n\"b\"=-junk\n\"c\"=-", {}),
    ("[{k}]\n\"a\"=hex(2):41,00,00,00\n\"b\"=\"2\"\n\"a\"=-\n\"b\"=-;c", {"wide": True}),
]

_ADDS = [
    ["/t", "REG_DWORD", "/d", " 0x1a"],
    ["/t", "REG_DWORD", "/d", "0x"],
    ["/t", "REG_DWORD_BIG_ENDIAN", "/d", "ff"],
    ["/t", "REG_QWORD", "/d", "+4294967296"],
    ["/t", "REG_QWORD"],
    ["/t", "REG_MULTI_SZ", "/d", "\\0b"],
    ["/t", "REG_MULTI_SZ", "/s", ",", "/d", ",b"],
    ["/t", "REG_BINARY", "/d", "g3"],
]


def cases():
    kept = [_file(n, body, **options) for n, (body, options) in enumerate(_FILES)]
    return kept + [Case("K%d" % (100 + n), add=add) for n, add in enumerate(_ADDS)]
