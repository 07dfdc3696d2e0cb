"""Random registry-editor files, mistakes included, and random REG ADD data.
Nothing here knows what reg makes of them: the test asks Wine. Each file
writes only below its own key Software\\Gen\\F<n>. Never drawn, as Wine's
answer to them is not stable: a string type's hex list of odd length in a
UTF-16 file or empty but not blank, and REG_DWORD hex lists of 1 to 3 bytes."""

import codecs

WINE_ANSI, NATIVE_ANSI = "cp1252", "utf-8"  # ANSI files are written in each side's code page
HEADERS = ["Windows Registry Editor Version 5.00", "REGEDIT4"] * 11 + [
    "REGEDIT", "REGEDIT4 extra", "REGEDIT 4", "regedit4", "windows registry editor version 5.00",
    "Windows Registry Editor Version 5.00 ", "Windows Registry Editor Version 5.0", "  REGEDIT4",
    "REGEDIT4;comment", "REGEDIT4\t", "", "[HKEY_CURRENT_USER\\Software]", "Registry Editor"]
EXTRA = {False: ["\u00e9", "\u00c5ngstr\u00f6m", "\u20ac", "\u2122x", "\u00ff"],
         True: ["\u00e9", "\u20ac", "\u4e2d\u6587", "stra\u00dfe", "\U0001f600"]}
ROOTS = ["HKEY_CURRENT_USER"] * 6 + ["HKCU", "hkey_current_user", "HKEY_LOCAL_MACHINE", "HKLM"]
SUBKEYS = ["", "", "Sub", "SUB", "Sub\\Deep", "Sp ace", "a;b", "Q\"uote"]
KEY_LINES = ["[%s]"] * 20 + ["[ %s]", "[%s", "[%s] ;c", "[%s]junk", "[%s]]", "[-%s]", "[-%s]",
                             "[ -%s]", "[-  %s]", "[--%s]"]
NAMES = ["a", "A", "v1", "", "", "with space", "q\"uote", "back\\slash", "semi;colon", "[br]"]
ESCAPES = [""] * 63 + ["\\n", "\\r", "\\t", "\\0", "\\x", "\\\\\\\"", "\\a"]
JUNK = ["", "; comment", "# hash", "garbage", "  ;indented", "@", "=\"x\"", " "]
TAILS = [""] * 8 + [" ", "\t", " ;comment", ";c", " junk", "x", " \"y\""]
STRINGS = ["", "plain", "C:\\Pics\\a.jpg", "say \"hi\"", "%PATH%", "  spaced  ", "=", "a\\"]
BAD_DATA = ["", "junk", "hex", "dword", "\"", "DWORD:1", "HEX:01", "Hex(2):00", "dword :1",
            "hex (1):00", "str:\"x\""]
HEX_TYPES = ["0", "1", "2", "4", "7", "b", "02", "1234", "ffffffff", "100000000", "", "0x2",
             " 2", "-1", "+7", "2 ", "g"]
BAD_BYTES = ["100", "g1", "0x1f", "-1", "+1", "1 2", "fff", "0X0a"]


def draw_file(rng, n):
    """One file writing below key F<n>: its bytes for Wine and for the stand-in."""
    pick, wide = rng.choice, rng.random() < 0.35

    def maybe(p, text, otherwise=""):
        return text if rng.random() < p else otherwise

    def blank(p):
        return maybe(p, pick([" ", "\t", " \t"]))

    def quoted(text):  # escaped, sometimes with an odd escape, sometimes unterminated
        text = '"' + text.replace("\\", "\\\\").replace('"', '\\"') + pick(ESCAPES)
        return text + pick(['"'] * 18 + ["", "\\"])

    lines = [""] * (rng.random() < 0.03) + [pick(HEADERS)] + [""] * (rng.random() < 0.8)
    for _ in range(rng.randint(1, 4)):
        sub = maybe(0.9, pick(SUBKEYS), pick(EXTRA[wide]))
        parts = [pick(ROOTS), "Software", "Gen", "F%d" % n] + sub.split("\\")
        path = parts[0] + maybe(0.03, "X") + "".join(
            maybe(0.03, "\\\\", "\\") + part for part in parts[1:] if part)
        lines.append(blank(0.1) + pick(KEY_LINES) % (path + maybe(0.08, pick(["\\", "\\\\"]))))
        names = []
        for _ in range(rng.randint(0, 6)):
            roll, name = rng.random(), maybe(0.9, pick(NAMES), pick(EXTRA[wide]))
            if roll < 0.08:
                lines.append(pick(JUNK))
                continue
            name = pick(names) if roll < 0.18 and names else name
            head = maybe(0.6, "@", quoted(name)) if name == "" else quoted(name)
            head += blank(0.2) + maybe(0.97, "=", " \"x\"") + blank(0.2)
            if roll < 0.18 and names:
                lines.append(head + "-" + pick([""] * 6 + [" ", " ;c", ";c", "junk", "1"]))
                continue
            names.append(name)
            roll = rng.random()
            if roll < 0.3:
                lines.append(head + quoted(pick(STRINGS) + maybe(0.2, pick(EXTRA[wide])))
                             + pick(TAILS))
            elif roll < 0.45:
                number = "%x" % rng.getrandbits(pick([4, 8, 16, 32]))
                lines.append(head + "dword:" + pick([
                    number.rjust(8, "0"), number, number.upper(), number.rjust(9, "0"),
                    "0x" + number, " " + number, number + " ;c", number + ";c", number + " x",
                    "", "-1", "+1", "\t" + number, number + "g", "fffffffff"[:rng.randint(1, 9)]]))
            elif roll < 0.93:
                lines += _hex_lines(rng, head, wide)
            else:
                lines.append(head + pick(BAD_DATA))
    newline = pick(["\r\n"] * 6 + ["\n"] * 3 + ["\r"])
    text = newline.join(lines) + maybe(0.8, newline)
    if wide:
        data = maybe(0.97, codecs.BOM_UTF16_LE, b"") + text.encode("utf-16-le", "surrogatepass")
        return data, data
    bom = maybe(0.02, codecs.BOM_UTF8, b"")
    return bom + text.encode(WINE_ANSI), bom + text.encode(NATIVE_ANSI)


