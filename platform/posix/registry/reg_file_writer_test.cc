#include "platform/posix/registry/reg_file_writer.h"

#include <gtest/gtest.h>

#include "platform/posix/registry/encoding.h"
#include "platform/posix/registry/hive_store.h"

namespace registry {
namespace {

std::string Bytes(std::initializer_list<int> list) {
  std::string bytes;
  for (int b : list) bytes.push_back(static_cast<char>(b));
  return bytes;
}

// The export's text without its byte-order mark, back in ANSI.
std::string ExportText(const Key& key, const std::string& shown) {
  std::string bytes = FormatExport(key, shown);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  return Utf16leToAnsi(bytes.substr(2));
}

// Contents whose export Wine 8's reg.exe was seen to write byte for byte.
TEST(RegFileWriterTest, ExportMatchesWineLayout) {
  Key key("T");
  key.SetValue("", 1, std::string("def\0", 4));
  key.SetValue("bin", 3, Bytes({1, 2, 0xab, 0xcd}));
  key.SetValue("dw", 4, Bytes({0x1a, 0, 0, 0}));
  key.SetValue("dw8", 4, Bytes({1, 2, 3, 4, 5, 6, 7, 8}));
  key.SetValue("dw0", 4, "");
  key.SetValue("esz", 2, std::string("%PATH%x\0", 8));
  std::string long_data;
  for (int i = 0; i < 64; ++i) long_data.push_back(static_cast<char>(i));
  key.SetValue("longbin", 3, long_data);
  key.SetValue("msz", 7, std::string("one\0two\0\0", 9));
  key.SetValue("none", 0, Bytes({0x61, 0, 0x62, 0}));
  key.SetValue("qw", 11, Bytes({0x90, 0x78, 0x56, 0x34, 0x12, 0, 0, 0}));
  key.SetValue("sz", 1, std::string("a\"b\\c\nd\0", 8));
  key.SetValue("sz_mid", 1, std::string("a\0b\0", 4));
  key.SetValue("sz_noterm", 1, "ab");
  key.SetValue("unk", 0x99, Bytes({1}));
  key.SetValue("n\"q\\", 4, Bytes({1, 0, 0, 0}));
  key.CreateSubkey("Sub")->SetValue("", 1, std::string("\0", 1));
  key.CreateSubkey("Empty");
  std::string expected =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\software\\t]\r\n"
      "@=\"def\"\r\n"
      "\"bin\"=hex:01,02,ab,cd\r\n"
      "\"dw\"=dword:0000001a\r\n"
      "\"dw0\"=hex(4):\r\n"
      "\"dw8\"=dword:04030201\r\n"
      "\"esz\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,78,00,00,00\r\n"
      "\"longbin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
      "  15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,\\\r\n"
      "  2e,2f,30,31,32,33,34,35,36,37,38,39,3a,3b,3c,3d,3e,3f\r\n"
      "\"msz\"=hex(7):6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,00\r\n"
      "\"n\\\"q\\\\\"=dword:00000001\r\n"
      "\"none\"=hex(0):61,00,62,00\r\n"
      "\"qw\"=hex(b):90,78,56,34,12,00,00,00\r\n"
      "\"sz\"=\"a\\\"b\\\\c\\nd\"\r\n"
      "\"sz_mid\"=\"a\"\r\n"
      "\"sz_noterm\"=\"ab\"\r\n"
      "\"unk\"=hex(99):01\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\software\\t\\Empty]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\software\\t\\Sub]\r\n"
      "@=\"\"\r\n"
      "\r\n";
  EXPECT_EQ(ExportText(key, "HKEY_CURRENT_USER\\software\\t"), expected);
}

TEST(RegFileWriterTest, ExportWrapsAfterALongName) {
  Key key("T");
  key.SetValue(std::string(88, 'x'), 3, Bytes({1, 2, 3}));
  EXPECT_EQ(ExportText(key, "HKEY_CURRENT_USER\\T"),
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"" +
                std::string(88, 'x') + "\"=hex:01,\\\r\n  02,03\r\n\r\n");
}

TEST(RegFileWriterTest, HiveKeepsEveryValueExactly) {
  Key hive("HKEY_LOCAL_MACHINE");
  Key* key = hive.Create("SOFTWARE\\Odd");
  key->set_access(0x20019);
  key->SetValue("", 1, std::string("plain\\ \"text\"\n\0", 15));
  key->SetValue("cr", 1, std::string("a\rb\0", 4));
  key->SetValue("line\r\nbreak", 4, Bytes({0, 0, 0, 0}));
  key->SetValue("mid", 1, std::string("a\0b\0", 4));
  key->SetValue("noterm", 1, "abc");
  key->SetValue("d", 4, Bytes({1, 2, 3, 4}));
  key->SetValue("d8", 4, Bytes({1, 2, 3, 4, 5, 6, 7, 8}));
  key->SetValue("d3", 4, Bytes({1, 2, 3}));
  key->SetValue("m", 7, std::string("a\0\0", 3));
  key->SetValue("odd", 3, Bytes({0xff}));
  hive.Create("SOFTWARE\\Empty");
  std::string text = FormatHive(hive, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(text,
            "Windows Registry Editor Version 5.00\n"
            ";; tarnwell registry hive of HKEY_LOCAL_MACHINE\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Empty]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Odd]\n"
            "#access=0x00020019\n"
            "@=\"plain\\\\ \\\"text\\\"\\n\"\n"
            "\"cr\"=hex(1):61,0d,62,00\n"
            "\"d\"=dword:04030201\n"
            "\"d3\"=hex(4):01,02,03\n"
            "\"d8\"=hex(4):01,02,03,04,05,06,07,08\n"
            "\"line\\r\\nbreak\"=dword:00000000\n"
            "\"m\"=hex(7):61,00,00\n"
            "\"mid\"=hex(1):61,00,62,00\n"
            "\"noterm\"=hex(1):61,62,63\n"
            "\"odd\"=hex:ff\n"
            "\n"
            ";; end of hive\n");

  Key read("HKEY_LOCAL_MACHINE");
  std::string error;
  ASSERT_TRUE(ParseHive(text, platform::kHkeyLocalMachine, &read, &error)) << error;
  EXPECT_EQ(FormatHive(read, "HKEY_LOCAL_MACHINE"), text);
  EXPECT_EQ(read.Find("software\\odd")->access(), 0x20019u);
}

}  // namespace
}  // namespace registry
