#include "src/tarnwell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <stdexcept>

#include "platform/path.h"
#include "src/MyTypes.h"
#include "tests/support/fake_platform.h"

namespace {

TEST(SplitCommandLineTest, FollowsTheProgramsOwnRule) {
  struct Case {
    const char* line;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {"tarnwell.exe", {}},
      {"tarnwell.exe /install", {"/install"}},
      {"\"C:\\Program Files\\tarnwell.exe\" /install", {"/install"}},
      // Two quotes alone are skipped like a separator.
      {"tarnwell.exe \"\"", {}},
      {"tarnwell.exe \"\" /install", {"/install"}},
      {"tarnwell.exe \"\"/install", {"/install"}},
      {"tarnwell.exe \"/install\"", {"/install"}},
      {"tarnwell.exe \"/install \"", {"/install "}},
      {"tarnwell.exe /in\"stall\"", {"/install"}},
      {"tarnwell.exe\t/install\x01/uninstall\x1f"
       "x",
       {"/install", "/uninstall", "x"}},
      {"tarnwell.exe   /install   extra  ", {"/install", "extra"}},
      // A lone quote at the very end gives an empty word, which ends the count.
      {"tarnwell.exe \"", {}},
      {"tarnwell.exe /install \"", {"/install"}},
      // An unclosed stretch keeps separators to the end of the line.
      {"tarnwell.exe \"/install x", {"/install x"}},
      // Backslashes have no special meaning.
      {"tarnwell.exe a\\\"b c\"", {"a\\b c"}},
      {"tarnwell.exe \\\\server\\share", {"\\\\server\\share"}},
      // Bytes above 127 belong to words.
      {"tarnwell.exe \xe9t\xe9", {"\xe9t\xe9"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
}

class ErrorReportTest : public ::testing::Test {
 protected:
  ERegistryException Error(const std::string& message) {
    return ERegistryException("ERegistryException", message, nullptr);
  }
};

TEST_F(ErrorReportTest, HasTheExactFormat) {
  EXPECT_EQ(ErrorReport(Error("Failed to get data for 'FormLeft'"), "tarnwell.exe", 0x1a2b),
            "Exception ERegistryException in module tarnwell.exe at 00001A2B.\r\n"
            "Failed to get data for 'FormLeft'.\r\n");
}

TEST_F(ErrorReportTest, AddsAFullStopOnlyWhereOneIsMissing) {
  EXPECT_EQ(ErrorReport(Error("Done."), "m", 0),
            "Exception ERegistryException in module m at "
            "00000000.\r\nDone.\r\n");
  EXPECT_EQ(ErrorReport(Error(""), "m", 0),
            "Exception ERegistryException in module m at 00000000.\r\n\r\n");
}

TEST_F(ErrorReportTest, IsCutToTheBuffer) {
  const std::string report = ErrorReport(Error(std::string(5000, 'x')), "tarnwell.exe", 0);
  ASSERT_EQ(report.size(), 1023u);
  EXPECT_EQ(report.substr(0, 66),
            "Exception ERegistryException in module tarnwell.exe at 00000000.\r\n");
  EXPECT_EQ(report.back(), 'x');
}

class DriverTest : public ::testing::Test {
 protected:
  DriverTest() : scoped_(fake_) {
    fake_.current_directory = directory_.windows();
    fake_.now = {2026, 12, 6, 9, 5, 7};
  }

  int Run(const std::string& arguments) {
    fake_.command_line = "\"C:\\Program Files\\tarnwell.exe\" " + arguments;
    return RunTarnwell();
  }

  std::string Log() { return ReadHostFile(directory_.HostFile("tarnwell.log")); }

  TemporaryDirectory directory_;
  FakePlatform fake_;
  platform::ScopedPlatform scoped_;
};

TEST_F(DriverTest, LogFileIsNamedAfterTheProgramInThePath) {
  EXPECT_EQ(Run("/nothing"), 0);
  EXPECT_EQ(LogFileName, directory_.windows() + "\\tarnwell.log");
}

TEST_F(DriverTest, OtherKeywordsDoNothingAndLogNothing) {
  for (const char* argument : {"/INSTALL", "/Uninstall", "-install", "install", "/install/",
                               "\"/install \"", "/uninstal"}) {
    EXPECT_EQ(Run(argument), 0) << argument;
    EXPECT_TRUE(fake_.launches().empty()) << argument;
    EXPECT_FALSE(platform::FileExists(directory_.WindowsFile("reg.dat"))) << argument;
    EXPECT_FALSE(platform::FileExists(directory_.WindowsFile("tarnwell.log"))) << argument;
  }
}

TEST_F(DriverTest, InstallWritesTheBackupOnceAndIgnoresFurtherArguments) {
  EXPECT_EQ(Run("/install /uninstall"), 0);
  const std::string backup = ReadHostFile(directory_.HostFile("reg.dat"));
  EXPECT_EQ(backup.substr(0, 38), "Windows Registry Editor Version 5.00\r\n");

  fake_.SetDword(platform::kHkeyCurrentUser,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative",
                 "LockImageFlags", 7);
  EXPECT_EQ(Run("\"\" /install"), 0);
  EXPECT_EQ(ReadHostFile(directory_.HostFile("reg.dat")), backup);
  EXPECT_TRUE(fake_.launches().empty());
}

TEST_F(DriverTest, UninstallWithoutBackupLogsAndLaunchesNothing) {
  EXPECT_EQ(Run("/uninstall"), 0);
  EXPECT_TRUE(fake_.launches().empty());
  EXPECT_EQ(Log(),
            "12/6/26 9:05:07 am  No data registry file: " + directory_.windows() + "\\reg.dat\r\n");
}

TEST_F(DriverTest, UninstallImportsTheBackupEveryTime) {
  WriteHostFile(directory_.HostFile("reg.dat"), "Windows Registry Editor Version 5.00\r\n");
  EXPECT_EQ(Run("/uninstall"), 0);
  EXPECT_EQ(Run("/uninstall"), 0);
  ASSERT_EQ(fake_.launches().size(), 2u);
  EXPECT_EQ(fake_.launches()[1].parameters, "IMPORT \"" + directory_.windows() + "\\reg.dat\"");
  EXPECT_TRUE(platform::FileExists(directory_.WindowsFile("reg.dat")));
}

TEST_F(DriverTest, UnreadableSettingEndsTheRunWithTheReport) {
  fake_.SetString(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "Path",
                  directory_.windows());
  fake_.SetValue(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "FormLeft",
                 platform::kRegDword, std::string(8, '\1'));
  fake_.code_offset = 0x4a1c;
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(fake_.standard_error,
            "Exception ERegistryException in module tarnwell.exe at 00004A1C.\r\n"
            "Failed to get data for 'FormLeft'.\r\n\r\n");
  EXPECT_TRUE(fake_.launches().empty());
  EXPECT_FALSE(platform::FileExists(directory_.WindowsFile("tarnwell.log")));
}

TEST_F(DriverTest, ForeignErrorsEndTheRunWithTheSameReport) {
  struct Case {
    std::exception_ptr error;
    const char* report;
  };
  const Case cases[] = {
      {std::make_exception_ptr(std::bad_alloc()),
       "Exception EOutOfMemory in module tarnwell.exe at 00004A1C.\r\nOut of memory.\r\n\r\n"},
      {std::make_exception_ptr(std::runtime_error("Disk on fire")),
       "Exception Exception in module tarnwell.exe at 00004A1C.\r\nDisk on fire.\r\n\r\n"},
      {std::make_exception_ptr(7),
       "Exception Exception in module tarnwell.exe at 00004A1C.\r\nUnknown exception.\r\n\r\n"},
  };
  fake_.code_offset = 0x4a1c;
  std::vector<const void*> addresses;
  for (const Case& c : cases) {
    for (int run = 0; run < 2; ++run) {
      fake_.standard_error.clear();
      fake_.command_line_error = c.error;
      EXPECT_EQ(Run("/install"), 1) << c.report;
      EXPECT_EQ(fake_.standard_error, c.report);
    }
    // The same failure names the same address, an address in the program.
    ASSERT_EQ(fake_.code_addresses.size(), 2u);
    EXPECT_NE(fake_.code_addresses[0], nullptr);
    EXPECT_EQ(fake_.code_addresses[0], fake_.code_addresses[1]) << c.report;
    addresses.push_back(fake_.code_addresses[0]);
    fake_.code_addresses.clear();
  }
  EXPECT_NE(addresses[0], addresses[1]);
  EXPECT_TRUE(fake_.launches().empty());
  EXPECT_FALSE(platform::FileExists(directory_.WindowsFile("reg.dat")));
  EXPECT_FALSE(platform::FileExists(directory_.WindowsFile("tarnwell.log")));
}

TEST_F(DriverTest, ImageJobAppliesTheDrawnImageByItsFullPath) {
  fake_.SetDword(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "Random", 1);
  fake_.SetString(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "ImageDir",
                  "pictures");
  ASSERT_EQ(mkdir(directory_.HostFile("pictures").c_str(), 0755), 0);
  WriteHostFile(directory_.HostFile("pictures/only.png"), "png");
  ASSERT_EQ(chdir(directory_.host().c_str()), 0);
  EXPECT_EQ(Run(""), 0);
  EXPECT_EQ(ImageDirectory, "pictures");
  EXPECT_EQ(ImageFile, directory_.windows() + "\\pictures\\only.png");
  ASSERT_EQ(fake_.launches().size(), 4u);
  EXPECT_EQ(fake_.launches()[0].parameters,
            "ADD \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization\" /V "
            "LockScreenImage /T REG_SZ /D \"" +
                directory_.windows() + "\\pictures\\only.png\" /F");
}

TEST_F(DriverTest, EmptyImageDirectoryAppliesNothing) {
  fake_.SetDword(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "Random", 1);
  fake_.SetString(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "ImageDir",
                  directory_.windows());
  EXPECT_EQ(Run(""), 0);
  EXPECT_EQ(ImageDirectory, directory_.windows());
  EXPECT_EQ(ImageFile, "");
  EXPECT_TRUE(fake_.launches().empty());
  EXPECT_FALSE(platform::FileExists(directory_.WindowsFile("tarnwell.log")));
}

TEST_F(DriverTest, MissingOrUnchosenImageDirectoryFallsBackToTheStockDirectory) {
  fake_.SetString(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "ImageDir",
                  directory_.windows());
  Run("");
  EXPECT_EQ(ImageDirectory, "C:\\Windows\\Web\\Screen");  // Random is false
  fake_.SetDword(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "Random", 1);
  fake_.SetString(platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", "ImageDir",
                  directory_.windows() + "\\missing");
  Run("");
  EXPECT_EQ(ImageDirectory, "C:\\Windows\\Web\\Screen");
}

}  // namespace
