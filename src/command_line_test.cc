#include "src/command_line.h"

#include <gtest/gtest.h>

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

}  // namespace
