// Tests of the emulated registry through the platform interface.
#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_test_support.h"
#include "platform/posix/registry/hive_store.h"

namespace platform {
namespace {

class RegistryTest : public PrefixTest {
 protected:
  void WriteHive(const std::string& file, const std::string& body) {
    WriteHostFile(prefix_ + "/" + file,
                  "Windows Registry Editor Version 5.00\n" + body + "\n;; end of hive\n");
  }
  void SetUp() override {
    PrefixTest::SetUp();
    MakeHostDirectory(prefix_);
  }

  // The value's type and data read the way RegQueryValueExA is used: size first.
  uint32_t Read(RootKey root, const std::string& path, uint32_t access, const std::string& name,
                uint32_t* type, std::string* data) {
    RegistryKey key = 0;
    uint32_t status = platform_.OpenKey(root, path, access, &key);
    if (status != kErrorSuccess) return status;
    uint32_t size = 0;
    status = platform_.QueryValue(key, name, type, nullptr, &size);
    if (status == kErrorSuccess) {
      data->assign(size, '?');
      status = platform_.QueryValue(key, name, type, &(*data)[0], &size);
    }
    platform_.CloseKey(key);
    return status;
  }
};

TEST_F(RegistryTest, ReadsEveryTypeAndOddLengthExactly) {
  WriteHive("system.reg",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
            "\"sz\"=\"C:\\\\x.jpg\"\n"
            "\"mid\"=hex(1):61,00,62,00\n"
            "\"noterm\"=hex(1):61,62,63\n"
            "\"dw\"=dword:ffffffff\n"
            "\"dw8\"=hex(4):01,02,03,04,05,06,07,08\n"
            "\"dw3\"=hex(4):01,02,03\n"
            "\"e\"=hex(2):25,50,25,00\n"
            "\"m\"=hex(7):61,00,00\n"
            "\"b\"=hex:ff\n"
            "\"n\"=hex(0):\n"
            "\"q\"=hex(b):01,00,00,00,00,00,00,00\n"
            "\"u\"=hex(1234):0a\n");
  struct Case {
    const char* name;
    uint32_t type;
    std::string data;
  } cases[] = {
      {"sz", kRegSz, std::string("C:\\x.jpg\0", 9)},
      {"MID", kRegSz, std::string("a\0b\0", 4)},
      {"noterm", kRegSz, "abc"},
      {"dw", kRegDword, "\xff\xff\xff\xff"},
      {"dw8", kRegDword, "\x01\x02\x03\x04\x05\x06\x07\x08"},
      {"dw3", kRegDword, "\x01\x02\x03"},
      {"e", kRegExpandSz, std::string("%P%\0", 4)},
      {"m", kRegMultiSz, std::string("a\0\0", 3)},
      {"b", kRegBinary, "\xff"},
      {"n", kRegNone, ""},
      {"q", kRegQword, std::string("\x01\0\0\0\0\0\0\0", 8)},
      {"u", 0x1234, "\x0a"},
  };
  for (const Case& c : cases) {
    uint32_t type = 99;
    std::string data;
    EXPECT_EQ(Read(kHkeyLocalMachine, "software\\t", kKeyRead, c.name, &type, &data), kErrorSuccess)
        << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
}

TEST_F(RegistryTest, QueryFollowsRegQueryValueEx) {
  WriteHive(
      "user.reg",
      "[HKEY_CURRENT_USER\\Software\\T]\n@=\"def\"\n\"dw8\"=hex(4):01,02,03,04,05,06,07,08\n");
  RegistryKey key = 0;
  ASSERT_EQ(platform_.OpenKey(kHkeyCurrentUser, "Software\\T", kKeyRead, &key), kErrorSuccess);
  EXPECT_NE(key, 0u);
  uint32_t type = 0;
  EXPECT_EQ(platform_.QueryValue(key, "", &type, nullptr, nullptr), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  char small[4] = {'x', 'x', 'x', 'x'};
  uint32_t size = sizeof(small);
  EXPECT_EQ(platform_.QueryValue(key, "dw8", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, kRegDword);
  size = 4;
  EXPECT_EQ(platform_.QueryValue(key, "", nullptr, small, &size), kErrorSuccess);
  EXPECT_EQ(std::string(small, size), std::string("def\0", 4));
  EXPECT_EQ(platform_.QueryValue(key, "missing", &type, nullptr, &size), kErrorFileNotFound);
  platform_.CloseKey(key);
  EXPECT_EQ(platform_.QueryValue(key, "", &type, nullptr, &size), kErrorInvalidHandle);
  EXPECT_EQ(platform_.OpenKey(kHkeyCurrentUser, "Software\\Missing", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
}

TEST_F(RegistryTest, HandleKeepsTheValuesSeenAtOpen) {
  WriteHive("user.reg", "[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n");
  RegistryKey key = 0;
  ASSERT_EQ(platform_.OpenKey(kHkeyCurrentUser, "A", kKeyRead, &key), kErrorSuccess);
  WriteHive("user.reg", "[HKEY_CURRENT_USER\\A]\n\"v\"=\"2\"\n");
  char data[8];
  uint32_t size = sizeof(data);
  EXPECT_EQ(platform_.QueryValue(key, "v", nullptr, data, &size), kErrorSuccess);
  EXPECT_EQ(data[0], '1');
  platform_.CloseKey(key);
}

TEST_F(RegistryTest, ViewsAsWineShowsThemToA64BitProcess) {
  WriteHive("system.reg",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Lumivale]\n\"Path\"=\"64\"\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Quorvane\\Lumivale]\n\"Path\"=\"32\"\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\n"
            "\"NoLockScreen\"=dword:00000001\n");
  uint32_t type;
  std::string data;
  const char* settings = "SOFTWARE\\Quorvane\\Lumivale";
  ASSERT_EQ(Read(kHkeyLocalMachine, settings, kKeyRead, "Path", &type, &data), kErrorSuccess);
  EXPECT_EQ(data, std::string("64\0", 3));
  ASSERT_EQ(Read(kHkeyLocalMachine, settings, kKeyRead | kKeyWow64_64Key, "Path", &type, &data),
            kErrorSuccess);
  EXPECT_EQ(data, std::string("64\0", 3));
  ASSERT_EQ(Read(kHkeyLocalMachine, settings, kKeyRead | kKeyWow64_32Key, "Path", &type, &data),
            kErrorSuccess);
  EXPECT_EQ(data, std::string("32\0", 3));
  const char* policy = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
  for (uint32_t view : {0u, kKeyWow64_32Key, kKeyWow64_64Key}) {
    EXPECT_EQ(Read(kHkeyLocalMachine, policy, kKeyRead | view, "NoLockScreen", &type, &data),
              kErrorSuccess)
        << view;
  }
}

TEST_F(RegistryTest, GrantedAccessMaskRefusesWiderRequests) {
  WriteHive("system.reg",
            "[HKEY_LOCAL_MACHINE\\ReadOnly]\n#access=0x00020019\n\"v\"=\"1\"\n"
            "[HKEY_LOCAL_MACHINE\\Closed]\n#access=0x00000000\n");
  RegistryKey key = 0;
  EXPECT_EQ(platform_.OpenKey(kHkeyLocalMachine, "ReadOnly", kKeyAllAccess, &key),
            kErrorAccessDenied);
  EXPECT_EQ(platform_.OpenKey(kHkeyLocalMachine, "ReadOnly", kKeyRead | kKeyWow64_32Key, &key),
            kErrorSuccess);
  platform_.CloseKey(key);
  EXPECT_EQ(platform_.OpenKey(kHkeyLocalMachine, "Closed", 0x20009, &key), kErrorAccessDenied);
  // A handle without KEY_QUERY_VALUE cannot read values.
  ASSERT_EQ(platform_.OpenKey(kHkeyLocalMachine, "ReadOnly", 0x20008, &key), kErrorSuccess);
  uint32_t size = 0;
  EXPECT_EQ(platform_.QueryValue(key, "v", nullptr, nullptr, &size), kErrorAccessDenied);
  platform_.CloseKey(key);
}

TEST_F(RegistryTest, DamagedHiveReadsAsMissingKeys) {
  WriteHostFile(prefix_ + "/system.reg", "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_");
  RegistryKey key = 0;
  EXPECT_EQ(platform_.OpenKey(kHkeyLocalMachine, "", kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(ReadHostFile(prefix_ + "/system.reg"),
            "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_");
}

}  // namespace
}  // namespace platform
