#include "src/backup.h"

#include <gtest/gtest.h>

#include "platform/path.h"
#include "src/errors.h"
#include "tests/support/fake_platform.h"

namespace {

const char kPolicy[] = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
const char kCreative[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative";

class BackupTest : public ::testing::Test {
 protected:
  BackupTest() : scoped_(fake_) {}
  void Save() { SaveLockScreenBackup(fake_.folder.Windows(""), fake_.folder.Windows("x.log")); }
  bool Exists(const char* name) { return platform::FileExists(fake_.folder.Windows(name)); }

  FakePlatform fake_;
  platform::ScopedPlatform scoped_;
};

TEST_F(BackupTest, ReadsInThe64BitViewOnlyUnderWow64) {
  fake_.SetValue(platform::kHkeyLocalMachine, kPolicy, "NoLockScreen", platform::kRegNone, "");
  fake_.SetValue(platform::kHkeyCurrentUser, kCreative, "LockImageFlags", platform::kRegNone, "");
  // KEY_READ, with KEY_WOW64_64KEY under WOW64; the presence tests use 0x20009.
  const std::pair<std::optional<bool>, uint32_t> cases[] = {
      {std::nullopt, 0x20019}, {false, 0x20019}, {true, 0x20119}};
  std::vector<FakePlatform::KeyOpen> expected;
  for (const auto& [wow64, access] : cases) {
    fake_.wow64 = wow64;
    Save();
    expected.insert(expected.end(), {{platform::kHkeyLocalMachine, kPolicy, 0x20009},
                                     {platform::kHkeyLocalMachine, kPolicy, access},
                                     {platform::kHkeyCurrentUser, kCreative, 0x20009},
                                     {platform::kHkeyCurrentUser, kCreative, access}});
    EXPECT_EQ(fake_.key_opens(), expected);
    EXPECT_EQ(fake_.open_key_count(), 0u);
  }
}

TEST_F(BackupTest, FailedWritesRaiseAndLeaveNoFile) {
  fake_.fail_writes = true;  // a full disk
  try {
    Save();
    ADD_FAILURE() << "no error raised";
  } catch (const EWriteError& error) {
    EXPECT_EQ(error.Message(), "Stream write error");
  }
  EXPECT_FALSE(Exists("reg.dat") || Exists("reg.dat.tmp"));
  fake_.fail_writes = false;
  fake_.fail_replace = true;
  EXPECT_THROW(Save(), EFCreateError);
  EXPECT_FALSE(Exists("reg.dat") || Exists("reg.dat.tmp"));
}

}  // namespace
