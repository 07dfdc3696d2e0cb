#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "platform/posix/posix_test_support.h"
#include "platform/posix/prefix.h"

namespace platform {
namespace {

class PosixPlatformTest : public PrefixTest {
 protected:
  // The Windows path of an entry of the test's directory.
  std::string Windows(const std::string& name) { return windows_root_ + "\\" + name; }
  std::string Host(const std::string& name) { return root_ + "/" + name; }

  // Sets user.DOSATTRIB as Wine writes it; false where the file system
  // keeps no user attributes.
  bool SetDosAttributes(const std::string& name, const std::string& text) {
    return setxattr(Host(name).c_str(), "user.DOSATTRIB", text.data(), text.size(), 0) == 0;
  }

  uint32_t AttributesOf(const std::string& windows_path) {
    uint32_t attributes = 0xDEAD;
    EXPECT_TRUE(platform_.GetAttributes(windows_path, &attributes)) << windows_path;
    return attributes;
  }
};

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

// ---------------------------------------------------------------- Attributes

TEST_F(PosixPlatformTest, AttributesFromTypeNameAndMode) {
  WriteHostFile(Host("plain.jpg"), "x");
  WriteHostFile(Host(".dotted.jpg"), "x");
  WriteHostFile(Host("locked.gif"), "x");
  ASSERT_EQ(chmod(Host("locked.gif").c_str(), 0444), 0);
  MakeHostDirectory(Host("folder"));
  MakeHostDirectory(Host(".config"));
  EXPECT_EQ(AttributesOf(Windows("plain.jpg")), kAttributeArchive);
  EXPECT_EQ(AttributesOf(Windows(".dotted.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("locked.gif")), kAttributeArchive | kAttributeReadOnly);
  EXPECT_EQ(AttributesOf(Windows("folder")), kAttributeDirectory);
  EXPECT_EQ(AttributesOf(Windows("folder\\")), kAttributeDirectory);
  EXPECT_EQ(AttributesOf(Windows(".config")), kAttributeDirectory | kAttributeHidden);
  EXPECT_EQ(AttributesOf(windows_root_ + "\\."), kAttributeDirectory);
  EXPECT_EQ(AttributesOf("plain.jpg"), kAttributeArchive);
}

TEST_F(PosixPlatformTest, AttributesFromDosAttrib) {
  for (const char* name :
       {"h.jpg", "s.jpg", "hs.jpg", "ha.jpg", "upper.jpg", "nul.jpg", "binary.jpg", "junk.jpg"})
    WriteHostFile(Host(name), "x");
  if (!SetDosAttributes("h.jpg", "0x2")) GTEST_SKIP() << "no user extended attributes here";
  ASSERT_TRUE(SetDosAttributes("s.jpg", "0x4"));
  ASSERT_TRUE(SetDosAttributes("hs.jpg", "0x6"));
  ASSERT_TRUE(SetDosAttributes("ha.jpg", "0x22"));
  ASSERT_TRUE(SetDosAttributes("upper.jpg", "0X2"));
  ASSERT_TRUE(SetDosAttributes("nul.jpg", std::string("0x4\0", 4)));
  ASSERT_TRUE(SetDosAttributes("binary.jpg", std::string("\x02\x00\x00\x00", 4)));
  ASSERT_TRUE(SetDosAttributes("junk.jpg", "0x2zz"));
  EXPECT_EQ(AttributesOf(Windows("h.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("s.jpg")), kAttributeArchive | kAttributeSystem);
  EXPECT_EQ(AttributesOf(Windows("hs.jpg")),
            kAttributeArchive | kAttributeHidden | kAttributeSystem);
  EXPECT_EQ(AttributesOf(Windows("ha.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("upper.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("nul.jpg")), kAttributeArchive | kAttributeSystem);
  EXPECT_EQ(AttributesOf(Windows("binary.jpg")), kAttributeArchive);
  EXPECT_EQ(AttributesOf(Windows("junk.jpg")), kAttributeArchive);
}

TEST_F(PosixPlatformTest, AttributesOfMissingEntries) {
  uint32_t attributes = 0;
  EXPECT_FALSE(platform_.GetAttributes(Windows("missing.jpg"), &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  EXPECT_FALSE(platform_.GetAttributes(Windows("missing\\x.jpg"), &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorPathNotFound);
  EXPECT_FALSE(platform_.GetAttributes("D:\\x.jpg", &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorPathNotFound);
}

// ---------------------------------------------------------------- Search

// The names of a host directory in the order readdir gives them.
std::vector<std::string> DirectoryOrder(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = opendir(directory.c_str());
  while (dirent* entry = readdir(dir)) names.push_back(entry->d_name);
  closedir(dir);
  return names;
}

std::vector<std::string> Names(const std::vector<FoundFile>& found) {
  std::vector<std::string> names;
  for (const FoundFile& file : found) names.push_back(file.name);
  return names;
}

TEST_F(PosixPlatformTest, FindFilesServesEveryMaskInDirectoryOrder) {
  MakeHostDirectory(Host("images"));
  for (const char* name : {"a.JPG", "b.png", "c.jpeg", "d.txt", "e.Png", "f.jpg", "g.gif"})
    WriteHostFile(Host("images/") + name, "x");
  MakeHostDirectory(Host("images/sub.jpg"));
  ASSERT_EQ(chmod(Host("images/g.gif").c_str(), 0444), 0);
  const std::vector<std::string> masks = {"*.jpg", "*.png", "*.gif", "*.bmp", "?.*"};

  std::vector<std::vector<FoundFile>> found = platform_.FindFiles(Windows("images\\"), masks);
  ASSERT_EQ(found.size(), masks.size());
  // What separate searches would give: each mask's matches in readdir order.
  std::vector<std::vector<std::string>> expected(masks.size());
  const char* matches[][4] = {{"a.JPG", "f.jpg", "sub.jpg"}, {"b.png", "e.Png"}, {"g.gif"}, {}, {}};
  for (const std::string& name : DirectoryOrder(Host("images"))) {
    for (size_t mask = 0; mask < masks.size(); ++mask) {
      for (const char* match : matches[mask])
        if (match && name == match) expected[mask].push_back(name);
      if (mask == 4 && name.size() > 1 && name[1] == '.' && name != "..")
        expected[mask].push_back(name);
    }
  }
  for (size_t mask = 0; mask < masks.size(); ++mask)
    EXPECT_EQ(Names(found[mask]), expected[mask]) << masks[mask];
  for (const FoundFile& file : found[0])
    EXPECT_EQ(file.attributes, file.name == "sub.jpg" ? kAttributeDirectory : kAttributeArchive);
  ASSERT_EQ(found[2].size(), 1u);
  EXPECT_EQ(found[2][0].attributes, kAttributeArchive | kAttributeReadOnly);
}

TEST_F(PosixPlatformTest, FindFilesPrefixForms) {
  WriteHostFile(Host("x.bmp"), "x");
  WriteHostFile(Host(".y.bmp"), "x");
  const std::vector<std::string> masks = {"*.bmp"};
  auto sorted_names = [&](const std::string& prefix) {
    std::vector<std::string> names = Names(platform_.FindFiles(prefix, masks)[0]);
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> both = {".y.bmp", "x.bmp"};
  EXPECT_EQ(sorted_names(windows_root_ + "\\"), both);
  EXPECT_EQ(sorted_names(root_ + "/"), both);
  EXPECT_EQ(sorted_names(""), both);
  EXPECT_EQ(sorted_names(".\\"), both);
  EXPECT_EQ(Names(platform_.FindFiles("C:\\Windows\\Web\\Screen\\", {"*.BMP"})[0]),
            std::vector<std::string>{"img101.bmp"});
  // The hidden entry carries its attribute; the caller filters it.
  std::vector<std::vector<FoundFile>> found = platform_.FindFiles("", masks);
  for (const FoundFile& file : found[0])
    EXPECT_EQ(file.attributes,
              file.name[0] == '.' ? kAttributeArchive | kAttributeHidden : kAttributeArchive);
}

TEST_F(PosixPlatformTest, FindFilesNeverReturnsDotEntries) {
  MakeHostDirectory(Host("empty"));
  std::vector<std::vector<FoundFile>> found = platform_.FindFiles(Windows("empty\\"), {"*", ".*"});
  ASSERT_EQ(found.size(), 2u);
  EXPECT_TRUE(found[0].empty());
  EXPECT_TRUE(found[1].empty());
  WriteHostFile(Host("empty/.x"), "x");
  found = platform_.FindFiles(Windows("empty\\"), {".*"});
  EXPECT_EQ(Names(found[0]), std::vector<std::string>{".x"});
}

TEST_F(PosixPlatformTest, FindFilesInMissingDirectoriesFindsNothing) {
  for (const char* prefix : {"Z:\\no\\such\\dir\\", "D:\\images\\", "missing\\"}) {
    std::vector<std::vector<FoundFile>> found = platform_.FindFiles(prefix, {"*.jpg", "*.png"});
    EXPECT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0].empty() && found[1].empty()) << prefix;
  }
  EXPECT_TRUE(platform_.FindFiles(windows_root_ + "\\", {}).empty());
}

// ---------------------------------------------------------------- Files

TEST_F(PosixPlatformTest, ReadWriteSeekTruncate) {
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
  EXPECT_TRUE(platform_.TruncateFile(file));
  EXPECT_FALSE(platform_.SeekFile(file, -100, SeekOrigin::kCurrent));
  EXPECT_EQ(platform_.LastError(), 131u);
  platform_.CloseFile(file);
  EXPECT_EQ(ReadHostFile(Host("log.txt")), "first\r");
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

TEST_F(PosixPlatformTest, ErrorTextIsTheSystemsEnglishText) {
  EXPECT_EQ(platform_.ErrorText(kErrorFileNotFound),
            "The system cannot find the file specified.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorPathNotFound),
            "The system cannot find the path specified.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorAccessDenied), "Access is denied.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorSharingViolation),
            "The process cannot access the file because it is being used by another "
            "process.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorDiskFull), "There is not enough space on the disk.\r\n");
  EXPECT_EQ(platform_.ErrorText(0xDEADBEEF), "");
  // Every code the file operations report has a text.
  for (uint32_t code : {0u, 4u, 6u, 8u, 17u, 31u, 80u, 87u, 131u, 145u, 206u, 1117u, 1921u}) {
    std::string text = platform_.ErrorText(code);
    ASSERT_GE(text.size(), 4u) << code;
    EXPECT_EQ(text.substr(text.size() - 3), ".\r\n") << code;
  }
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
  EXPECT_GE(now.millisecond, 0);
  EXPECT_LT(now.millisecond, 1000);
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
  uintptr_t offset = platform_.CodeOffset(reinterpret_cast<const void*>(&HoldSharedInChild));
  EXPECT_EQ(offset, platform_.CodeOffset(reinterpret_cast<const void*>(&HoldSharedInChild)));
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

// ---------------------------------------------------------------- Shell

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
