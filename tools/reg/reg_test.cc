// The reg commands run in-process on a fresh prefix; their effect is read
// back through the hive store and the hive file itself.
#include "tools/reg/reg.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/registry/encoding.h"

namespace reg {
namespace {

class RegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char directory[] = "/tmp/tarnwell_reg_XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    prefix_ = directory;
  }
  void TearDown() override { std::system(("rm -rf '" + prefix_ + "'").c_str()); }

  int Reg(const Arguments& arguments) {
    Context context;
    context.prefix = prefix_;
    int status = reg::Run(arguments, &context);
    output_ = context.output;
    return status;
  }
  // The stored type and data of a value, or "missing".
  std::string Stored(platform::RootKey root, const std::string& path, const std::string& name) {
    registry::HiveSession session(prefix_, registry::HiveSession::Mode::kRead);
    std::string error;
    registry::Key* hive = session.Hive(root, &error);
    if (hive == nullptr) return "error: " + error;
    registry::Key* key = hive->Find(path);
    const registry::Value* value = key ? key->FindValue(name) : nullptr;
    if (value == nullptr) return "missing";
    return std::to_string(value->type) + ":" + value->data;
  }
  std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::string prefix_;
  std::string output_;
};

constexpr platform::RootKey kHklm = platform::kHkeyLocalMachine;
constexpr platform::RootKey kHkcu = platform::kHkeyCurrentUser;

