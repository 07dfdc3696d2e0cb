"""Random registry-editor files drawn from a grammar of the format, mistakes
included, and random REG ADD data. Nothing here knows what reg makes of
them: the differential run asks Wine.

Every file writes only below its own key, HKCU (or HKLM) Software\\Gen\\F<n>,
so many files can share one registry and be compared after one export.
Some inputs are never drawn because Wine's answer to them is not stable: a
string type's hex list of an odd length in a UTF-16 file, or empty but not
blank (read outside the data, or a crash), and REG_DWORD hex lists of one
to three bytes (exported from memory past the data)."""

import codecs

GEN = "Software\\Gen"

# The ANSI code pages: Wine's in the locale the suite runs it in, and the
# emulation's. Files without a byte-order mark are written in each side's.
WINE_ANSI = "cp1252"
NATIVE_ANSI = "utf-8"

HEADERS_GOOD = ["Windows Registry Editor Version 5.00", "REGEDIT4"]
HEADERS_ODD = [
    "REGEDIT", "REGEDIT4 extra", "REGEDIT 4", "REGEDIT5", "regedit4", "Regedit4",
    "windows registry editor version 5.00", "Windows Registry Editor Version 5.00 ",
    "Windows Registry Editor Version 5.0", "  REGEDIT4", "\tWindows Registry Editor Version 5.00",
    "REGEDIT4;comment", "REGEDIT4\t", "", "[HKEY_CURRENT_USER\\Software]", "Registry Editor",
]

# Non-ASCII text: in ANSI files characters of both ANSI code pages (each
# side gets the file in its own); in UTF-16 files any character.
ANSI_EXTRA = ["\u00e9", "\u00c5ngstr\u00f6m", "\u20ac", "\u2122x", "\u00ff", "na\u00efve"]
WIDE_EXTRA = ["\u00e9", "\u20ac", "\u4e2d\u6587", "\u03a9", "stra\u00dfe", "\U0001f600"]

SUBKEYS = ["", "Sub", "SUB", "Sub\\Deep", "Other", "Sp ace", "x.y", "a;b", "Q\"uote"]
VALUE_NAMES = ["a", "A", "v1", "", "with space", "q\"uote", "back\\slash", "semi;colon",
               "eq=ual", "[br]"]
HEX_TYPES = ["0", "1", "2", "3", "4", "5", "7", "b", "B", "02", "1234", "ffffffff",
             "100000000", "", "0x2", " 2", "-1", "+7", "2 ", "g", "7fffffff"]


