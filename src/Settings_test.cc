#include "src/Settings.h"

#include <gtest/gtest.h>

#include "src/Exception.h"
#include "tests/support/fake_platform.h"

namespace {

const char kKey[] = "SOFTWARE\\Quorvane\\Lumivale";

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : scoped_(fake_) { fake_.current_directory = "C:\\Product"; }

  void Set(const char* name, const std::string& text) {
    fake_.SetString(platform::kHkeyLocalMachine, kKey, name, text);
  }
  void SetNumber(const char* name, uint32_t value) {
    fake_.SetDword(platform::kHkeyLocalMachine, kKey, name, value);
  }

  TSettings Loaded() {
    TSettings settings;
    settings.Load();
    EXPECT_EQ(fake_.OpenKeyCount(), 0u);
    return settings;
  }

  FakePlatform fake_;
  platform::ScopedPlatform scoped_;
};

void ExpectDefaults(const TSettings& settings, const std::string& path) {
  EXPECT_EQ(settings.Path, path);
  EXPECT_EQ(settings.FormLeft, -1);
  EXPECT_EQ(settings.FormTop, -1);
  EXPECT_FALSE(settings.Random);
  EXPECT_EQ(settings.ImageDir, "C:\\Windows\\Web\\Screen");
}

TEST_F(SettingsTest, DefaultsUseTheCurrentDirectoryAtCreation) {
  TSettings settings;
  fake_.current_directory = "C:\\Elsewhere";
  ExpectDefaults(settings, "C:\\Product");
}

TEST_F(SettingsTest, NoKeyKeepsEveryDefault) { ExpectDefaults(Loaded(), "C:\\Product"); }

TEST_F(SettingsTest, ReadsEveryValue) {
  Set("Path", "D:\\Lumivale");
  SetNumber("FormLeft", 10);
  SetNumber("FormTop", 0xFFFFFFFE);
  SetNumber("Random", 2);
  Set("ImageDir", "D:\\Pictures");
  const TSettings settings = Loaded();
  EXPECT_EQ(settings.Path, "D:\\Lumivale");
  EXPECT_EQ(settings.FormLeft, 10);
  EXPECT_EQ(settings.FormTop, -2);
  EXPECT_TRUE(settings.Random);
  EXPECT_EQ(settings.ImageDir, "D:\\Pictures");
}

TEST_F(SettingsTest, KeyIsOpenedForReadingInThe32BitView) {
  Set("Path", "D:\\Lumivale");
  Loaded();
  ASSERT_FALSE(fake_.key_opens().empty());
  EXPECT_EQ(fake_.key_opens()[0].root, platform::kHkeyLocalMachine);
  EXPECT_EQ(fake_.key_opens()[0].subkey, kKey);
  EXPECT_EQ(fake_.key_opens()[0].access, sizeof(void*) == 4 ? 0x20019u : 0x20219u);
}

TEST_F(SettingsTest, KeyGrantingOnlyReadAccessIsRead) {
  Set("Path", "D:\\Lumivale");
  fake_.SetGrantedAccess(platform::kHkeyLocalMachine, kKey, 0x20019);
  EXPECT_EQ(Loaded().Path, "D:\\Lumivale");
}

TEST_F(SettingsTest, KeyRefusingReadAccessKeepsTheDefaults) {
  Set("Path", "D:\\Lumivale");
  fake_.SetGrantedAccess(platform::kHkeyLocalMachine, kKey, 0);
  ExpectDefaults(Loaded(), "C:\\Product");
}

TEST_F(SettingsTest, PathDefaultIsTheCurrentDirectoryWhenLoading) {
  SetNumber("FormLeft", 1);
  TSettings settings;
  fake_.current_directory = "C:\\Later";
  settings.Load();
  EXPECT_EQ(settings.Path, "C:\\Later");
}

TEST_F(SettingsTest, PathWithWildcardOrBarFallsBackToTheCurrentDirectory) {
  for (const char* path : {"C:\\a*b", "C:\\a?", "|", "C:\\x|y"}) {
    Set("Path", path);
    EXPECT_EQ(Loaded().Path, "C:\\Product") << path;
  }
  for (const char* path : {"C:\\a<b", "C:\\\"q\"", ""}) {
    Set("Path", path);
    EXPECT_EQ(Loaded().Path, path) << path;
  }
}

TEST_F(SettingsTest, ExpandablePathAndTextualRandomAreIgnored) {
  fake_.SetValue(platform::kHkeyLocalMachine, kKey, "Path", platform::kRegExpandSz,
                 std::string("%TEMP%\0", 7));
  Set("Random", "1");
  Set("ImageDir", "");
  const TSettings settings = Loaded();
  EXPECT_EQ(settings.Path, "C:\\Product");
  EXPECT_FALSE(settings.Random);
  EXPECT_EQ(settings.ImageDir, "");
}

TEST_F(SettingsTest, LongNumberEndsTheLoadWithARegistryError) {
  for (const char* name : {"FormLeft", "FormTop", "Random"}) {
    FakePlatform fake;
    platform::ScopedPlatform scoped(fake);
    fake.SetValue(platform::kHkeyLocalMachine, kKey, name, platform::kRegDword,
                  std::string(8, '\0'));
    TSettings settings;
    try {
      settings.Load();
      ADD_FAILURE() << name << ": no error raised";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), std::string("Failed to get data for '") + name + "'");
    }
    EXPECT_EQ(fake.OpenKeyCount(), 0u) << name;
  }
}

TEST(IsValidPathTest, IgnoresTrailBytesOfDoubleByteCharacters) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  EXPECT_TRUE(IsValidPath(""));
  EXPECT_FALSE(IsValidPath("C:\\\x83|"));
  fake.double_byte = true;
  EXPECT_TRUE(IsValidPath("C:\\\x83|"));  // the bar is the trail byte of a character
  EXPECT_FALSE(IsValidPath("C:\\\x83||"));
  EXPECT_TRUE(IsValidPath("C:\\\x83"));  // a lone lead byte at the end
}

}  // namespace
