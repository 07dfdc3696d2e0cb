#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/posix_test_support.h"

namespace platform {
namespace {

TEST_F(PosixPlatformTest, ReadWriteSeek) {
  FileHandle file = platform_.OpenFile(Windows("log.txt"), kGenericRead | kGenericWrite, kShareNone,
                                       kCreateAlways);
  ASSERT_NE(file, kInvalidFile);
  uint32_t done = 0;
  EXPECT_TRUE(platform_.WriteFile(file, "first\r\nsecond\r\n", 15, &done));
  EXPECT_EQ(done, 15u);
  int64_t size = 0;
  EXPECT_TRUE(platform_.GetFileSize(file, &size));
  EXPECT_EQ(size, 15);
  EXPECT_TRUE(platform_.SeekFile(file, 7, SeekOrigin::kBegin));
  char buffer[32] = {};
  EXPECT_TRUE(platform_.ReadFile(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(std::string(buffer, done), "second\r\n");
  EXPECT_TRUE(platform_.ReadFile(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 0u);
  EXPECT_TRUE(platform_.SeekFile(file, -8, SeekOrigin::kEnd));
  EXPECT_TRUE(platform_.SeekFile(file, -1, SeekOrigin::kCurrent));
  EXPECT_FALSE(platform_.SeekFile(file, -100, SeekOrigin::kCurrent));
  EXPECT_EQ(platform_.LastError(), 131u);
  platform_.CloseFile(file);
  EXPECT_EQ(ReadHostFile(Host("log.txt")), "first\r\nsecond\r\n");
}

TEST_F(PosixPlatformTest, Dispositions) {
  WriteHostFile(Host("old.txt"), "old content");
  FileHandle file = platform_.OpenFile(Windows("old.txt"), kGenericWrite, kShareNone, kCreateNew);
  EXPECT_EQ(file, kInvalidFile);
  EXPECT_EQ(platform_.LastError(), 80u);

  file = platform_.OpenFile(Windows("old.txt"), kGenericRead, kShareRead, kOpenExisting);
  ASSERT_NE(file, kInvalidFile);
  platform_.CloseFile(file);
  EXPECT_EQ(ReadHostFile(Host("old.txt")), "old content");

  file = platform_.OpenFile(Windows("old.txt"), kGenericWrite, kShareNone, kCreateAlways);
  ASSERT_NE(file, kInvalidFile);
  EXPECT_EQ(platform_.LastError(), 183u);
  char byte;
  EXPECT_FALSE(platform_.ReadFile(file, &byte, 1, nullptr));
  EXPECT_EQ(platform_.LastError(), kErrorAccessDenied);
  platform_.CloseFile(file);
  EXPECT_EQ(ReadHostFile(Host("old.txt")), "");
  EXPECT_FALSE(platform_.WriteFile(file, "x", 1, nullptr));
  EXPECT_EQ(platform_.LastError(), kErrorInvalidHandle);

  file = platform_.OpenFile(Windows("new.txt"), kGenericWrite, kShareNone, kCreateNew);
  ASSERT_NE(file, kInvalidFile);
  EXPECT_EQ(platform_.LastError(), kErrorSuccess);
  EXPECT_TRUE(platform_.WriteFile(file, "n", 1, nullptr));
  platform_.CloseFile(file);
  EXPECT_EQ(ReadHostFile(Host("new.txt")), "n");

  // Open-always keeps an existing file's content and creates a missing one.
  file = platform_.OpenFile(Windows("new.txt"), kGenericWrite, kShareNone, kOpenAlways);
  ASSERT_NE(file, kInvalidFile);
  EXPECT_EQ(platform_.LastError(), 183u);
  platform_.CloseFile(file);
  EXPECT_EQ(ReadHostFile(Host("new.txt")), "n");
  file = platform_.OpenFile(Windows("other.txt"), kGenericWrite, kShareNone, kOpenAlways);
  ASSERT_NE(file, kInvalidFile);
  EXPECT_EQ(platform_.LastError(), kErrorSuccess);
  platform_.CloseFile(file);
  EXPECT_EQ(ReadHostFile(Host("other.txt")), "");
}

TEST_F(PosixPlatformTest, OpenFailuresGiveWindowsCodes) {
  struct Case {
    std::string path;
    uint32_t access, disposition, error;
  };
  MakeHostDirectory(Host("folder"));
  WriteHostFile(Host("readonly.txt"), "keep");
  ASSERT_EQ(chmod(Host("readonly.txt").c_str(), 0444), 0);
  const Case cases[] = {
      {Windows("missing.txt"), kGenericRead, kOpenExisting, kErrorFileNotFound},
      {Windows("missing\\x.txt"), kGenericRead, kOpenExisting, kErrorPathNotFound},
      {Windows("missing\\x.txt"), kGenericWrite, kCreateAlways, kErrorPathNotFound},
      {"D:\\x.txt", kGenericWrite, kCreateAlways, kErrorPathNotFound},
      {Windows("folder"), kGenericRead, kOpenExisting, kErrorAccessDenied},
      {Windows("folder"), kGenericWrite, kCreateAlways, kErrorAccessDenied},
      {Windows("readonly.txt"), kGenericWrite, kOpenExisting, kErrorAccessDenied},
      {Windows("readonly.txt"), kGenericWrite, kCreateAlways, kErrorAccessDenied},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(platform_.OpenFile(test.path, test.access, kShareNone, test.disposition),
              kInvalidFile)
        << test.path;
    EXPECT_EQ(platform_.LastError(), test.error) << test.path;
  }
  EXPECT_EQ(ReadHostFile(Host("readonly.txt")), "keep");
}

// Another process holds the file open for reading (a shared lock) until the
// returned pipe is closed.
pid_t HoldSharedInChild(const std::string& path, int* release) {
  int ready[2], hold[2];
  if (pipe(ready) != 0 || pipe(hold) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    close(ready[0]);
    close(hold[1]);
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0 || flock(fd, LOCK_SH) != 0) _exit(1);
    char byte = 1;
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    if (read(hold[0], &byte, 1) < 0) _exit(1);
    _exit(0);
  }
  close(ready[1]);
  close(hold[0]);
  char byte = 0;
  if (read(ready[0], &byte, 1) != 1) child = -1;
  close(ready[0]);
  *release = hold[1];
  return child;
}

TEST_F(PosixPlatformTest, SharingWithAnotherProcess) {
  WriteHostFile(Host("tarnwell.log"), "line\r\n");
  int release = -1;
  pid_t child = HoldSharedInChild(Host("tarnwell.log"), &release);
  ASSERT_GT(child, 0);

  EXPECT_EQ(platform_.OpenFile(Windows("tarnwell.log"), kGenericWrite, kShareNone, kOpenExisting),
            kInvalidFile);
  EXPECT_EQ(platform_.LastError(), kErrorSharingViolation);
  EXPECT_EQ(platform_.OpenFile(Windows("tarnwell.log"), kGenericRead, kShareNone, kOpenExisting),
            kInvalidFile);
  EXPECT_EQ(platform_.LastError(), kErrorSharingViolation);
  // A refused create-always leaves the content alone.
  EXPECT_EQ(platform_.OpenFile(Windows("tarnwell.log"), kGenericWrite, kShareNone, kCreateAlways),
            kInvalidFile);
  EXPECT_EQ(ReadHostFile(Host("tarnwell.log")), "line\r\n");
  FileHandle reader =
      platform_.OpenFile(Windows("tarnwell.log"), kGenericRead, kShareRead, kOpenExisting);
  EXPECT_NE(reader, kInvalidFile);
  platform_.CloseFile(reader);

  close(release);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  FileHandle writer =
      platform_.OpenFile(Windows("tarnwell.log"), kGenericWrite, kShareNone, kOpenExisting);
  EXPECT_NE(writer, kInvalidFile);
  platform_.CloseFile(writer);
}

TEST_F(PosixPlatformTest, SharingWithinTheProcess) {
  FileHandle writer =
      platform_.OpenFile(Windows("a.log"), kGenericWrite, kShareNone, kCreateAlways);
  ASSERT_NE(writer, kInvalidFile);
  EXPECT_EQ(platform_.OpenFile(Windows("a.log"), kGenericRead, kShareRead, kOpenExisting),
            kInvalidFile);
  EXPECT_EQ(platform_.LastError(), kErrorSharingViolation);
  platform_.CloseFile(writer);

  FileHandle first = platform_.OpenFile(Windows("a.log"), kGenericRead, kShareRead, kOpenExisting);
  FileHandle second = platform_.OpenFile(Windows("a.log"), kGenericRead, kShareRead, kOpenExisting);
  EXPECT_NE(first, kInvalidFile);
  EXPECT_NE(second, kInvalidFile);
  EXPECT_EQ(platform_.OpenFile(Windows("a.log"), kGenericWrite, kShareNone, kOpenExisting),
            kInvalidFile);
  platform_.CloseFile(first);
  platform_.CloseFile(second);
}

TEST_F(PosixPlatformTest, DeleteAndReplace) {
  WriteHostFile(Host("a.tmp"), "new");
  WriteHostFile(Host("a.txt"), "old");
  EXPECT_TRUE(platform_.ReplaceFile(Windows("a.tmp"), Windows("a.txt")));
  EXPECT_EQ(ReadHostFile(Host("a.txt")), "new");
  EXPECT_FALSE(platform_.ReplaceFile(Windows("a.tmp"), Windows("b.txt")));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  EXPECT_FALSE(platform_.ReplaceFile(Windows("a.txt"), Windows("nowhere\\b.txt")));
  EXPECT_EQ(platform_.LastError(), kErrorPathNotFound);

  EXPECT_TRUE(platform_.DeleteFile(Windows("a.txt")));
  EXPECT_EQ(access(Host("a.txt").c_str(), F_OK), -1);
  EXPECT_FALSE(platform_.DeleteFile(Windows("a.txt")));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  WriteHostFile(Host("ro.txt"), "x");
  ASSERT_EQ(chmod(Host("ro.txt").c_str(), 0444), 0);
  EXPECT_FALSE(platform_.DeleteFile(Windows("ro.txt")));
  EXPECT_EQ(platform_.LastError(), kErrorAccessDenied);
  MakeHostDirectory(Host("dir"));
  EXPECT_FALSE(platform_.DeleteFile(Windows("dir")));
  EXPECT_EQ(platform_.LastError(), kErrorAccessDenied);
}

}  // namespace
}  // namespace platform