class FileGrammar:
    """Draws one file; `n` names its key."""

    def __init__(self, rng, n):
        self.rng = rng
        self.n = n
        self.wide = rng.random() < 0.35
        self.lines = []
        self.names = []  # value names set so far, for deletions

    # -- small helpers --
    def chance(self, p):
        return self.rng.random() < p

    def pick(self, items):
        return self.rng.choice(items)

    def extra_text(self):
        return self.pick(WIDE_EXTRA if self.wide else ANSI_EXTRA)

    def blanks(self, p=0.2):
        return self.pick([" ", "\t", "  ", " \t"]) if self.chance(p) else ""

    # -- the file --
    def draw(self):
        header = self.pick(HEADERS_GOOD) if self.chance(0.85) else self.pick(HEADERS_ODD)
        if self.chance(0.03):
            self.lines.append("")
        self.lines.append(header)
        if self.chance(0.8):
            self.lines.append("")
        for _ in range(self.rng.randint(1, 4)):
            self.key_section()
        return self.encode()

    def encode(self):
        newline = self.pick(["\r\n"] * 6 + ["\n"] * 3 + ["\r"])
        text = newline.join(self.lines)
        if self.chance(0.8):
            text += newline
        if self.wide:
            data = text.encode("utf-16-le", "surrogatepass")
            data = data if self.chance(0.03) else codecs.BOM_UTF16_LE + data
            return data, data
        bom = codecs.BOM_UTF8 if self.chance(0.02) else b""
        return bom + text.encode(WINE_ANSI), bom + text.encode(NATIVE_ANSI)

    def key_path(self):
        root = self.pick(["HKEY_CURRENT_USER"] * 6 + ["HKCU", "hkey_current_user",
                                                        "HKEY_LOCAL_MACHINE", "HKLM"])
        parts = [root] + GEN.split("\\") + ["F%d" % self.n]
        sub = self.pick(SUBKEYS)
        if self.chance(0.1):
            sub = self.extra_text()
        if sub:
            parts += sub.split("\\")
        separators = []
        for i in range(len(parts) - 1):
            # A doubled backslash right after the root, or deeper down.
            separators.append("\\\\" if self.chance(0.04 if i else 0.02) else "\\")
        path = parts[0] + "".join(s + p for s, p in zip(separators, parts[1:]))
        if self.chance(0.08):
            path += self.pick(["\\", "\\\\", "\\\\\\"])
        if self.chance(0.03):
            path = path.replace(root, root + "X", 1)
        return path

    def key_section(self):
        path = self.key_path()
        if self.chance(0.1):
            line = "[-" + path + "]"
            if self.chance(0.3):
                line = self.pick(["[ -", "[-  ", "[--"]) + path + "]"
            self.lines.append(self.blanks(0.1) + line)
        else:
            line = "[" + path + "]"
            roll = self.rng.random()
            if roll < 0.04:
                line = "[ " + path + "]"
            elif roll < 0.08:
                line = "[" + path
            elif roll < 0.12:
                line += self.pick([" ;comment", "junk", "]", " [x]"])
            elif roll < 0.14:
                line = "[" + path + "]]"
            self.lines.append(self.blanks(0.1) + line)
        self.names = []
        for _ in range(self.rng.randint(0, 6)):
            self.body_line()

    def body_line(self):
        roll = self.rng.random()
        if roll < 0.08:
            self.lines.append(self.pick(["", "; comment", "# hash", "garbage", "  ;indented",
                                         "@", "=\"x\"", " "]))
        elif roll < 0.18 and self.names:
            self.lines.append(self.value_head(self.pick(self.names)) + self.deletion())
        else:
            name = self.pick(VALUE_NAMES) if self.chance(0.9) else self.extra_text()
            head = self.value_head(name)
            self.names.append(name)
            self.value_data(head)

    def escape(self, text):
        out = text.replace("\\", "\\\\").replace("\"", "\\\"")
        if self.chance(0.1):
            out += self.pick(["\\n", "\\r", "\\t", "\\0", "\\x", "\\\\\\\"", "\\a"])
        return out

    def value_head(self, name):
        if name == "" and self.chance(0.6):
            head = "@"
        else:
            head = "\"" + self.escape(name) + "\""
            if self.chance(0.03):
                head = head[:-1]
        if self.chance(0.03):
            return head + self.blanks(1) + "\"x\""
        return head + self.blanks() + "=" + self.blanks()

    def deletion(self):
        return "-" + self.pick([""] * 6 + [" ", " ;c", ";c", "junk", "1", "\t"])

    def tail(self):
        return self.pick([""] * 8 + [" ", "\t", " ;comment", ";c", " junk", "x", " \"y\""])

    def value_data(self, head):
        roll = self.rng.random()
        if roll < 0.3:
            self.lines.append(head + self.string_data() + self.tail())
        elif roll < 0.45:
            self.lines.append(head + self.dword_data())
        elif roll < 0.93:
            self.hex_data(head)
        else:
            self.lines.append(head + self.pick(["", "junk", "hex", "dword", "\"", "DWORD:1",
                                                "HEX:01", "Hex(2):00", "dword :1", "hex (1):00",
                                                "=\"x\"", "str:\"x\""]))

    def string_data(self):
        text = self.pick(["", "plain", "C:\\Pics\\a.jpg", "say \"hi\"", "semi;colon", "%PATH%",
                          "  spaced  ", "[br]", "=", "a\\"])
        if self.chance(0.2):
            text += self.extra_text()
        body = self.escape(text)
        if self.chance(0.05):
            return "\"" + body
        if self.chance(0.03):
            return "\"" + body + "\\"
        return "\"" + body + "\""

    def dword_data(self):
        number = "%x" % self.rng.getrandbits(self.pick([4, 8, 16, 32]))
        forms = [
            number.rjust(8, "0"), number, number.upper(), number.rjust(9, "0"),
            "1" + number.rjust(8, "0"), "0x" + number, " " + number, number + " ;c",
            number + ";c", number + " x", "", ";c", "-1", "+1", number + " ",
            "\t" + number, number + "g", "fffffffff"[:self.rng.randint(1, 9)],
        ]
        return "dword:" + self.pick(forms)

    def hex_tag(self):
        if self.chance(0.35):
            return "hex:", 3
        text = self.pick(HEX_TYPES)
        try:
            number = int(text.strip(), 16)
        except ValueError:
            number = -1
        return "hex(" + text + "):", number

    def unit(self, type_number):
        if type_number in (1, 2, 7) and self.wide:
            return 2
        if type_number == 4:
            return 4
        return 1

    def hex_byte(self, unit, type_number):
        # String data in an ANSI file is in the file's code page: ASCII only,
        # the same bytes in both.
        ascii_only = not self.wide and type_number in (1, 2, 7)
        value = self.rng.randint(0, 127 if ascii_only else 255)
        text = self.pick(["%02x", "%02X", "%02x", "%x", "%X"]) % value
        if self.chance(0.02):
            # An empty byte before a trailing comma shortens the list.
            text = self.pick(["100", "g1", "0x1f", "-1", "+1", "1 2", "fff", "0X0a", "1g"] +
                             ([""] if unit == 1 else []))
        return self.blanks(0.1) + text + self.blanks(0.1)

    def byte_count(self, unit, first):
        if unit == 4:
            return self.pick([0, 4, 4, 8]) if first else 4
        return unit * self.rng.randint(0 if first else 1, 8 // unit)

    def hex_data(self, head):
        tag, type_number = self.hex_tag()
        unit = self.unit(type_number)
        segments = 1 + (self.rng.randint(1, 3) if self.chance(0.35) else 0)
        line = head + tag
        total = 0
        for segment in range(segments):
            count = self.byte_count(unit, segment == 0)
            total += count
            line += ",".join(self.hex_byte(unit, type_number) for _ in range(count))
            if segment == segments - 1 or count == 0:
                break
            # Continued on the next line.
            if self.chance(0.05):
                line += self.blanks(0.5) + "\\"  # without the comma
            else:
                line += "," + self.blanks(0.1) + "\\"
            if self.chance(0.1):
                line += self.pick([" ;comment", " junk", " ", "\\", ";"])
            self.lines.append(line)
            if self.chance(0.1):
                self.lines.append(self.pick(["", "; comment inside", "  ", "#x"]))
            if self.chance(0.06):
                return  # what follows is the next line of the file, or its end
            line = self.pick(["  ", "  ", "", "\t", "    "])
        # A string type's list that is empty without being blank makes
        # reg.exe read before its data.
        if self.chance(0.1) and (total or type_number not in (1, 2, 7)):
            line += self.pick([",", " ;comment", ";c", " junk", ",,", ", ;c"])
        self.lines.append(line)


def draw_file(rng, n):
    """One random file writing below key F<n>: its bytes for Wine and for
    the stand-in."""
    return FileGrammar(rng, n).draw()


# REG ADD's /d for the types whose data it checks.
ADD_TYPES = ["REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_QWORD", "REG_MULTI_SZ", "REG_BINARY"]


def draw_add(rng):
    """The arguments after the key of one REG ADD with random data."""
    kind = rng.choice(ADD_TYPES)
    if kind == "REG_MULTI_SZ":
        pieces = ["a", "b", "", "\\0", "\\0", "\\\\0", ",", "x y", "\\"]
        data = "".join(rng.choice(pieces) for _ in range(rng.randint(0, 5)))
        args = ["/t", kind]
        if rng.random() < 0.3:
            args += ["/s", rng.choice([",", "#", "a"])]
        return args + ["/d", data]
    if kind == "REG_BINARY":
        data = "".join(rng.choice("0123456789abcdefABCDEFgx ") for _ in range(rng.randint(0, 7)))
        return ["/t", kind, "/d", data]
    number = rng.choice(["0", "1", "10", "4294967295", "4294967296", "18446744073709551615",
                         "18446744073709551616", "ff", "12345678901"])
    hex_number = "%x" % rng.getrandbits(rng.choice([8, 32, 36, 64, 68]))
    data = rng.choice([number, "0x" + hex_number, "0X" + hex_number.upper(), " " + number,
                       number + " ", "-" + number, "+" + number, "x" + number, "0x", "",
                       "0x-1", " 0x" + hex_number, "00x1", "1x5", "\t" + number, "-0x1",
                       "0" + number, "1e3", "0x" + hex_number + "g"])
    args = ["/t", kind]
    if rng.random() < 0.05:
        return args
    return args + ["/d", data]
