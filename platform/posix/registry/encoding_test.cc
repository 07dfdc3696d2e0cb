#include "platform/posix/registry/encoding.h"

#include <gtest/gtest.h>

namespace registry {
namespace {

TEST(EncodingTest, ConvertsEveryPlaneBothWays) {
  // A, e-acute, euro sign, G clef (a surrogate pair).
  std::string ansi = "A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";
  std::string wide("A\0\xE9\0\xAC\x20\x34\xD8\x1E\xDD", 10);
  EXPECT_EQ(AnsiToUtf16le(ansi), wide);
  EXPECT_EQ(Utf16leToAnsi(wide), ansi);
}

TEST(EncodingTest, KeepsZeroBytes) {
  EXPECT_EQ(AnsiToUtf16le(std::string("a\0b", 3)), std::string("a\0\0\0b\0", 6));
  EXPECT_EQ(Utf16leToAnsi(std::string("a\0\0\0", 4)), std::string("a\0", 2));
}

TEST(EncodingTest, ReplacesWhatDoesNotConvertAndKeepsUnpairedSurrogates) {
  EXPECT_EQ(AnsiToUtf16le("\xFF"), "\xFD\xFF");
  EXPECT_EQ(AnsiToUtf16le("\xC3"), "\xFD\xFF");  // cut-off sequence
  EXPECT_EQ(Utf16leToAnsi(std::string("\x00\xD8x\0", 4)), "\xED\xA0\x80x");
  EXPECT_EQ(AnsiToUtf16le("\xED\xA0\x80x"), std::string("\x00\xD8x\0", 4));
  EXPECT_EQ(Utf16leToAnsi(std::string("a\0b", 3)), "a");  // odd last byte dropped
}

}  // namespace
}  // namespace registry
