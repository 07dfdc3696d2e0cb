#include "src/tarnwell.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace {

TEST(SplitCommandLineTest, FollowsTheProgramsOwnRule) {
  struct Case {
    const char* line;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {"tarnwell.exe", {}},
      {"\"C:\\Program Files\\tarnwell.exe\" /install", {"/install"}},
      // Two quotes alone are skipped like a separator.
      {"tarnwell.exe \"\" /install", {"/install"}},
      {"tarnwell.exe \"\"/install", {"/install"}},
      {"tarnwell.exe \"/install \"", {"/install "}},
      {"tarnwell.exe /in\"stall\"", {"/install"}},
      {"tarnwell.exe\t/install\x01/uninstall\x1f"
       "x",
       {"/install", "/uninstall", "x"}},
      {"tarnwell.exe   /install   extra  ", {"/install", "extra"}},
      // A lone quote at the very end gives an empty word, which ends the count.
      {"tarnwell.exe \"", {}},
      {"tarnwell.exe /install \" x", {"/install", " x"}},
      {"tarnwell.exe /install \"", {"/install"}},
      // An unclosed stretch keeps separators to the end of the line.
      {"tarnwell.exe \"/install x", {"/install x"}},
      // Backslashes have no special meaning.
      {"tarnwell.exe a\\\"b c\"", {"a\\b c"}},
      // Bytes above 127 belong to words.
      {"tarnwell.exe \xe9t\xe9", {"\xe9t\xe9"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
}

TEST(ErrorReportTest, IsCutToTheBuffer) {
  const std::string head = "Exception ERegistryException in module tarnwell.exe at 00000000.\r\n";
  for (size_t length : {1021 - head.size(), 1022 - head.size(), 5000ul}) {
    const std::string message(length, 'x');
    const std::string report =
        ErrorReport(ERegistryException("ERegistryException", message, nullptr), "tarnwell.exe", 0);
    EXPECT_EQ(report, (head + message + ".\r\n").substr(0, 1023)) << length;
  }
}

// No run can run out of memory on purpose; the report still names it.
TEST(ErrorReportTest, OutOfMemoryIsReportedAsSuch) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.out_of_memory = true;
  EXPECT_EQ(RunTarnwell(), 1);
  EXPECT_EQ(fake.standard_error.substr(0, 33), "Exception EOutOfMemory in module ");
  const std::string tail = ".\r\nOut of memory.\r\n\r\n";
  EXPECT_EQ(fake.standard_error.substr(fake.standard_error.size() - tail.size()), tail);
}

}  // namespace
