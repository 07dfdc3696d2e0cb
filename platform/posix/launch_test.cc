#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_test_support.h"
#include "platform/posix/prefix.h"

namespace platform {
namespace {

class ShellExecuteTest : public PosixPlatformTest {
 protected:
  void SetUp() override {
    PosixPlatformTest::SetUp();
    const char* path = std::getenv("PATH");
    saved_path_ = path ? path : "";
    MakeHostDirectory(Host("bin"));
    setenv("PATH", (Host("bin") + ":/usr/bin:/bin").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", saved_path_.c_str(), 1);
    PosixPlatformTest::TearDown();
  }

  // A `reg` stand-in on PATH that records its arguments, one a line, its
  // working directory and its standard input.
  void InstallRecordingReg(const std::string& delay = "0") {
    WriteHostFile(Host("bin/reg"), "#!/bin/sh\nsleep " + delay +
                                       "\n{ for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; "
                                       "pwd; readlink /proc/self/fd/0; } > " +
                                       Host("ran.txt") + ".part\nmv " + Host("ran.txt") + ".part " +
                                       Host("ran.txt") + "\n");
    ASSERT_EQ(chmod(Host("bin/reg").c_str(), 0755), 0);
  }

  // Waits for every launched process, as the end-to-end tests do.
  void WaitForLaunches() {
    int fd = open((PrefixDirectory() + "/.launches.lock").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    close(fd);
  }

 private:
  std::string saved_path_;
};

TEST_F(ShellExecuteTest, LaunchesRegWithTheSplitParameters) {
  InstallRecordingReg();
  uintptr_t result = platform_.ShellExecute(
      "runas", "reg.exe",
      "ADD \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization\" /V LockScreenImage "
      "/T REG_SZ /D \"C:\\My Images\\sea.jpg\" /F",
      "", kShowHidden);
  EXPECT_EQ(result, 42u);
  WaitForLaunches();
  EXPECT_EQ(ReadHostFile(Host("ran.txt")),
            "[ADD]\n[HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\n"
            "[/V]\n[LockScreenImage]\n[/T]\n[REG_SZ]\n[/D]\n[C:\\My Images\\sea.jpg]\n[/F]\n" +
                root_ + "\n/dev/null\n");
}

TEST_F(ShellExecuteTest, AcceptsAnyCaseAndRunsInTheGivenDirectory) {
  InstallRecordingReg();
  EXPECT_EQ(platform_.ShellExecute("open", "REG", "IMPORT \"\" x\\\"y", "C:\\Windows", 0), 42u);
  WaitForLaunches();
  EXPECT_EQ(ReadHostFile(Host("ran.txt")),
            "[IMPORT]\n[]\n[x\"y]\n" + prefix_ + "/drive_c/Windows\n/dev/null\n");
}

TEST_F(ShellExecuteTest, DoesNotWaitAndHoldsTheLaunchLock) {
  InstallRecordingReg("0.5");
  EXPECT_EQ(platform_.ShellExecute("runas", "Reg.Exe", "QUERY", "", 0), 42u);
  EXPECT_EQ(access(Host("ran.txt").c_str(), F_OK), -1);
  int fd = open((prefix_ + "/.launches.lock").c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), -1);
  EXPECT_EQ(errno, EWOULDBLOCK);
  close(fd);
  WaitForLaunches();
  EXPECT_EQ(ReadHostFile(Host("ran.txt")), "[QUERY]\n" + root_ + "\n/dev/null\n");
}

TEST_F(ShellExecuteTest, RefusesWithoutAStandIn) {
  EXPECT_EQ(platform_.ShellExecute("runas", "reg.exe", "ADD x", "", 0), 2u);
  InstallRecordingReg();
  EXPECT_EQ(platform_.ShellExecute("runas", "notepad.exe", "", "", 0), 2u);
  EXPECT_EQ(platform_.ShellExecute("runas", "regedit.exe", "", "", 0), 2u);
  EXPECT_EQ(platform_.ShellExecute("runas", "C:\\Windows\\reg.exe", "", "", 0), 2u);
  ASSERT_EQ(chmod(Host("bin/reg").c_str(), 0644), 0);
  EXPECT_EQ(platform_.ShellExecute("runas", "reg.exe", "ADD x", "", 0), 2u);
  WaitForLaunches();
  EXPECT_EQ(access(Host("ran.txt").c_str(), F_OK), -1);
}

TEST_F(ShellExecuteTest, ReportsAFailedStart) {
  WriteHostFile(Host("bin/reg"), std::string("\x7f"
                                             "ELF garbage",
                                             12));
  ASSERT_EQ(chmod(Host("bin/reg").c_str(), 0755), 0);
  uintptr_t result = platform_.ShellExecute("runas", "reg.exe", "ADD x", "", 0);
  EXPECT_LE(result, 32u);
  InstallRecordingReg();
  EXPECT_EQ(platform_.ShellExecute("runas", "reg.exe", "ADD x", "D:\\nowhere", 0), 3u);
  EXPECT_LE(platform_.ShellExecute("runas", "reg.exe", "ADD x", Windows("missing"), 0), 32u);
  WaitForLaunches();
  EXPECT_EQ(access(Host("ran.txt").c_str(), F_OK), -1);
}

}  // namespace
}  // namespace platform
