#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <ctime>

#include "platform/posix/posix_test_support.h"

namespace platform {
namespace {

// A function of this executable, for CodeOffset.
int CodeInThisExecutable() { return 1; }

// ---------------------------------------------------------------- Paths

TEST_F(PosixPlatformTest, CurrentDirectoryIsAWindowsPath) {
  EXPECT_EQ(platform_.CurrentDirectory(), windows_root_);
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(platform_.CurrentDirectory(), "Z:\\");
  ASSERT_EQ(chdir((prefix_ + "/drive_c").c_str()), 0);
  EXPECT_EQ(platform_.CurrentDirectory(), "C:\\");
  ASSERT_EQ(chdir("Windows/Web"), 0);
  EXPECT_EQ(platform_.CurrentDirectory(), "C:\\Windows\\Web");
}

TEST_F(PosixPlatformTest, FullPathStartsFromTheCurrentDirectory) {
  EXPECT_EQ(platform_.FullPath("sub\\..\\reg.dat"), windows_root_ + "\\reg.dat");
  EXPECT_EQ(platform_.FullPath("\\reg.dat"), "Z:\\reg.dat");
  EXPECT_EQ(platform_.FullPath("c:/x/./y"), "c:\\x\\y");
  ASSERT_EQ(chdir((prefix_ + "/drive_c/Windows").c_str()), 0);
  EXPECT_EQ(platform_.FullPath("..\\tarnwell.log"), "C:\\tarnwell.log");
}

// ---------------------------------------------------------------- Clock

TEST_F(PosixPlatformTest, ClockReadings) {
  uint64_t first = 0, second = 0;
  ASSERT_TRUE(platform_.PerformanceCounter(&first));
  struct timespec pause = {0, 20 * 1000 * 1000};
  uint32_t tick = platform_.TickCount();
  nanosleep(&pause, nullptr);
  ASSERT_TRUE(platform_.PerformanceCounter(&second));
  EXPECT_GE(second - first, 20u * 1000 * 1000);  // nanoseconds
  uint32_t elapsed = platform_.TickCount() - tick;
  EXPECT_GE(elapsed, 20u);
  EXPECT_LT(elapsed, 5000u);

  // The month may turn between the readings: accept the one on either side.
  time_t before = time(nullptr);
  LocalTime now = platform_.Now();
  time_t after = time(nullptr);
  struct tm first_local, last_local;
  localtime_r(&before, &first_local);
  localtime_r(&after, &last_local);
  auto month_of = [](int year, int month) { return year * 12 + month; };
  int month = month_of(now.year, now.month);
  EXPECT_GE(month, month_of(first_local.tm_year + 1900, first_local.tm_mon + 1));
  EXPECT_LE(month, month_of(last_local.tm_year + 1900, last_local.tm_mon + 1));
}

// ---------------------------------------------------------------- Process

TEST_F(PosixPlatformTest, ProcessFacts) {
  bool wow64 = true;
  EXPECT_FALSE(platform_.QueryWow64(&wow64));
  EXPECT_FALSE(platform_.IsLeadByte(0x81));
  EXPECT_FALSE(platform_.IsLeadByte(0xE3));

  char exe[PATH_MAX];
  ssize_t size = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(size, 0);
  exe[size] = '\0';
  std::string windows = "Z:" + std::string(exe);
  for (char& c : windows)
    if (c == '/') c = '\\';
  EXPECT_EQ(platform_.ModuleFileName(), windows);

  // The same code gives the same offset, inside the executable's image.
  uintptr_t offset = platform_.CodeOffset(reinterpret_cast<const void*>(&CodeInThisExecutable));
  EXPECT_EQ(offset, platform_.CodeOffset(reinterpret_cast<const void*>(&CodeInThisExecutable)));
  struct stat st;
  ASSERT_EQ(stat(exe, &st), 0);
  EXPECT_LT(offset, static_cast<uintptr_t>(st.st_size));
  EXPECT_GT(offset, 0u);
}

TEST_F(PosixPlatformTest, CommandLineStartsWithTheProgram) {
  std::string line = platform_.CommandLine();
  char exe[PATH_MAX];
  ssize_t size = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(size, 0);
  std::string name = std::string(exe, static_cast<size_t>(size));
  name = name.substr(name.find_last_of('/') + 1);
  EXPECT_NE(line.find(name), std::string::npos) << line;
  EXPECT_EQ(line.find('\0'), std::string::npos);
}

TEST_F(PosixPlatformTest, WriteStandardErrorWritesBytesUnchanged) {
  int saved = dup(2);
  ASSERT_GE(saved, 0);
  int fd = open(Host("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(dup2(fd, 2), 2);
  close(fd);
  std::string text = std::string("Exception x\r\n\xe9\x00z", 16);
  platform_.WriteStandardError(text);
  dup2(saved, 2);
  close(saved);
  EXPECT_EQ(ReadHostFile(Host("stderr")), text);
}

}  // namespace
}  // namespace platform
