"""Random registry-editor files, mistakes included, each writing below its own
key Software\\Gen\\F<n>, and random REG ADD data. Never drawn, as Wine's answer
is not stable: a string type's hex list of odd length in UTF-16 or empty but
not blank, and REG_DWORD hex lists of 1 to 3 bytes."""

import codecs

WINE_ANSI, NATIVE_ANSI = "cp1252", "utf-8"
HEADERS = ["Windows Registry Editor Version 5.00", "REGEDIT4"] * 30 + (
    "REGEDIT|REGEDIT4 extra|REGEDIT 4|regedit4|windows registry editor version 5.00|  REGEDIT4|"
    "Windows Registry Editor Version 5.0|REGEDIT4;c|REGEDIT4\t||[HKCU\\Software]").split("|")
EXTRA = {False: ["\u00e9", "\u00c5ngstr\u00f6m", "\u20ac", "\u2122x", "\u00ff"],
         True: ["\u00e9", "\u20ac", "\u4e2d\u6587", "stra\u00dfe", "\U0001f600"]}
ROOTS = ["HKEY_CURRENT_USER"] * 6 + ["HKCU", "hkey_current_user", "HKEY_LOCAL_MACHINE", "HKLM"]
SUBKEYS = ["", "", "Sub", "SUB", "Sub\\Deep", "Sp ace", "a;b", "Q\"uote"]
KEY_LINES = ["[%s]"] * 20 + "[ %s]|[%s|[%s] ;c|[%s]junk|[%s]]|[-%s]|[-%s]|[ -%s]|[--%s]".split("|")
NAMES = ["a", "A", "v1", "", "", "with space", "q\"uote", "back\\slash", "semi;colon", "[br]"]
ESCAPES = [""] * 63 + ["\\n", "\\r", "\\t", "\\0", "\\x", "\\\\\\\"", "\\a"]
# Junk: whole lines, after a string's closing quote, or as a value's data.
JUNK = [""] * 16 + (" |\t|;c| ;comment|# hash|junk|@|=\"x\"| \"y\"|hex|dword|\"|DWORD:1|HEX:01|"
                    "Hex(2):00|dword :1|hex (1):00").split("|")
STRINGS = ["", "plain", "C:\\Pics\\a.jpg", "say \"hi\"", "%PATH%", "  spaced  ", "=", "a\\"]
HEX_TYPES = "0|1|2|4|7|b|02|1234|ffffffff|100000000||0x2| 2|-1|+7|2 |g".split("|")
BAD_BYTES = ["100", "g1", "0x1f", "-1", "+1", "1 2", "fff", "0X0a"]


def draw_file(rng, n):
    """One file writing below key F<n>, as each side reads it."""
    pick, wide = rng.choice, rng.random() < 0.35

    def maybe(p, text, otherwise=""):
        return text if rng.random() < p else otherwise

    def quoted(text):  # escaped, sometimes with an odd escape, sometimes unterminated
        text = '"' + text.replace("\\", "\\\\").replace('"', '\\"') + pick(ESCAPES)
        return text + pick(['"'] * 18 + ["", "\\"])

    blank = [" ", "\t", " \t"] + [""] * 12
    lines = [""] * (rng.random() < 0.03) + [pick(HEADERS)] + [""] * (rng.random() < 0.8)
    for _ in range(rng.randint(1, 4)):
        parts = [pick(ROOTS), "Software", "Gen", "F%d" % n] + maybe(
            0.9, pick(SUBKEYS), pick(EXTRA[wide])).split("\\")
        path = parts[0] + maybe(0.03, "X") + "".join(
            maybe(0.03, "\\\\", "\\") + part for part in parts[1:] if part)
        lines.append(pick(blank) + pick(KEY_LINES) % (path + maybe(0.08, pick(["\\", "\\\\"]))))
        names = []
        for _ in range(rng.randint(0, 6)):
            roll, name = rng.random(), maybe(0.9, pick(NAMES), pick(EXTRA[wide]))
            name = pick(names) if roll < 0.18 and names else name
            head = maybe(0.6, "@", quoted(name)) if name == "" else quoted(name)
            head += pick(blank) + maybe(0.97, "=", " \"x\"") + pick(blank)
            names.append(name)
            if roll < 0.08:
                lines.append(pick(JUNK[8:]))
            elif roll < 0.18 and names[:-1]:
                lines.append(head + "-" + pick(JUNK[6:]))
            elif roll < 0.4:
                lines.append(head + quoted(pick(STRINGS) + maybe(0.2, pick(EXTRA[wide]))) +
                             pick(JUNK))
            elif roll < 0.52:
                number = "%x" % rng.getrandbits(pick([4, 8, 16, 32]))
                lines.append(head + "dword:" + pick([
                    number.rjust(8, "0"), number, number.upper(), number.rjust(9, "0"), "",
                    "0x" + number, " " + number, number + ";c", number + " x", "-1", number + "g"]))
            elif roll < 0.95:
                lines += _hex_lines(rng, head, wide)
            else:
                lines.append(head + pick(JUNK[15:]))
    newline = pick(["\r\n"] * 6 + ["\n"] * 3 + ["\r"])
    return encoded(newline.join(lines) + maybe(0.8, newline), wide, rng.random())


