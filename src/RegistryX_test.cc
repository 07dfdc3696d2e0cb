#include "src/RegistryX.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/fake_platform.h"

namespace {

const char kKey[] = "SOFTWARE\\Test";

class RegistryXTest : public ::testing::Test {
 protected:
  RegistryXTest() : scoped_(fake_) {
    fake_.SetValue(platform::kHkeyLocalMachine, kKey, "Expand", platform::kRegExpandSz,
                   std::string("%PATH%\0", 7));
    fake_.SetString(platform::kHkeyLocalMachine, kKey, "Five", "5");
    fake_.SetDword(platform::kHkeyLocalMachine, kKey, "AllOnes", 0xFFFFFFFF);
    fake_.SetDword(platform::kHkeyLocalMachine, kKey, "Two", 2);
    fake_.SetValue(platform::kHkeyLocalMachine, kKey, "Long", platform::kRegDword,
                   std::string(8, '\0'));
    fake_.SetValue(platform::kHkeyLocalMachine, kKey, "Short", platform::kRegDword, "\x07");
    fake_.SetValue(platform::kHkeyLocalMachine, kKey, "Split", platform::kRegSz,
                   std::string("ab\0cd\0", 6));
    fake_.SetValue(platform::kHkeyLocalMachine, kKey, "NoZero", platform::kRegSz, "abc");
    fake_.SetValue(platform::kHkeyLocalMachine, kKey, "Empty", platform::kRegSz, "");
    fake_.SetValue(platform::kHkeyLocalMachine, kKey, "Blob", platform::kRegBinary, "\1\2");
    registry_.SelectRoot(platform::kHkeyLocalMachine);
    EXPECT_TRUE(registry_.OpenExistingKey(std::string("\\") + kKey));
  }

  FakePlatform fake_;
  platform::ScopedPlatform scoped_;
  TRegistryX registry_;
};

TEST_F(RegistryXTest, StartsAtTheCurrentUserWithFullAccess) {
  TRegistryX fresh;
  EXPECT_EQ(fresh.Root(), platform::kHkeyCurrentUser);
  EXPECT_EQ(fresh.Access(), 0xF003Fu);
  EXPECT_EQ(fresh.CurrentKey(), 0u);
  EXPECT_EQ(TRegistryX(0x20019).Access(), 0x20019u);
}

TEST_F(RegistryXTest, TypedReadsGiveTheDefaultForOtherTypes) {
  EXPECT_EQ(registry_.ReadTextOr("Expand", "default"), "default");
  EXPECT_EQ(registry_.ReadNumberOr("Five", -7), -7);
  EXPECT_EQ(registry_.ReadNumberOr("Missing", -7), -7);
  EXPECT_EQ(registry_.ReadTextOr("Two", "default"), "default");
  EXPECT_FALSE(registry_.ReadFlagOr("Five", false));
  EXPECT_TRUE(registry_.ReadFlagOr("Missing", true));
}

TEST_F(RegistryXTest, TypedReadsReadTheirType) {
  EXPECT_EQ(registry_.ReadNumberOr("AllOnes", 0), -1);
  EXPECT_EQ(registry_.ReadNumberOr("Two", 0), 2);
  EXPECT_TRUE(registry_.ReadFlagOr("Two", false));
  EXPECT_EQ(registry_.ReadTextOr("Five", ""), "5");
  EXPECT_EQ(registry_.ReadTextOr("Split", ""), "ab");
  EXPECT_EQ(registry_.ReadTextOr("NoZero", ""), "abc");
  EXPECT_EQ(registry_.ReadTextOr("Empty", "default"), "");
  EXPECT_EQ(registry_.ReadNumberOr("Short", 0), 7);
}

TEST_F(RegistryXTest, BaseReadsReportTypesAndData) {
  EXPECT_EQ(registry_.ValueKind("Five"), TRegDataType::kString);
  EXPECT_EQ(registry_.ValueKind("Expand"), TRegDataType::kExpandString);
  EXPECT_EQ(registry_.ValueKind("Two"), TRegDataType::kInteger);
  EXPECT_EQ(registry_.ValueKind("Blob"), TRegDataType::kBinary);
  EXPECT_EQ(registry_.ValueKind("Missing"), TRegDataType::kOther);
  EXPECT_EQ(registry_.ReadText("Expand"), "%PATH%");
  EXPECT_EQ(registry_.ReadText("Missing"), "");
}

TEST_F(RegistryXTest, LongNumberRaisesAlthoughItsTypePassed) {
  try {
    registry_.ReadNumberOr("Long", 0);
    FAIL() << "no error raised";
  } catch (const ERegistryException& error) {
    EXPECT_STREQ(error.ClassName(), "ERegistryException");
    EXPECT_EQ(error.Message(), "Failed to get data for 'Long'");
    EXPECT_NE(error.RaiseAddress(), nullptr);
  }
}

TEST_F(RegistryXTest, BaseReadsRaiseForOtherTypes) {
  try {
    registry_.ReadNumber("Five");
    FAIL() << "no error raised";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "Invalid data type for 'Five'");
  }
  try {
    registry_.ReadText("Blob");
    FAIL() << "no error raised";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "Invalid data type for 'Blob'");
  }
  fake_.FailDataQueries(platform::kErrorAccessDenied);
  EXPECT_THROW(registry_.ReadText("Five"), ERegistryException);
}

