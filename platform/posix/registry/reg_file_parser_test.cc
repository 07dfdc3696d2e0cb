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

// How .reg files are read is compared with Wine's reg.exe by the conformance
// suite; these cases cover the hives' own dialect.
TEST(RegFileParserTest, HivesKeepTheirTextAndStringDataAsStored) {
  RegFileOptions hive;
  hive.hive = true;
  std::string text =
      "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\\xC3\xA9]\n"
      "\"s\"=hex(1):61\n\"m\"=hex(7):c3,a9,00\n";
  EXPECT_EQ(Parse(text, hive).events,
            (Events{"key HKEY_CURRENT_USER\\\xC3\xA9", "set s 1 61", "set m 7 c3a900"}));
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