def encoded(text, wide, roll=0.5):  # UTF-16LE, mostly with its mark, or each side's ANSI
    if wide:
        data = codecs.BOM_UTF16_LE * (roll < 0.97) + text.encode("utf-16-le", "surrogatepass")
        return {"wine": data, "native": data}
    bom = codecs.BOM_UTF8 * (roll < 0.05)
    return {"wine": bom + text.encode(WINE_ANSI), "native": bom + text.encode(NATIVE_ANSI)}


def _hex_lines(rng, head, wide):
    """A hex list, sometimes continued over lines with comments between."""
    pick, kind = rng.choice, rng.choice(HEX_TYPES + [None] * 9)
    number = 3 if kind is None else int(kind, 16) if kind.strip(" +-").isalnum() and "g" not in \
        kind else -1  # -1: no type reg can read
    unit = 2 if wide and number in (1, 2, 7) else 4 if number == 4 else 1
    top = 127 if not wide and number in (1, 2, 7) else 255  # ANSI string data stays ASCII
    lines, line, total = [], head + ("hex:" if kind is None else "hex(%s):" % kind), 0
    for segment in range(4):
        count = (4 if segment else pick([0, 4, 4, 8])) if unit == 4 else unit * rng.randint(
            1 if segment else 0, 8 // unit)
        total += count
        line += ",".join(pick([""] * 19 + [" "]) + (pick(["%02x", "%02X", "%x"]) % rng.randint(
            0, top) if rng.random() < 0.98 else pick(BAD_BYTES + [""] * (unit == 1)))
                         for _ in range(count))
        if not count or segment == 3 or rng.random() < 0.65:
            break
        lines.append(line + pick([",\\"] * 19 + ["\\"]) + pick([""] * 9 + [" ;c", " junk", "\\"]))
        lines += [pick(["", "; comment inside", "#x"])] * (rng.random() < 0.1)
        if rng.random() < 0.06:
            return lines  # what follows is the next line of the file, or its end
        line = pick(["  ", "", "\t"])
    if rng.random() < 0.1 and (total or number not in (1, 2, 7)):
        line += pick([",", " ;comment", " junk", ",,", ", ;c"])
    return lines + [line]


def draw_add(rng):
    """The arguments of one REG ADD after its key and value name."""
    pick, kind = rng.choice, rng.choice("DWORD DWORD_BIG_ENDIAN QWORD MULTI_SZ BINARY".split())
    number, hexa = pick(["0", "1", "4294967295", "4294967296", "18446744073709551616", "ff"]), \
        "%x" % rng.getrandbits(pick([8, 32, 36, 64, 68]))
    data = pick([number, "0x" + hexa, "0X" + hexa.upper(), " " + number, number + " ", "-" + number,
                 "+" + number, "0x", "", "0x-1", "00x1", "1x5", "\t" + number, "0" + number, "1e3",
                 "0x" + hexa + "g"])
    if kind in ("MULTI_SZ", "BINARY"):  # pieces of a list
        data = "".join(pick(["a", "\\0", "\\0", "\\\\0", ",", "x y", "\\"] if kind == "MULTI_SZ"
                            else "0123456789abcdefABCDEFgx ") for _ in range(rng.randint(0, 6)))
    separator = ["/s", pick(",#a")] if kind == "MULTI_SZ" and rng.random() < 0.3 else []
    return ["/t", "REG_" + kind] + separator + (["/d", data] if rng.random() < 0.95 else [])
