#include "platform/posix/registry/reg_file_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace registry {
namespace {

// Records what the parser reports, one readable line per event.
class Recorder : public RegFileHandler {
 public:
  bool OpenKey(const std::string& path) override {
    events.push_back("key " + path);
    return path.rfind("HKEY_", 0) == 0;
  }
  void DeleteKey(const std::string& path) override { events.push_back("delete key " + path); }
  void SetValue(const std::string& name, uint32_t type, const std::string& data) override {
    std::string hex;
    for (unsigned char c : data) {
      char byte[4];
      std::snprintf(byte, sizeof(byte), "%02x", c);
      hex += byte;
    }
    events.push_back("set " + name + " " + std::to_string(type) + " " + hex);
  }
  void DeleteValue(const std::string& name) override { events.push_back("delete " + name); }
  void SetAccess(uint32_t mask) override { events.push_back("access " + std::to_string(mask)); }
  void Problem(int line, const std::string&) override { problems.push_back(line); }

  std::vector<std::string> events;
  std::vector<int> problems;
};

Recorder Parse(const std::string& text, RegFileOptions options = {}) {
  Recorder recorder;
  ParseRegFile(text, &recorder, options);
  return recorder;
}

std::string File(const std::string& body) {
  return "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n" + body;
}

using Events = std::vector<std::string>;

TEST(RegFileParserTest, ReadsEveryKindOfLine) {
  Recorder r =
      Parse(File("@=\"def\"\r\n"
                 "\"s\"=\"a\\\\b\\\"c\\nd\"\r\n"
                 "\"d\"=dword:0000001A\r\n"
                 "\"b\"=hex:01,ff\r\n"
                 "\"e\"=hex(2):25,50,00\r\n"
                 "\"u\"=hex(1234):\r\n"
                 "\"gone\"=-\r\n"
                 "[-HKEY_CURRENT_USER\\Old]\r\n"
                 "\"ignored\"=\"after a deleted key\"\r\n"));
  EXPECT_EQ(r.events,
            (Events{"key HKEY_CURRENT_USER\\T", "set  1 64656600", "set s 1 615c6222630a6400",
                    "set d 4 1a000000", "set b 3 01ff", "set e 2 255000", "set u 4660 ",
                    "delete gone", "delete key HKEY_CURRENT_USER\\Old"}));
  EXPECT_TRUE(r.problems.empty());
}

TEST(RegFileParserTest, AcceptsBothHeadersAndRejectsOthers) {
  EXPECT_EQ(Parse("REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"a\"=\"1\"\n").events.size(), 2u);
  Recorder recorder;
  EXPECT_EQ(ParseRegFile("REGEDIT5\n[HKEY_CURRENT_USER\\T]\n", &recorder),
            RegFileStatus::kBadHeader);
  EXPECT_EQ(ParseRegFile("", &recorder), RegFileStatus::kBadHeader);
  EXPECT_TRUE(recorder.events.empty());
}

TEST(RegFileParserTest, ReadsUtf16FilesAndTheirStringHexData) {
  std::string text = File("\"m\"=hex(7):61,00,e9,00,00,00,00,00\r\n\"b\"=hex:61,00\r\n");
  std::string wide = "\xFF\xFE";
  for (char c : text) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  EXPECT_EQ(Parse(wide).events,
            (Events{"key HKEY_CURRENT_USER\\T", "set m 7 61c3a90000", "set b 3 6100"}));
}

TEST(RegFileParserTest, AnsiHexStringDataIsKeptAsBytes) {
  EXPECT_EQ(Parse(File("\"e\"=hex(2):25,50,41,54,48,25,00\n")).events.back(),
            "set e 2 25504154482500");
}

TEST(RegFileParserTest, ContinuesHexListsAfterCommaBackslash) {
  Recorder r = Parse(File("\"b\"=hex:01,02,\\\r\n    03,\\\n  04\r\n\"n\"=\"x\"\r\n"));
  EXPECT_EQ(r.events, (Events{"key HKEY_CURRENT_USER\\T", "set b 3 01020304", "set n 1 7800"}));
}

TEST(RegFileParserTest, SkipsMalformedLinesAndKeepsTheRest) {
  Recorder r =
      Parse(File("\"a\"=\"unterminated\r\n"   // 4
                 "\"b\"=\"x\" junk\r\n"       // 5
                 "\"c\"=DWORD:1\r\n"          // 6
                 "\"d\"=dword:123456789\r\n"  // 7
                 "\"e\"=hex:01,2g\r\n"        // 8
                 "\"f\"=hex:01,02\\\r\n"      // 9: no comma before the backslash
                 "  ,03\r\n"                  // 10: part of the broken list
                 "\"g\"=hex(0x2):00\r\n"      // 11
                 "\"h\"=hex:100\r\n"          // 12
                 "garbage\r\n"                // 13
                 "\"i\" \"=1\r\n"             // 14
                 "; comment\r\n"
                 "  # comment too\r\n"
                 "\"ok\" = \"yes\"  \r\n"
                 "\"w\"=dword: 1f\r\n"
                 "\"x\"=hex: 1, 02 ,3\r\n"  // 19: blank before a comma
                 "\"y\"=hex:001,+2\r\n"));
  EXPECT_EQ(r.events, (Events{"key HKEY_CURRENT_USER\\T", "set ok 1 79657300", "set w 4 1f000000",
                              "set y 3 0102"}));
  EXPECT_EQ(r.problems, (std::vector<int>{4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 19}));
}

TEST(RegFileParserTest, UnknownEscapesWarnAndKeepTheCharacter) {
  Recorder r = Parse(File("\"s\"=\"a\\tb\"\n"));
  EXPECT_EQ(r.events.back(), "set s 1 61746200");
  EXPECT_EQ(r.problems, std::vector<int>{4});
}

TEST(RegFileParserTest, ValuesUnderARefusedKeyAreIgnored) {
  Recorder r = Parse("REGEDIT4\n\"early\"=\"x\"\n[Bogus]\n\"a\"=\"1\"\n[HKEY_X]\n\"b\"=-\n");
  EXPECT_EQ(r.events, (Events{"key Bogus", "key HKEY_X", "delete b"}));
}

TEST(RegFileParserTest, AccessDirectiveOnlyInHives) {
  std::string text = File("#access=0x00020019\n\"a\"=\"1\"\n");
  EXPECT_EQ(Parse(text).events.size(), 2u);
  RegFileOptions hive;
  hive.hive = true;
  EXPECT_EQ(Parse(text, hive).events[1], "access 131097");
}

TEST(RegFileParserTest, StrictStopsAtTheFirstBadLine) {
  RegFileOptions strict;
  strict.strict = true;
  Recorder recorder;
  EXPECT_EQ(ParseRegFile(File("\"a\"=\"1\"\nbad\n\"b\"=\"2\"\n"), &recorder, strict),
            RegFileStatus::kBadLine);
  EXPECT_EQ(recorder.events.size(), 2u);
  EXPECT_EQ(recorder.problems, std::vector<int>{5});
}

}  // namespace
}  // namespace registry