TEST_F(RegistryXTest, KeyPresentUsesItsOwnMaskAndLeavesTheCurrentKey) {
  fake_.SetGrantedAccess(platform::kHkeyLocalMachine, "SOFTWARE\\Locked", 0);
  fake_.SetGrantedAccess(platform::kHkeyLocalMachine, "SOFTWARE\\ReadOnly", 0x20019);
  const platform::RegistryKey current = registry_.CurrentKey();
  EXPECT_FALSE(registry_.KeyPresent("\\SOFTWARE\\Locked"));
  EXPECT_TRUE(registry_.KeyPresent("\\SOFTWARE\\ReadOnly"));
  EXPECT_FALSE(registry_.KeyPresent("\\SOFTWARE\\Missing"));
  EXPECT_EQ(fake_.key_opens().back().access, 0x20009u);
  EXPECT_EQ(fake_.key_opens().back().subkey, "SOFTWARE\\Missing");
  EXPECT_EQ(registry_.CurrentKey(), current);
  EXPECT_EQ(registry_.Access(), 0xF003Fu);
  EXPECT_EQ(fake_.OpenKeyCount(), 1u);
}

TEST_F(RegistryXTest, OpenExistingKeyNeverCreatesAndKeepsTheKeyOnFailure) {
  const platform::RegistryKey current = registry_.CurrentKey();
  EXPECT_FALSE(registry_.OpenExistingKey("\\SOFTWARE\\New"));
  EXPECT_FALSE(fake_.KeyExists(platform::kHkeyLocalMachine, "SOFTWARE\\New"));
  EXPECT_EQ(registry_.CurrentKey(), current);
  EXPECT_EQ(registry_.CurrentPath(), "\\SOFTWARE\\Test");
  fake_.SetGrantedAccess(platform::kHkeyLocalMachine, "SOFTWARE\\ReadOnly", 0x20019);
  EXPECT_FALSE(registry_.OpenExistingKey("\\SOFTWARE\\ReadOnly"));  // asks for full access
  registry_.SetAccess(0x20019);
  EXPECT_TRUE(registry_.OpenExistingKey("\\SOFTWARE\\ReadOnly"));
  EXPECT_EQ(fake_.OpenKeyCount(), 1u);  // the previous key was closed
}

TEST_F(RegistryXTest, ChangingTheRootClosesTheKey) {
  registry_.SelectRoot(platform::kHkeyLocalMachine);
  EXPECT_NE(registry_.CurrentKey(), 0u);
  registry_.SelectRoot(platform::kHkeyCurrentUser);
  EXPECT_EQ(registry_.CurrentKey(), 0u);
  EXPECT_EQ(registry_.CurrentPath(), "");
  EXPECT_EQ(fake_.OpenKeyCount(), 0u);
}

TEST_F(RegistryXTest, EveryHandleIsReleased) {
  {
    TRegistryX other;
    other.SelectRoot(platform::kHkeyLocalMachine);
    EXPECT_TRUE(other.OpenExistingKey("\\SOFTWARE\\Test"));
    EXPECT_EQ(fake_.OpenKeyCount(), 2u);
  }
  EXPECT_EQ(fake_.OpenKeyCount(), 1u);
  registry_.CloseCurrentKey();
  EXPECT_EQ(fake_.OpenKeyCount(), 0u);
}

}  // namespace

