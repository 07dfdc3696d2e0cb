#include "tools/reg/value_text.h"

#include <gtest/gtest.h>

namespace reg {
namespace {

TEST(ValueTextTest, TypeNamesBothWays) {
  uint32_t type = 99;
  EXPECT_TRUE(TypeFromName("reg_dword_little_endian", &type));
  EXPECT_EQ(type, 4u);
  EXPECT_TRUE(TypeFromName("REG_QWORD", &type));
  EXPECT_EQ(type, 11u);
  EXPECT_FALSE(TypeFromName("0x1234", &type));
  EXPECT_EQ(TypeName(4), "REG_DWORD");
  EXPECT_EQ(TypeName(0x99), "0x99");
}

TEST(ValueTextTest, DataAsQueryShowsIt) {
  auto text = [](uint32_t type, const std::string& data) {
    return DataText(registry::Value{"n", type, data});
  };
  EXPECT_EQ(text(1, std::string("ab\0cd\0", 6)), "ab");
  EXPECT_EQ(text(2, "%P%"), "%P%");
  EXPECT_EQ(text(7, std::string("one\0two\0\0", 9)), "one\\0two");
  EXPECT_EQ(text(7, std::string("\0", 1)), "");
  EXPECT_EQ(text(4, std::string("\x1a\0\0\0", 4)), "0x1a");
  EXPECT_EQ(text(4, "\x01\x02"), "0102");
  EXPECT_EQ(text(11, std::string("\x90\x78\x56\x34\x12\0\0\0", 8)), "0x1234567890");
  EXPECT_EQ(text(3, "\x01\xab"), "01AB");
  EXPECT_EQ(text(0, ""), "");
}

}  // namespace
}  // namespace reg