TEST_F(RegTest, AddStoresEachTypeAsWineDoes) {
  const char* key = "HKCU\\Software\\T";
  struct Case {
    Arguments options;
    std::string stored;
  } cases[] = {
      {{"/v", "sz", "/d", "C:\\x y"}, std::string("1:C:\\x y\0", 9)},
      {{"/v", "empty"}, std::string("1:\0", 3)},
      {{"/v", "dw", "/t", "REG_DWORD", "/d", "0x1A"}, std::string("4:\x1a\0\0\0", 6)},
      {{"/v", "dec", "/t", "reg_dword", "/d", "010"}, std::string("4:\x0a\0\0\0", 6)},
      {{"/v", "be", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0x01020304"}, "5:\x04\x03\x02\x01"},
      {{"/v", "qw", "/t", "REG_QWORD", "/d", "18446744073709551615"},
       "11:" + std::string(8, '\xff')},
      {{"/v", "bin", "/t", "REG_BINARY", "/d", "abc"}, "3:\x0a\xbc"},
      {{"/v", "m", "/t", "REG_MULTI_SZ", "/d", "one\\0two"}, std::string("7:one\0two\0\0", 11)},
      {{"/v", "m2", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "x,"}, std::string("7:x\0\0", 5)},
      {{"/v", "m3", "/t", "REG_MULTI_SZ", "/d", ""}, std::string("7:\0", 3)},
      {{"/v", "none", "/t", "REG_NONE", "/d", "a"}, std::string("0:a\0\0\0", 6)},
      {{"/ve", "/d", "def"}, std::string("1:def\0", 6)},
  };
  for (const Case& c : cases) {
    Arguments arguments = {"ADD", key};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    arguments.push_back("/F");
    ASSERT_EQ(Reg(arguments), 0) << output_;
    EXPECT_EQ(output_, "reg: The operation completed successfully\n");
    std::string name = c.options[0] == "/ve" ? "" : c.options[1];
    EXPECT_EQ(Stored(kHkcu, "Software\\T", name), c.stored) << name;
  }
}

TEST_F(RegTest, AddRefusesBadDataWithWinesMessages) {
  struct Case {
    Arguments arguments;
    std::string message;
  } cases[] = {
      {{"add", "HKCU\\K", "/v", "d", "/t", "REG_DWORD", "/d", "-1"},
       "reg: The option [/d] must be followed by a valid numeric value\n"},
      {{"add", "HKCU\\K", "/v", "d", "/t", "REG_DWORD", "/d", "0x100000000"},
       "reg: The option [/d] must be followed by a valid numeric value\n"},
      {{"add", "HKCU\\K", "/v", "d", "/t", "REG_DWORD"}, "reg: Invalid command line parameters\n"},
      {{"add", "HKCU\\K", "/v", "b", "/t", "REG_BINARY", "/d", "xy"},
       "reg: The option [/d] must be followed by a valid hexadecimal value\n"},
      {{"add", "HKCU\\K", "/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"},
       "reg: The option [/d] must be followed by a valid string\n"},
      {{"add", "HKCU\\K", "/t", "0x1234"}, "reg: Unsupported registry data type [0x1234]\n"},
      {{"add", "HKCU\\K", "/v", "a", "/ve"},
       "reg: Invalid syntax. Type \"REG ADD /?\" for help.\n"},
      {{"add", "HKCU\\K", "/v", "a", "/reg:32", "/reg:64"},
       "reg: Invalid syntax. Type \"REG ADD /?\" for help.\n"},
      {{"add", "HKCR\\K"}, "reg: Invalid system key\n"},
      {{"add", "HKCU\\K\\\\"}, "reg: Invalid registry key\n"},
      {{"add", "HKCU\\K\nL"}, "reg: Invalid registry key\n"},
      {{"add", "HKCU\\K\rL", "/v", "a"}, "reg: Invalid registry key\n"},
      {{"frob"}, "reg: Invalid option [frob]. Type \"REG /?\" for help.\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Reg(c.arguments), 1);
    EXPECT_EQ(output_, c.message);
  }
  EXPECT_EQ(Stored(kHkcu, "K", "d"), "missing");
}

TEST_F(RegTest, QueryLaysOutLikeWine) {
  Reg({"add", "HKCU\\Q\\a\\b", "/v", "x", "/d", "1", "/f"});
  Reg({"add", "HKCU\\Q", "/v", "y", "/t", "REG_DWORD", "/d", "7", "/f"});
  EXPECT_EQ(Reg({"query", "hkcu\\Q"}), 0);
  EXPECT_EQ(output_,
            "\nHKEY_CURRENT_USER\\Q\n    y    REG_DWORD    0x7\n\nHKEY_CURRENT_USER\\Q\\a\n");
  EXPECT_EQ(Reg({"query", "HKCU\\Q", "/s"}), 0);
  EXPECT_EQ(output_,
            "\nHKEY_CURRENT_USER\\Q\n    y    REG_DWORD    0x7\n\n"
            "HKEY_CURRENT_USER\\Q\\a\n\n"
            "HKEY_CURRENT_USER\\Q\\a\\b\n    x    REG_SZ    1\n\n");
  EXPECT_EQ(Reg({"query", "HKCU\\Q", "/v", "x", "/s"}), 0);
  EXPECT_EQ(output_,
            "\nHKEY_CURRENT_USER\\Q\\a\\b\n    x    REG_SZ    1\n\n"
            "Search complete. Number of matches found: 1\n");
  EXPECT_EQ(Reg({"query", "HKCU\\Q", "/ve"}), 0);
  EXPECT_EQ(output_, "\nHKEY_CURRENT_USER\\Q\n    (Default)    REG_SZ    (value not set)\n");
  EXPECT_EQ(Reg({"query", "HKCU\\Q", "/v", "nope"}), 1);
  EXPECT_EQ(output_, "\nreg: Unable to find the specified registry value\n");
  EXPECT_EQ(Reg({"query", "HKCU\\Nope"}), 1);
  EXPECT_EQ(output_, "reg: Unable to find the specified registry key\n");
}

TEST_F(RegTest, DeleteValuesAndKeysWithoutPrompting) {
  Reg({"add", "HKCU\\D", "/v", "a", "/d", "1", "/f"});
  Reg({"add", "HKCU\\D", "/v", "b", "/d", "1", "/f"});
  Reg({"add", "HKCU\\D\\Sub", "/v", "c", "/d", "1", "/f"});
  EXPECT_EQ(Reg({"delete", "HKCU\\D", "/v", "A"}), 0);
  EXPECT_EQ(Stored(kHkcu, "D", "a"), "missing");
  EXPECT_EQ(Reg({"delete", "HKCU\\D", "/v", "a", "/f"}), 1);
  EXPECT_EQ(output_, "reg: Unable to find the specified registry value\n");
  EXPECT_EQ(Reg({"delete", "HKCU\\D", "/va", "/f"}), 0);
  EXPECT_EQ(Stored(kHkcu, "D", "b"), "missing");
  EXPECT_EQ(Stored(kHkcu, "D\\Sub", "c"), std::string("1:1\0", 4));
  EXPECT_EQ(Reg({"delete", "HKCU\\D"}), 0);
  EXPECT_EQ(Stored(kHkcu, "D\\Sub", "c"), "missing");
  EXPECT_EQ(Reg({"delete", "HKCU\\D", "/f"}), 1);
  EXPECT_EQ(output_, "reg: Unable to find the specified registry key\n");
}

TEST_F(RegTest, ViewsFollowWine) {
  ASSERT_EQ(
      Reg({"add", "HKLM\\SOFTWARE\\Quorvane\\Lumivale", "/v", "Path", "/d", "p", "/reg:32", "/f"}),
      0);
  EXPECT_EQ(Stored(kHklm, "SOFTWARE\\Wow6432Node\\Quorvane\\Lumivale", "Path"),
            std::string("1:p\0", 4));
  EXPECT_EQ(Reg({"query", "HKLM\\SOFTWARE\\Quorvane\\Lumivale", "/REG:64"}), 1);
  ASSERT_EQ(Reg({"add", "HKLM\\SOFTWARE\\Policies\\P", "/v", "n", "/d", "1", "/reg:32", "/f"}), 0);
  EXPECT_EQ(Stored(kHklm, "SOFTWARE\\Policies\\P", "n"), std::string("1:1\0", 4));
}

TEST_F(RegTest, RestrictedKeysRefuseChanges) {
  WriteFile(prefix_ + "/system.reg",
            "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Locked]\n"
            "#access=0x00020019\n\"v\"=\"1\"\n\n;; end of hive\n");
  std::string before = ReadFile(prefix_ + "/system.reg");
  EXPECT_EQ(Reg({"add", "HKLM\\Locked", "/v", "v", "/d", "2", "/f"}), 1);
  EXPECT_EQ(output_, "reg: Access is denied\n");
  EXPECT_EQ(Reg({"delete", "HKLM\\Locked", "/v", "v", "/f"}), 1);
  EXPECT_EQ(output_, "reg: Access is denied\n");
  EXPECT_EQ(Reg({"query", "HKLM\\Locked"}), 0);
  EXPECT_EQ(ReadFile(prefix_ + "/system.reg"), before);
}

TEST_F(RegTest, DamagedHiveIsNamedAndLeftAlone) {
  std::string garbage = "Windows Registry Editor Version 5.00\n[HKEY_LOC";
  WriteFile(prefix_ + "/user.reg", garbage);
  EXPECT_EQ(Reg({"add", "HKCU\\K", "/v", "v", "/d", "1", "/f"}), 1);
  EXPECT_EQ(output_.rfind("ERROR: ", 0), 0u) << output_;
  EXPECT_NE(output_.find(prefix_ + "/user.reg"), std::string::npos) << output_;
  EXPECT_EQ(Reg({"query", "HKCU\\K"}), 1);
  EXPECT_EQ(ReadFile(prefix_ + "/user.reg"), garbage);
  // The other hive still works.
  EXPECT_EQ(Reg({"add", "HKLM\\K", "/v", "v", "/d", "1", "/f"}), 0);
}

TEST_F(RegTest, ImportAppliesTheBackupFormatAndExportMatchesWine) {
  Reg({"add", "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization", "/v", "NoLockScreen",
       "/t", "REG_DWORD", "/d", "1", "/f"});
  std::string file = prefix_ + "/reg.dat";
  WriteFile(file,
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\r\n"
            "\"LockScreenImage\"=\"C:\\\\Pics\\\\a.jpg\"\r\n"
            "\"NoChangingLockScreen\"=dword:00000001\r\n"
            "\"NoLockScreen\"=-\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\"
            "Creative]\r\n"
            "\"LockImageFlags\"=dword:0000001a\r\n");
  // A host path works as well as a Windows one.
  ASSERT_EQ(Reg({"import", file}), 0) << output_;
  EXPECT_EQ(output_, "");
  const char* personalization = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
  EXPECT_EQ(Stored(kHklm, personalization, "LockScreenImage"),
            std::string("1:C:\\Pics\\a.jpg\0", 16));
  EXPECT_EQ(Stored(kHklm, personalization, "NoLockScreen"), "missing");
  EXPECT_EQ(Stored(kHkcu, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative",
                   "LockImageFlags"),
            std::string("4:\x1a\0\0\0", 6));

  std::string exported = prefix_ + "/out.reg";
  ASSERT_EQ(Reg({"export", "HKLM\\SOFTWARE\\Policies", exported}), 0) << output_;
  EXPECT_EQ(ReadFile(exported),
            "\xFF\xFE" + registry::AnsiToUtf16le(
                             "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies]\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft]\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows]\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\"
                             "Personalization]\r\n"
                             "\"LockScreenImage\"=\"C:\\\\Pics\\\\a.jpg\"\r\n"
                             "\"NoChangingLockScreen\"=dword:00000001\r\n\r\n"));
  EXPECT_EQ(Reg({"import", prefix_ + "/missing.reg"}), 1);
  EXPECT_EQ(output_, "reg: The file '" + prefix_ + "/missing.reg' was not found.\n");
}

}  // namespace
}  // namespace reg