def _hex_lines(rng, head, wide):
    """A hex list, sometimes continued over lines with comments between."""
    pick = rng.choice

    def blank():
        return pick([""] * 19 + [" "])

    kind = pick(HEX_TYPES) if rng.random() < 0.65 else None
    try:
        number = int(kind, 16) if kind is not None else 3
    except ValueError:
        number = -1
    unit = 2 if wide and number in (1, 2, 7) else 4 if number == 4 else 1
    top = 127 if not wide and number in (1, 2, 7) else 255  # ANSI string data stays ASCII
    lines, line, total = [], head + ("hex(%s):" % kind if kind is not None else "hex:"), 0
    for segment in range(4):
        count = (pick([0, 4, 4, 8]) if not segment else 4) if unit == 4 else \
            unit * rng.randint(0 if not segment else 1, 8 // unit)
        total += count
        line += ",".join(blank() + (pick(["%02x", "%02X", "%x"]) % rng.randint(0, top)
                                    if rng.random() < 0.98 else
                                    pick(BAD_BYTES + [""] * (unit == 1))) + blank()
                         for _ in range(count))
        if not count or segment == 3 or rng.random() < 0.65:
            break
        lines.append(line + pick([",\\"] * 19 + ["\\"]) + pick([""] * 9 + [" ;c", " junk", "\\"]))
        lines += [pick(["", "; comment inside", "#x"])] if rng.random() < 0.1 else []
        if rng.random() < 0.06:
            return lines  # what follows is the next line of the file, or its end
        line = pick(["  ", "", "\t"])
    if rng.random() < 0.1 and (total or number not in (1, 2, 7)):
        line += pick([",", " ;comment", " junk", ",,", ", ;c"])
    return lines + [line]


def draw_add(rng):
    """The arguments after the key of one REG ADD with random data."""
    kind = rng.choice(["REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_QWORD", "REG_MULTI_SZ",
                       "REG_BINARY"])
    if kind == "REG_MULTI_SZ":
        data = "".join(rng.choice(["a", "b", "\\0", "\\0", "\\\\0", ",", "x y", "\\"])
                       for _ in range(rng.randint(0, 5)))
        return ["/t", kind] + (["/s", rng.choice(",#a")] if rng.random() < 0.3 else []) + [
            "/d", data]
    if kind == "REG_BINARY":
        return ["/t", kind, "/d", "".join(rng.choice("0123456789abcdefABCDEFgx ")
                                          for _ in range(rng.randint(0, 7)))]
    number = rng.choice(["0", "1", "10", "4294967295", "4294967296", "18446744073709551616",
                         "ff", "12345678901"])
    hexa = "%x" % rng.getrandbits(rng.choice([8, 32, 36, 64, 68]))
    data = rng.choice([number, "0x" + hexa, "0X" + hexa.upper(), " " + number, number + " ",
                       "-" + number, "+" + number, "0x", "", "0x-1", "00x1", "1x5", "\t" + number,
                       "0" + number, "1e3", "0x" + hexa + "g"])
    return ["/t", kind] + (["/d", data] if rng.random() < 0.95 else [])
