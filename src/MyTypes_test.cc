#include "src/MyTypes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "platform/path.h"
#include "src/Exception.h"
#include "tests/support/fake_platform.h"

namespace {

using platform::LocaleField;

// ---------------------------------------------------------------- Masks and discovery

TEST(SplitMasksTest, SplitsAtRunsOfSeparatorsAndHonoursQuotes) {
  struct Case {
    const char* masks;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"*.jpg *.jpeg *.png *.gif *.bmp", {"*.jpg", "*.jpeg", "*.png", "*.gif", "*.bmp"}},
      {"", {}},
      {"  \t ", {}},
      {"  a\t\tb\x01"
       "c  ",
       {"a", "b", "c"}},
      {"\"my pics*.jpg\" x", {"my pics*.jpg", "x"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"ab\"cd e", {"abcd", "e"}},
      {"\"open to the end", {"open to the end"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitMasks(c.masks), c.items) << c.masks;
}

class FindImageFilesTest : public ::testing::Test {
 protected:
  void File(const std::string& name, const char* dos_attributes = nullptr) {
    const std::string path = directory_.HostFile(name);
    WriteHostFile(path, "image");
    if (dos_attributes) {
      ASSERT_EQ(setxattr(path.c_str(), "user.DOSATTRIB", dos_attributes, strlen(dos_attributes), 0),
                0);
    }
  }

  std::vector<std::string> Found(const std::string& directory,
                                 const std::string& masks = "*.jpg *.jpeg *.png *.gif *.bmp") {
    std::vector<std::string> list = {"stale"};
    const bool found = FindImageFiles(directory, masks, list);
    EXPECT_EQ(found, !list.empty());
    return list;
  }

  TemporaryDirectory directory_;
};

TEST_F(FindImageFilesTest, ListsVisibleFilesMaskByMask) {
  File("b.png");
  File("a.JPG");
  File("notes.txt");
  ASSERT_EQ(mkdir(directory_.HostFile("c.jpg").c_str(), 0755), 0);
  const std::string prefix = directory_.windows() + "\\";
  EXPECT_EQ(Found(directory_.windows()),
            (std::vector<std::string>{prefix + "a.JPG", prefix + "b.png"}));
}

TEST_F(FindImageFilesTest, LeavesOutHiddenAndSystemFilesButTakesReadOnlyOnes) {
  File("x.jpg", "0x2");
  File(".dot.jpg");
  File("y.png", "0x4");
  File("z.gif");
  ASSERT_EQ(chmod(directory_.HostFile("z.gif").c_str(), 0444), 0);
  File("w.bmp", "0x21");  // read-only and archive
  const std::string prefix = directory_.windows() + "\\";
  EXPECT_EQ(Found(directory_.windows()),
            (std::vector<std::string>{prefix + "z.gif", prefix + "w.bmp"}));
}

TEST_F(FindImageFilesTest, AFileMatchedByTwoMasksIsListedTwice) {
  File("a.jpg");
  const std::string file = directory_.windows() + "\\a.jpg";
  EXPECT_EQ(Found(directory_.windows(), "*.jpg a.*"), (std::vector<std::string>{file, file}));
}

TEST_F(FindImageFilesTest, KeepsTheDirectoryAsGiven) {
  File("a.jpg");
  EXPECT_EQ(Found(directory_.windows() + "\\"),
            (std::vector<std::string>{directory_.windows() + "\\a.jpg"}));
}

TEST_F(FindImageFilesTest, MissingDirectoryOrNoMasksFindNothing) {
  File("a.jpg");
  EXPECT_EQ(Found(directory_.windows() + "\\missing"), std::vector<std::string>{});
  EXPECT_EQ(Found(directory_.windows(), ""), std::vector<std::string>{});
  EXPECT_EQ(Found(directory_.windows(), "*.png"), std::vector<std::string>{});
}

// ---------------------------------------------------------------- The draw

TEST(RandomTest, StepsTheGeneratorAndScalesByTheUpperHalf) {
  struct Case {
    uint32_t seed, count, state, index;
  };
  const Case cases[] = {
      {0, 10, 1, 0},
      {1, 100, 0x08088406, 3},
      {0x23456789, 3, 0xFE05A9AE, 2},
      {0xFFFFFFFF, 10, 0xF7F77BFC, 9},
      {0xFFFFFFFF, 0xFFFFFFFF, 0xF7F77BFC, 4160191483u},
  };
  for (const Case& c : cases) {
    RandSeed = c.seed;
    EXPECT_EQ(RandomIndex(c.count), c.index) << c.seed;
    EXPECT_EQ(RandSeed, c.state) << c.seed;
  }
}

TEST(RandomTest, OneCandidateIsAlwaysDrawnAndIndexesStayBelowTheCount) {
  for (uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xF7F77BFBu, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
    RandSeed = seed;
    EXPECT_EQ(RandomIndex(1), 0u);
    for (uint32_t count : {2u, 7u, 0xFFFFFFFFu}) EXPECT_LT(RandomIndex(count), count);
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

// ---------------------------------------------------------------- Time stamps

class TimeStampTest : public ::testing::Test {
 protected:
  TimeStampTest() : scoped_(fake_) {}
  std::string Stamp(const platform::LocalTime& time) {
    return FormatTimeStamp(ReadTimeStampFormat(), time);
  }
  void UnitedStates() {
    fake_.locale = {{LocaleField::kShortDate, "M/d/yyyy"}, {LocaleField::kDateSeparator, "/"},
                    {LocaleField::kTimeSeparator, ":"},    {LocaleField::kTimeFormat, "0"},
                    {LocaleField::kHourLeadingZero, "0"},  {LocaleField::kAmDesignator, "AM"},
                    {LocaleField::kPmDesignator, "PM"},    {LocaleField::kTimeMarkPosition, "0"}};
  }
  FakePlatform fake_;
  platform::ScopedPlatform scoped_;
};

TEST_F(TimeStampTest, WithoutLocaleUsesShortAmericanDatesAndLowerCaseDesignators) {
  EXPECT_EQ(Stamp({2026, 3, 4, 0, 0, 1}), "3/4/26 12:00:01 am");
  EXPECT_EQ(Stamp({2026, 12, 6, 23, 59, 59}), "12/6/26 11:59:59 pm");
  EXPECT_EQ(Stamp({2026, 12, 6, 12, 0, 0}), "12/6/26 12:00:00 pm");
}

TEST_F(TimeStampTest, MidnightPrintsTheDateAlone) {
  UnitedStates();
  EXPECT_EQ(Stamp({2026, 1, 2, 0, 0, 0}), "1/2/2026");
}

TEST_F(TimeStampTest, TwentyFourHourLocaleWithLeadingZero) {
  fake_.locale = {{LocaleField::kShortDate, "dd.MM.yyyy"},
                  {LocaleField::kDateSeparator, "."},
                  {LocaleField::kTimeSeparator, ":"},
                  {LocaleField::kTimeFormat, "1"},
                  {LocaleField::kHourLeadingZero, "1"}};
  EXPECT_EQ(Stamp({2026, 3, 4, 7, 8, 9}), "04.03.2026 07:08:09");
  EXPECT_EQ(Stamp({2026, 3, 4, 17, 8, 9}), "04.03.2026 17:08:09");
}

TEST_F(TimeStampTest, DesignatorBeforeTheTime) {
  fake_.locale = {{LocaleField::kShortDate, "yyyy-MM-dd"}, {LocaleField::kDateSeparator, "-"},
                  {LocaleField::kTimeSeparator, ":"},      {LocaleField::kTimeFormat, "0"},
                  {LocaleField::kHourLeadingZero, "0"},    {LocaleField::kAmDesignator, "AM"},
                  {LocaleField::kPmDesignator, "PM"},      {LocaleField::kTimeMarkPosition, "1"}};
  EXPECT_EQ(Stamp({2026, 3, 4, 15, 8, 9}), "2026-03-04 PM 3:08:09");
  fake_.locale[LocaleField::kAmDesignator] = "";
  EXPECT_EQ(Stamp({2026, 3, 4, 9, 8, 9}), "2026-03-04  9:08:09");
}

TEST_F(TimeStampTest, SlashStandsForTheDateSeparatorAndQuotedTextIsKept) {
  fake_.locale = {{LocaleField::kShortDate, "d/M/yy 'r.'"},
                  {LocaleField::kDateSeparator, "-"},
                  {LocaleField::kTimeFormat, "1"}};
  EXPECT_EQ(Stamp({2009, 3, 4, 0, 0, 0}), "4-3-09 r.");
  fake_.locale[LocaleField::kShortDate] = "yyyy. M. d.";
  EXPECT_EQ(Stamp({2026, 11, 24, 0, 0, 0}), "2026. 11. 24.");
  fake_.locale[LocaleField::kShortDate] = "gg yyyy/MM/dd";
  EXPECT_EQ(Stamp({2026, 11, 24, 0, 0, 0}), " 2026-11-24");
}

// ---------------------------------------------------------------- The log file

class LogTest : public ::testing::Test {
 protected:
  LogTest() : scoped_(fake_), log_(directory_.WindowsFile("tarnwell.log")) {
    fake_.now = {2026, 12, 6, 14, 30, 5};
    LogTimeStampFormat = TimeStampFormat();
  }
  std::string Log() { return ReadHostFile(directory_.HostFile("tarnwell.log")); }
  void SetLog(const std::string& content) {
    WriteHostFile(directory_.HostFile("tarnwell.log"), content);
  }

  TemporaryDirectory directory_;
  FakePlatform fake_;
  platform::ScopedPlatform scoped_;
  std::string log_;
};

TEST_F(LogTest, NewLogGetsOneLine) {
  WriteLog(log_, "Something failed");
  EXPECT_EQ(Log(), "12/6/26 2:30:05 pm  Something failed\r\n");
}

TEST_F(LogTest, LinesAreAppendedAndEndedOnlyWhereNeeded) {
  WriteLog(log_, "one\n");
  WriteLog(log_, "two\r");
  WriteLog(log_, "");
  EXPECT_EQ(Log(),
            "12/6/26 2:30:05 pm  one\n"
            "12/6/26 2:30:05 pm  two\r\r\n"
            "12/6/26 2:30:05 pm  \r\n");
}

TEST_F(LogTest, LogInAMissingDirectoryLosesTheLineSilently) {
  WriteLog(directory_.WindowsFile("missing\\tarnwell.log"), "lost");
  EXPECT_EQ(AppendToFile(directory_.WindowsFile("missing\\x.log"), "abc"), 0);
}

TEST_F(LogTest, AnyErrorWhileLoggingLosesTheLineSilently) {
  fake_.clock_error = std::make_exception_ptr(std::bad_alloc());
  EXPECT_NO_THROW(WriteLog(log_, "lost"));
  fake_.clock_error = std::make_exception_ptr(42);
  EXPECT_NO_THROW(WriteLog(log_, "lost"));
  EXPECT_FALSE(platform::FileExists(log_));
}

TEST_F(LogTest, AppendReturnsTheNewSize) {
  SetLog("12345");
  EXPECT_EQ(AppendToFile(log_, "678"), 8);
  EXPECT_EQ(Log(), "12345678");
}

const std::string kLine = "12/6/26 2:30:05 pm  x\r\n";  // the line WriteLog("x") adds

TEST_F(LogTest, LogThatPassesTheLimitKeepsItsNewestWholeLines) {
  // Lines of 100 bytes up to a few bytes below the limit.
  std::string old;
  for (int i = 0; old.size() + 100 <= 1048576 - 10; ++i) {
    std::string line = "line " + std::to_string(i) + " ";
    line += std::string(98 - line.size(), '.') + "\r\n";
    old += line;
  }
  SetLog(old);
  WriteLog(log_, "x");
  const std::string all = old + kLine;
  // The cut: after the first line feed beyond which fewer than 1 MiB remain.
  const size_t cut = all.find('\n', all.size() - 1048576) + 1;
  EXPECT_EQ(Log(), all.substr(cut));
  EXPECT_LT(Log().size(), 1048576u);
  EXPECT_EQ(Log().substr(Log().size() - kLine.size()), kLine);
  EXPECT_EQ(Log().substr(0, 5), "line ");
}

TEST_F(LogTest, LogOfExactlyTheLimitIsNotTrimmed) {
  const std::string old = std::string(1048576 - kLine.size() - 2, 'a') + "\r\n";
  SetLog(old);
  WriteLog(log_, "x");
  EXPECT_EQ(Log().size(), 1048576u);
  EXPECT_EQ(Log(), old + kLine);
}

TEST_F(LogTest, OnlyLineFeedAtTheEndLeavesTheLogEmpty) {
  SetLog(std::string(1048576, 'a'));
  WriteLog(log_, "x");
  EXPECT_EQ(Log(), "");
}

TEST_F(LogTest, LogWithoutSuitableLineFeedIsLeftAsItIs) {
  const std::string content = "a\n" + std::string(1048580, 'b');
  SetLog(content);
  TrimLogFile(log_, 1048576);
  EXPECT_EQ(Log(), content);
}

TEST_F(LogTest, TrimReadsOnlyTheTail) {
  // A 100 MiB log keeps the same lines whether scanned whole or from its tail.
  std::string content(100 * 1048576, 'a');
  for (size_t i = 99; i < content.size(); i += 100) content[i] = '\n';
  SetLog(content);
  TrimLogFile(log_, 1048576);
  const size_t cut = content.find('\n', content.size() - 1048576) + 1;
  EXPECT_EQ(Log().size(), content.size() - cut);
}

TEST_F(LogTest, UnopenableLogLosesTheLineAndIsNotTrimmed) {
  SetLog(std::string(1048580, 'a') + "\n");
  fake_.fail_open_of = log_;
  WriteLog(log_, "x");
  EXPECT_EQ(Log().size(), 1048581u);
}

// ---------------------------------------------------------------- Applying the image

const char kRow2[] =
    "ADD \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization\" /V "
    "NoChangingLockScreen /T REG_DWORD /D 1 /F";
const char kRow3[] =
    "ADD \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization\" /V NoLockScreen /T "
    "REG_DWORD /D 0 /F";
const char kRow4[] =
    "ADD \"HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative\" /V "
    "LockImageFlags /T REG_DWORD /D 0 /F";
const char kMessage1[] =
    "12/6/26 2:30:05 pm  Write registry value error: "
    "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\PersonalizationLockScreenImage\r\n";
const char kMessage2[] =
    "12/6/26 2:30:05 pm  Write registry value error: "
    "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\PersonalizationNoChangingLockScreen\r\n";
const char kMessage3[] =
    "12/6/26 2:30:05 pm  Write registry value error: "
    "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\PersonalizationNoLockScreen\r\n";
const char kMessage4[] =
    "12/6/26 2:30:05 pm  Write registry value error: "
    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\CreativeLockImageFlags\r\n";

using ApplyTest = LogTest;

std::vector<std::string> Parameters(const FakePlatform& fake) {
  std::vector<std::string> parameters;
  for (const auto& launch : fake.launches()) parameters.push_back(launch.parameters);
  return parameters;
}

TEST_F(ApplyTest, LaunchesFourElevatedHiddenRegCommands) {
  ApplyLockScreen("C:\\My Pictures\\sea view.jpg", log_);
  EXPECT_EQ(Parameters(fake_),
            (std::vector<std::string>{
                "ADD \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization\" /V "
                "LockScreenImage /T REG_SZ /D \"C:\\My Pictures\\sea view.jpg\" /F",
                kRow2, kRow3, kRow4}));
  for (const auto& launch : fake_.launches()) {
    EXPECT_EQ(launch.verb, "runas");
    EXPECT_EQ(launch.file, "reg.exe");
    EXPECT_EQ(launch.directory, "");
    EXPECT_EQ(launch.show_command, 0);
  }
  EXPECT_FALSE(platform::FileExists(log_));  // the image need not exist any more
}

TEST_F(ApplyTest, EveryRefusedLaunchIsLoggedInOrder) {
  fake_.launch_results = {5, 0, 32, 2};
  ApplyLockScreen("C:\\a.jpg", log_);
  EXPECT_EQ(fake_.launches().size(), 4u);
  EXPECT_EQ(Log(), std::string(kMessage1) + kMessage2 + kMessage3 + kMessage4);
}

TEST_F(ApplyTest, OnlyTheFirstRefusedGivesOneLine) {
  fake_.launch_results = {31, 33, 42, static_cast<uintptr_t>(-1)};
  ApplyLockScreen("C:\\a.jpg", log_);
  EXPECT_EQ(fake_.launches().size(), 4u);
  EXPECT_EQ(Log(), kMessage1);
}

TEST_F(ApplyTest, PathWithADoubleQuoteIsNotLaunched) {
  ApplyLockScreen("Z:\\tmp\\say \"cheese\".jpg", log_);
  EXPECT_EQ(Parameters(fake_), (std::vector<std::string>{kRow2, kRow3, kRow4}));
  EXPECT_EQ(Log(), kMessage1);
}

// ---------------------------------------------------------------- Backup and restore

TEST(LockScreenImageLineTest, WritesEachKindOfText) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  EXPECT_EQ(LockScreenImageLine("^"), "\"LockScreenImage\"=-\r\n");
  EXPECT_EQ(LockScreenImageLine("C:\\Pics\\a.jpg"),
            "\"LockScreenImage\"=\"C:\\\\Pics\\\\a.jpg\"\r\n");
  EXPECT_EQ(LockScreenImageLine("\\\\server\\x"),
            "\"LockScreenImage\"=\"\\\\\\\\server\\\\x\"\r\n");
  EXPECT_EQ(LockScreenImageLine("a\"b"), "\"LockScreenImage\"=\"a\\\"b\"\r\n");
  EXPECT_EQ(LockScreenImageLine(""), "\"LockScreenImage\"=\"\"\r\n");
  EXPECT_EQ(LockScreenImageLine("^^"), "\"LockScreenImage\"=\"^^\"\r\n");
  // Control characters: UTF-16LE bytes from the ANSI code page (UTF-8 here).
  EXPECT_EQ(LockScreenImageLine("a\r\nb"),
            "\"LockScreenImage\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n");
  EXPECT_EQ(LockScreenImageLine("\t\xc3\xa9"), "\"LockScreenImage\"=hex(1):09,00,e9,00,00,00\r\n");
}

TEST(LockScreenImageLineTest, TrailBytesAreNotBackslashes) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.double_byte = true;
  // 0x95 0x5C is one character of code page 932 whose trail byte is a backslash.
  EXPECT_EQ(LockScreenImageLine("C:\\\x95\\\\a.jpg"),
            "\"LockScreenImage\"=\"C:\\\\\x95\\\\\\a.jpg\"\r\n");
}

const char kPolicy[] = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
const char kCreative[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative";
const char kHeader[] =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\r\n";
const char kCreativeLine[] =
    "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative]\r\n";
// The backup of a machine with none of the four values.
std::string AllDeletions() {
  return std::string(kHeader) +
         "\"LockScreenImage\"=-\r\n"
         "\"NoChangingLockScreen\"=-\r\n"
         "\"NoLockScreen\"=-\r\n" +
         kCreativeLine + "\"LockImageFlags\"=-\r\n";
}
// The log after an error in each of the two guarded key reads.
const char kBothReadErrors[] =
    "12/6/26 2:30:05 pm  Registry read error: "
    "\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization\r\n"
    "12/6/26 2:30:05 pm  Registry read error: "
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative\r\n";

class BackupTest : public LogTest {
 protected:
  std::string Backup() { return ReadHostFile(directory_.HostFile("reg.dat")); }
  bool BackupExists() { return platform::FileExists(directory_.WindowsFile("reg.dat")); }
  bool TemporaryExists() { return platform::FileExists(directory_.WindowsFile("reg.dat.tmp")); }
};

TEST_F(BackupTest, NoValuesGiveFourDeletions) {
  SaveLockScreenBackup(directory_.windows(), log_);
  EXPECT_EQ(Backup(), std::string(kHeader) +
                          "\"LockScreenImage\"=-\r\n"
                          "\"NoChangingLockScreen\"=-\r\n"
                          "\"NoLockScreen\"=-\r\n" +
                          kCreativeLine + "\"LockImageFlags\"=-\r\n");
  EXPECT_FALSE(platform::FileExists(log_));
  EXPECT_FALSE(TemporaryExists());
  EXPECT_EQ(fake_.OpenKeyCount(), 0u);
}

TEST_F(BackupTest, RecordsEveryValue) {
  fake_.SetString(platform::kHkeyLocalMachine, kPolicy, "LockScreenImage", "C:\\Pics\\a.jpg");
  fake_.SetDword(platform::kHkeyLocalMachine, kPolicy, "NoChangingLockScreen", 1);
  fake_.SetDword(platform::kHkeyCurrentUser, kCreative, "LockImageFlags", 26);
  SaveLockScreenBackup(directory_.windows() + "\\", log_);
  EXPECT_EQ(Backup(), std::string(kHeader) +
                          "\"LockScreenImage\"=\"C:\\\\Pics\\\\a.jpg\"\r\n"
                          "\"NoChangingLockScreen\"=dword:00000001\r\n"
                          "\"NoLockScreen\"=-\r\n" +
                          kCreativeLine + "\"LockImageFlags\"=dword:0000001a\r\n");
}

TEST_F(BackupTest, OtherTypesTopBitAndCaretCountAsAbsent) {
  fake_.SetValue(platform::kHkeyLocalMachine, kPolicy, "LockScreenImage", platform::kRegExpandSz,
                 std::string("C:\\a.jpg\0", 9));
  fake_.SetDword(platform::kHkeyLocalMachine, kPolicy, "NoChangingLockScreen", 0xFFFFFFFF);
  fake_.SetString(platform::kHkeyLocalMachine, kPolicy, "NoLockScreen", "1");
  fake_.SetDword(platform::kHkeyCurrentUser, kCreative, "LockImageFlags", 0x80000000);
  SaveLockScreenBackup(directory_.windows(), log_);
  EXPECT_EQ(Backup(), AllDeletions());
}

TEST_F(BackupTest, UnopenablePolicyKeyStillRecordsTheUserValue) {
  fake_.SetDword(platform::kHkeyLocalMachine, kPolicy, "NoLockScreen", 1);
  fake_.SetGrantedAccess(platform::kHkeyLocalMachine, kPolicy, 0);
  fake_.SetDword(platform::kHkeyCurrentUser, kCreative, "LockImageFlags", 0);
  SaveLockScreenBackup(directory_.windows(), log_);
  EXPECT_EQ(Backup(), std::string(kHeader) +
                          "\"LockScreenImage\"=-\r\n"
                          "\"NoChangingLockScreen\"=-\r\n"
                          "\"NoLockScreen\"=-\r\n" +
                          kCreativeLine + "\"LockImageFlags\"=dword:00000000\r\n");
  EXPECT_FALSE(platform::FileExists(log_));
}

TEST_F(BackupTest, ReadErrorsAreLoggedAndTheBackupStillWritten) {
  fake_.SetString(platform::kHkeyLocalMachine, kPolicy, "LockScreenImage", "C:\\a.jpg");
  fake_.SetValue(platform::kHkeyLocalMachine, kPolicy, "NoChangingLockScreen", platform::kRegDword,
                 std::string(8, '\0'));
  fake_.SetDword(platform::kHkeyLocalMachine, kPolicy, "NoLockScreen", 1);
  fake_.SetValue(platform::kHkeyCurrentUser, kCreative, "LockImageFlags", platform::kRegDword,
                 std::string(5, '\0'));
  SaveLockScreenBackup(directory_.windows(), log_);
  EXPECT_EQ(Backup(), std::string(kHeader) +
                          "\"LockScreenImage\"=\"C:\\\\a.jpg\"\r\n"
                          "\"NoChangingLockScreen\"=-\r\n"
                          "\"NoLockScreen\"=-\r\n" +
                          kCreativeLine + "\"LockImageFlags\"=-\r\n");
  EXPECT_EQ(Log(), kBothReadErrors);
  EXPECT_EQ(fake_.OpenKeyCount(), 0u);
}

TEST_F(BackupTest, ReadsWithThe64BitViewUnderWow64) {
  fake_.SetDword(platform::kHkeyLocalMachine, kPolicy, "NoLockScreen", 1);
  fake_.wow64 = true;
  SaveLockScreenBackup(directory_.windows(), log_);
  // The policy key's presence test and open, then the user key's presence test.
  ASSERT_EQ(fake_.key_opens().size(), 3u);
  EXPECT_EQ(fake_.key_opens()[0].access, 0x20009u);
  EXPECT_EQ(fake_.key_opens()[1].access, 0x20119u);
  EXPECT_EQ(fake_.key_opens()[2].root, platform::kHkeyCurrentUser);
  fake_.wow64 = false;
  SaveLockScreenBackup(directory_.windows(), log_);
  ASSERT_EQ(fake_.key_opens().size(), 6u);
  EXPECT_EQ(fake_.key_opens()[4].access, 0x20019u);
  EXPECT_FALSE(IsWow64());
}

TEST_F(BackupTest, UncreatableFileRaisesAndLeavesNothing) {
  fake_.fail_open_of = directory_.WindowsFile("reg.dat.tmp");
  try {
    SaveLockScreenBackup(directory_.windows(), log_);
    FAIL() << "no error raised";
  } catch (const EFCreateError& error) {
    EXPECT_STREQ(error.ClassName(), "EFCreateError");
    EXPECT_EQ(error.Message(),
              "Cannot create file \"" + directory_.windows() + "\\reg.dat\". Access is denied");
  }
  EXPECT_FALSE(BackupExists());
}

TEST_F(BackupTest, FailedWriteRaisesAndLeavesNothing) {
  fake_.fail_writes = true;
  try {
    SaveLockScreenBackup(directory_.windows(), log_);
    FAIL() << "no error raised";
  } catch (const EWriteError& error) {
    EXPECT_STREQ(error.ClassName(), "EWriteError");
    EXPECT_EQ(error.Message(), "Stream write error");
  }
  EXPECT_FALSE(BackupExists());
  EXPECT_FALSE(TemporaryExists());
}

TEST_F(BackupTest, FailedRenameRaisesAndLeavesNothing) {
  fake_.fail_replace = true;
  EXPECT_THROW(SaveLockScreenBackup(directory_.windows(), log_), EFCreateError);
  EXPECT_FALSE(BackupExists());
  EXPECT_FALSE(TemporaryExists());
}

TEST_F(BackupTest, ForeignErrorsInTheGuardedReadsAreLoggedLikeRegistryErrors) {
  fake_.SetDword(platform::kHkeyLocalMachine, kPolicy, "NoLockScreen", 1);
  fake_.SetDword(platform::kHkeyCurrentUser, kCreative, "LockImageFlags", 0);
  fake_.query_error = std::make_exception_ptr(std::bad_alloc());
  SaveLockScreenBackup(directory_.windows(), log_);
  EXPECT_EQ(Backup(), AllDeletions());
  EXPECT_EQ(Log(), kBothReadErrors);
  EXPECT_EQ(fake_.OpenKeyCount(), 0u);
}

const char kHeaderOnly[] = "Windows Registry Editor Version 5.00\r\n";

TEST_F(BackupTest, RestoreImportsTheFullPathAndKeepsTheFile) {
  WriteHostFile(directory_.HostFile("reg.dat"), kHeaderOnly);
  ASSERT_EQ(chdir(directory_.host().c_str()), 0);
  RestoreLockScreenBackup("", log_);  // a path relative to the current drive's root
  RestoreLockScreenBackup(".", log_);
  ASSERT_EQ(fake_.launches().size(), 1u);
  EXPECT_EQ(fake_.launches()[0].parameters, "IMPORT \"" + directory_.windows() + "\\reg.dat\"");
  EXPECT_EQ(fake_.launches()[0].verb, "runas");
  EXPECT_EQ(Backup(), kHeaderOnly);
  EXPECT_EQ(Log(), "12/6/26 2:30:05 pm  No data registry file: \\reg.dat\r\n");
}

TEST_F(BackupTest, RefusedImportIsLoggedWithThePathAsDerived) {
  WriteHostFile(directory_.HostFile("reg.dat"), kHeaderOnly);
  fake_.launch_results = {5};
  RestoreLockScreenBackup(directory_.windows() + "\\", log_);
  EXPECT_EQ(Log(), "12/6/26 2:30:05 pm  Import registry file error: " + directory_.windows() +
                       "\\reg.dat\r\n");
}

}  // namespace