namespace {

// The same reads against the emulated registry of the native build, planted
// as a hive file in a fresh prefix.
class EmulatedRegistryXTest : public ::testing::Test {
 protected:
  EmulatedRegistryXTest() {
    const char* previous = std::getenv("TARNWELL_PREFIX");
    if (previous) previous_prefix_ = previous;
    setenv("TARNWELL_PREFIX", prefix_.host().c_str(), 1);
    WriteHostFile(prefix_.HostFile("system.reg"),
                  "Windows Registry Editor Version 5.00\n"
                  "\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                  "\"Expand\"=hex(2):25,50,41,54,48,25,00\n"
                  "\"Five\"=\"5\"\n"
                  "\"AllOnes\"=dword:ffffffff\n"
                  "\"Two\"=dword:00000002\n"
                  "\"Long\"=hex(4):01,00,00,00,00,00,00,00\n"
                  "\"Split\"=hex(1):61,62,00,63,64,00\n"
                  "\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked]\n"
                  "#access=0x00000000\n"
                  "\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ReadOnly]\n"
                  "#access=0x00020019\n"
                  "\n"
                  ";; end of hive\n");
    registry_.SelectRoot(platform::kHkeyLocalMachine);
    registry_.SetAccess(platform::kKeyRead);
    EXPECT_TRUE(registry_.OpenExistingKey("\\SOFTWARE\\Test"));
  }

  ~EmulatedRegistryXTest() override {
    registry_.CloseCurrentKey();
    if (previous_prefix_.empty())
      unsetenv("TARNWELL_PREFIX");
    else
      setenv("TARNWELL_PREFIX", previous_prefix_.c_str(), 1);
  }

  TemporaryDirectory prefix_;
  std::string previous_prefix_;
  TRegistryX registry_;
};

TEST_F(EmulatedRegistryXTest, TypedReads) {
  EXPECT_EQ(registry_.ReadTextOr("Expand", "default"), "default");
  EXPECT_EQ(registry_.ReadText("Expand"), "%PATH%");
  EXPECT_EQ(registry_.ReadNumberOr("Five", -7), -7);
  EXPECT_EQ(registry_.ReadNumberOr("AllOnes", 0), -1);
  EXPECT_TRUE(registry_.ReadFlagOr("Two", false));
  EXPECT_EQ(registry_.ReadTextOr("Split", ""), "ab");
  try {
    registry_.ReadNumberOr("Long", 0);
    FAIL() << "no error raised";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "Failed to get data for 'Long'");
  }
}

TEST_F(EmulatedRegistryXTest, KeysThatRefuseAccess) {
  EXPECT_FALSE(registry_.KeyPresent("\\SOFTWARE\\Locked"));
  EXPECT_TRUE(registry_.KeyPresent("\\SOFTWARE\\ReadOnly"));
  registry_.SetAccess(platform::kKeyAllAccess);
  EXPECT_FALSE(registry_.OpenExistingKey("\\SOFTWARE\\ReadOnly"));
  EXPECT_EQ(registry_.CurrentPath(), "\\SOFTWARE\\Test");
  registry_.SetAccess(platform::kKeyRead);
  EXPECT_TRUE(registry_.OpenExistingKey("\\SOFTWARE\\ReadOnly"));
  EXPECT_FALSE(registry_.OpenExistingKey("\\SOFTWARE\\Locked"));
}

TEST_F(EmulatedRegistryXTest, OpeningNeverCreatesAKey) {
  const std::string hive = ReadHostFile(prefix_.HostFile("system.reg"));
  EXPECT_FALSE(registry_.OpenExistingKey("\\SOFTWARE\\New"));
  EXPECT_FALSE(registry_.KeyPresent("\\SOFTWARE\\New"));
  EXPECT_EQ(ReadHostFile(prefix_.HostFile("system.reg")), hive);
}

TEST_F(EmulatedRegistryXTest, ChangingTheRootClosesTheKey) {
  registry_.SelectRoot(platform::kHkeyCurrentUser);
  EXPECT_EQ(registry_.CurrentKey(), 0u);
  EXPECT_FALSE(registry_.ValuePresent("Five"));
}

}  // namespace
