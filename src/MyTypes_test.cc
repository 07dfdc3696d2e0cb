#include "src/MyTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/path.h"
#include "src/Exception.h"
#include "tests/support/fake_platform.h"
#include "tests/support/scratch.h"

namespace {

using platform::LocaleField;

TEST(TimeStampTest, RendersTheLocalesShortDateAndTime) {
  using Locale = std::map<LocaleField, std::string>;
  const Locale us = {{LocaleField::kShortDate, "M/d/yyyy"},
                     {LocaleField::kAmDesignator, "AM"},
                     {LocaleField::kPmDesignator, "PM"}};
  const Locale german = {{LocaleField::kShortDate, "dd.MM.yyyy"},
                         {LocaleField::kDateSeparator, "."},
                         {LocaleField::kTimeFormat, "1"},
                         {LocaleField::kHourLeadingZero, "1"}};
  const Locale designator_first = {{LocaleField::kShortDate, "yyyy-MM-dd"},
                                   {LocaleField::kTimeSeparator, "."},
                                   {LocaleField::kAmDesignator, ""},
                                   {LocaleField::kPmDesignator, "PM"},
                                   {LocaleField::kTimeMarkPosition, "1"}};
  struct Case {
    Locale locale;
    platform::LocalTime time;
    const char* stamp;
  };
  const Case cases[] = {
      // Without locale settings: short American dates, lower-case designators.
      {{}, {2026, 3, 4, 0, 0, 1}, "3/4/26 12:00:01 am"},
      {{}, {2026, 12, 6, 23, 59, 59}, "12/6/26 11:59:59 pm"},
      {{}, {2026, 12, 6, 12, 0, 0}, "12/6/26 12:00:00 pm"},
      {us, {2026, 1, 2, 0, 0, 0}, "1/2/2026"},  // midnight: the date alone
      {us, {2026, 1, 2, 13, 5, 0}, "1/2/2026 1:05:00 PM"},
      {german, {2026, 3, 4, 7, 8, 9}, "04.03.2026 07:08:09"},
      {german, {2026, 3, 4, 17, 8, 9}, "04.03.2026 17:08:09"},
      {designator_first, {2026, 3, 4, 15, 8, 9}, "2026-03-04 PM 3.08.09"},
      {designator_first, {2026, 3, 4, 9, 8, 9}, "2026-03-04  9.08.09"},
      // "/" stands for the date separator; quoted text is kept; the era is left out.
      {{{LocaleField::kShortDate, "d/M/yy 'r.'"}, {LocaleField::kDateSeparator, "-"}},
       {2009, 3, 4, 0, 0, 0},
       "4-3-09 r."},
      {{{LocaleField::kShortDate, "yyyy. M. d."}}, {2026, 11, 24, 0, 0, 0}, "2026. 11. 24."},
      {{{LocaleField::kShortDate, "gg yyyy/MM/dd"}}, {2026, 11, 24, 0, 0, 0}, " 2026/11/24"},
  };
  for (const Case& c : cases) {
    FakePlatform fake;
    platform::ScopedPlatform scoped(fake);
    fake.locale = c.locale;
    EXPECT_EQ(FormatTimeStamp(ReadTimeStampFormat(), c.time), c.stamp);
  }
}

// The program's masks are fixed, so only this table shows how a list splits.
TEST(SplitMasksTest, SplitsAtRunsOfSeparatorsAndHonoursQuotes) {
  struct Case {
    const char* masks;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"*.jpg *.jpeg *.png", {"*.jpg", "*.jpeg", "*.png"}},
      {"  \t ", {}},
      {" a\t\tb\x01"
       "c  ",
       {"a", "b", "c"}},
      {"\"my pics*.jpg\" x", {"my pics*.jpg", "x"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"ab\"cd e", {"abcd", "e"}},
      {"\"open to the end", {"open to the end"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitMasks(c.masks), c.items) << c.masks;
  std::vector<std::string> found = {"stale"};
  EXPECT_FALSE(FindImageFiles("C:\\", "", found));  // no mask, no search
  EXPECT_TRUE(found.empty());
}

TEST(RandomTest, StepsTheGeneratorAndScalesByTheUpperHalf) {
  struct Case {
    uint32_t seed, count, state, index;
  };
  const Case cases[] = {
      {0, 10, 1, 0},
      {1, 100, 0x08088406, 3},
      {0x23456789, 3, 0xFE05A9AE, 2},
      {0xFFFFFFFF, 1, 0xF7F77BFC, 0},
      {0xFFFFFFFF, 0xFFFFFFFF, 0xF7F77BFC, 4160191483u},
  };
  for (const Case& c : cases) {
    RandSeed = c.seed;
    EXPECT_EQ(RandomIndex(c.count), c.index) << c.seed;
    EXPECT_EQ(RandSeed, c.state) << c.seed;
  }
}

TEST(RandomTest, SeedsFromTheCounterOrElseTheTickCount) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.performance_counter = 0x123456789ull;
  fake.tick_count = 77;
  Randomize();
  EXPECT_EQ(RandSeed, 0x23456789u);
  fake.performance_counter.reset();
  Randomize();
  EXPECT_EQ(RandSeed, 77u);
}

TEST(LockScreenImageLineTest, TrailBytesAreNotBackslashes) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.double_byte = true;
  // 0x95 0x5C is one character of code page 932 whose trail byte is a backslash.
  EXPECT_EQ(LockScreenImageLine("C:\\\x95\\\\a.jpg"),
            "\"LockScreenImage\"=\"C:\\\\\x95\\\\\\a.jpg\"\r\n");
}

TEST(ApplyLockScreenTest, OnlyResultsAbove32AreLaunches) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  for (uintptr_t result : {33, 32}) {
    fake.shell_result = result;
    ApplyLockScreen("C:\\a.jpg", fake.folder.Windows("x.log"));
  }
  const std::string log = testing_support::ReadWholeFile(fake.folder.Host("x.log"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4);  // a line for each launch of 32
}

TEST(RunElevatedAndWaitTest, AnAcceptedLaunchWithoutAProcessFails) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.shell_result = 33;  // accepted, but nothing to wait for
  EXPECT_FALSE(RunElevatedAndWait("IMPORT x.reg"));
}

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
