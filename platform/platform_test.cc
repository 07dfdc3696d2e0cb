// The contract of platform::Platform, run against the real platform of the
// build: the emulated Windows on Linux, the Windows API under Wine. What
// differs sits in the helpers at the top; what only the emulation has, last.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include "tests/support/scratch.h"

#ifdef _WIN32
#include <windows.h>
#undef DeleteFile  // the interface's names, not the API's macros
#undef ReplaceFile
#undef ShellExecute
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/posix/drive.h"
#include "platform/posix/prefix.h"
#include "platform/posix/sample_images.h"
#endif

namespace platform {
namespace {

using testing_support::ReadWholeFile;
using testing_support::ScratchFolder;
using testing_support::SetEnvironment;
using testing_support::WriteWholeFile;

// Gives a file the read-only attribute, or hidden and system ones, as the
// system keeps them.
void SetAttributes(const std::string& host_path, uint32_t attributes) {
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesA(host_path.c_str(), attributes));
#else
  const std::string text = "0x" + std::to_string(attributes);  // Wine's form; single digits
  if (attributes == kAttributeReadOnly)
    ASSERT_EQ(chmod(host_path.c_str(), 0444), 0);
  else
    ASSERT_EQ(setxattr(host_path.c_str(), "user.DOSATTRIB", text.data(), text.size(), 0), 0);
#endif
}

class PlatformTest : public ::testing::Test {
 protected:
  Platform& platform_ = RealPlatform();
  ScratchFolder folder_;

  std::string Windows(const std::string& name) { return folder_.Windows(name); }
  // Without the archive bit, which Windows sets and the emulation always.
  uint32_t Attributes(const std::string& windows_path) {
    uint32_t attributes = 0;
    if (!platform_.GetAttributes(windows_path, &attributes)) return 0xDEAD;
    return attributes & ~kAttributeArchive;
  }
};

TEST_F(PlatformTest, OpenFileDispositions) {
  WriteWholeFile(folder_.Host("old"), "old");
  struct {
    const char* name;
    uint32_t disposition;
    bool opens;
    uint32_t status;
    const char* content_after;
  } cases[] = {
      {"old", kCreateNew, false, 80, "old"},  // ERROR_FILE_EXISTS
      {"old", kOpenExisting, true, kErrorSuccess, "old"},
      {"old", kOpenAlways, true, 183, "old"},  // ERROR_ALREADY_EXISTS
      {"old", kCreateAlways, true, 183, ""},
      {"new", kOpenAlways, true, kErrorSuccess, ""},
      {"none", kOpenExisting, false, kErrorFileNotFound, nullptr},
      {"no\\none", kCreateAlways, false, kErrorPathNotFound, nullptr},
  };
  for (const auto& c : cases) {
    FileHandle file = platform_.OpenFile(Windows(c.name), kGenericWrite, kShareRead, c.disposition);
    EXPECT_EQ(file != kInvalidFile, c.opens) << c.name << c.disposition;
    EXPECT_EQ(platform_.LastError(), c.status) << c.name << c.disposition;
    if (file != kInvalidFile) platform_.CloseFile(file);
    if (!c.content_after) continue;
    EXPECT_EQ(ReadWholeFile(folder_.Host(c.name)), c.content_after) << c.name;
  }
}

TEST_F(PlatformTest, ReadWriteSeekAndSize) {
  FileHandle file = platform_.OpenFile(Windows("f"), kGenericRead | kGenericWrite, 0, kCreateNew);
  ASSERT_NE(file, kInvalidFile);
  uint32_t done = 0;
  ASSERT_TRUE(platform_.WriteFile(file, "first\r\nsecond\r\n", 15, &done));
  EXPECT_EQ(done, 15u);
  int64_t size = 0;
  ASSERT_TRUE(platform_.GetFileSize(file, &size));
  EXPECT_EQ(size, 15);
  char buffer[32] = {};
  ASSERT_TRUE(platform_.SeekFile(file, -8, SeekOrigin::kEnd));
  ASSERT_TRUE(platform_.SeekFile(file, -1, SeekOrigin::kCurrent));
  ASSERT_TRUE(platform_.ReadFile(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(std::string(buffer, done), "\nsecond\r\n");
  EXPECT_FALSE(platform_.SeekFile(file, -100, SeekOrigin::kCurrent));
  ASSERT_TRUE(platform_.SeekFile(file, 0, SeekOrigin::kBegin));
  EXPECT_TRUE(platform_.WriteFile(file, "F", 1, nullptr));  // the counts may be left out
  EXPECT_TRUE(platform_.ReadFile(file, buffer, 4, nullptr));
  EXPECT_EQ(std::string(buffer, 4), "irst");
  platform_.CloseFile(file);
  EXPECT_EQ(ReadWholeFile(folder_.Host("f")), "First\r\nsecond\r\n");

  file = platform_.OpenFile(Windows("f"), kGenericWrite, kShareNone, kOpenExisting);
  EXPECT_FALSE(platform_.ReadFile(file, buffer, 1, nullptr));
  EXPECT_EQ(platform_.LastError(), kErrorAccessDenied);
  platform_.CloseFile(file);
}

TEST_F(PlatformTest, SharingModes) {
  WriteWholeFile(folder_.Host("s"), "data");
  struct {
    uint32_t held_access, held_share, access, share;
    bool opens;
  } cases[] = {
      {kGenericRead, kShareRead, kGenericRead, kShareRead, true},
      {kGenericRead, kShareRead, kGenericWrite, kShareNone, false},
      {kGenericRead, kShareNone, kGenericRead, kShareRead, false},
      {kGenericWrite, kShareNone, kGenericRead, kShareRead, false},
  };
  for (const auto& c : cases) {
    FileHandle held = platform_.OpenFile(Windows("s"), c.held_access, c.held_share, kOpenExisting);
    FileHandle second = platform_.OpenFile(Windows("s"), c.access, c.share, kOpenExisting);
    EXPECT_EQ(platform_.LastError(), c.opens ? kErrorSuccess : kErrorSharingViolation);
    EXPECT_EQ(second != kInvalidFile, c.opens) << c.held_share << " " << c.access;
    if (second != kInvalidFile) platform_.CloseFile(second);
    platform_.CloseFile(held);
  }
}

// No handle shares deletion: while one is open, the file is neither deleted
// nor renamed, nor replaced by another.
TEST_F(PlatformTest, HeldFileKeepsItsName) {
  WriteWholeFile(folder_.Host("held"), "held");
  WriteWholeFile(folder_.Host("other"), "other");
  FileHandle held = platform_.OpenFile(Windows("held"), kGenericRead, kShareRead, kOpenExisting);
  ASSERT_NE(held, kInvalidFile);
  EXPECT_FALSE(platform_.DeleteFile(Windows("held")));
  EXPECT_EQ(platform_.LastError(), kErrorSharingViolation);
  EXPECT_FALSE(platform_.ReplaceFile(Windows("held"), Windows("moved")));
  EXPECT_EQ(platform_.LastError(), kErrorSharingViolation);
  EXPECT_FALSE(platform_.ReplaceFile(Windows("other"), Windows("held")));
  EXPECT_EQ(platform_.LastError(), kErrorAccessDenied);
  EXPECT_EQ(ReadWholeFile(folder_.Host("held")), "held");
  EXPECT_EQ(platform_.FinalPath(held), Windows("held"));  // without the "\\?\" of long paths
  platform_.CloseFile(held);
  EXPECT_TRUE(platform_.ReplaceFile(Windows("other"), Windows("held")));
  EXPECT_TRUE(platform_.DeleteFile(Windows("held")));
}

TEST_F(PlatformTest, ReplaceDeleteAndAttributes) {
  WriteWholeFile(folder_.Host("new"), "new");
  WriteWholeFile(folder_.Host("old"), "old");
  ASSERT_TRUE(platform_.ReplaceFile(Windows("new"), Windows("old")));
  EXPECT_EQ(ReadWholeFile(folder_.Host("old")), "new");
  EXPECT_FALSE(platform_.ReplaceFile(Windows("new"), Windows("old")));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);

  ASSERT_NO_FATAL_FAILURE(SetAttributes(folder_.Host("old"), kAttributeHidden | kAttributeSystem));
  EXPECT_EQ(Attributes(Windows("old")), kAttributeHidden | kAttributeSystem);
  WriteWholeFile(folder_.Host("ro"), "x");
  ASSERT_NO_FATAL_FAILURE(SetAttributes(folder_.Host("ro"), kAttributeReadOnly));
  EXPECT_EQ(Attributes(Windows("ro")), kAttributeReadOnly);
  ASSERT_TRUE(platform_.ClearReadOnly(Windows("ro")));
  EXPECT_EQ(Attributes(Windows("ro")), 0u);
  EXPECT_EQ(Attributes(Windows(".")), kAttributeDirectory);

  ASSERT_TRUE(platform_.DeleteFile(Windows("old")));
  EXPECT_FALSE(platform_.DeleteFile(Windows("old")));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  EXPECT_EQ(Attributes(Windows("old")), 0xDEADu);
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  EXPECT_EQ(Attributes(Windows("no\\x")), 0xDEADu);
  EXPECT_EQ(platform_.LastError(), kErrorPathNotFound);
}

TEST_F(PlatformTest, FindFilesServesEachMaskInTurn) {
  std::filesystem::create_directories(folder_.Host("pics/c.jpg"));
  for (const char* name : {"a.JPG", "b.png", "ab.png", "h.jpg", "jpg"})
    WriteWholeFile(folder_.Host("pics/") + name, "x");
  ASSERT_NO_FATAL_FAILURE(SetAttributes(folder_.Host("pics/h.jpg"), kAttributeHidden));
  const std::vector<std::string> masks = {"*.jpg", "?.png", "*.gif", "A*", "*.*"};
  const std::vector<std::string> expected[] = {
      {"a.JPG/0", "c.jpg/16", "h.jpg/2"},
      {"b.png/0"},
      {},
      {"a.JPG/0", "ab.png/0"},
      {"a.JPG/0", "ab.png/0", "b.png/0", "c.jpg/16", "h.jpg/2", "jpg/0"},
  };
  std::vector<std::vector<FoundFile>> found = platform_.FindFiles(Windows("pics\\"), masks);
  ASSERT_EQ(found.size(), masks.size());
  for (size_t i = 0; i < masks.size(); ++i) {
    std::vector<std::string> names;
    for (const FoundFile& entry : found[i]) {
      uint32_t kind = entry.attributes & (kAttributeDirectory | kAttributeHidden);
      if (entry.name[0] != '.') names.push_back(entry.name + "/" + std::to_string(kind));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected[i]) << masks[i];
  }
  for (const auto& entries : platform_.FindFiles(Windows("missing\\"), masks))
    EXPECT_TRUE(entries.empty());
}

TEST_F(PlatformTest, PathsProcessAndClock) {
  const std::string current = Windows("").substr(0, Windows("").size() - 1);
  EXPECT_EQ(platform_.CurrentDirectory(), current);
  EXPECT_EQ(platform_.FullPath("a\\..\\b."), current + "\\b");
  EXPECT_EQ(platform_.FullPath(".\\x/y\\"), current + "\\x\\y\\");
  EXPECT_EQ(platform_.FullPath("\\x"), current.substr(0, 2) + "\\x");
  EXPECT_EQ(platform_.FullPath("C:\\a\\..\\..\\b"), "C:\\b");
#ifdef _WIN32
  const char system_directory[] = "C:\\windows\\system32";  // for a 32-bit process too
#else
  const char system_directory[] = "C:\\Windows\\System32";
#endif
  EXPECT_EQ(platform_.SystemDirectory(), system_directory);

  const std::string module = platform_.ModuleFileName();
  EXPECT_EQ(module.substr(module.find_last_of('\\') + 1, 13), "platform_test");
  EXPECT_NE(platform_.CommandLine().find("platform_test"), std::string::npos);
  const uintptr_t offset = platform_.CodeOffset(reinterpret_cast<const void*>(&RealPlatform));
  EXPECT_TRUE(offset > 0 && offset < 0x10000000) << offset;
  const std::string denied = platform_.ErrorText(kErrorAccessDenied);
  EXPECT_NE(platform_.ErrorText(kErrorFileNotFound), denied);
  EXPECT_EQ(denied.substr(denied.size() - 2), "\r\n");
  // a, Cyrillic Zhe and a cherry blossom, a surrogate pair in UTF-16.
  EXPECT_EQ(platform_.ToUtf16le("a\xD0\x96\xF0\x9F\x8C\xB8"),
            std::string("a\0\x16\x04\x3C\xD8\x38\xDF", 8));
#ifdef _WIN32
  // The prefix's code page is 1252: it has e acute, but neither Zhe nor the
  // fullwidth quotation mark, which best fit would make a double quote.
  const std::pair<std::string, std::string> ansi_cases[] = {
      {"caf\xC3\xA9", "caf\xE9"}, {"\xD0\x96", "?"}, {"\xEF\xBC\x82", "?"}};
#else
  const std::pair<std::string, std::string> ansi_cases[] = {{"\xD0\x96", "\xD0\x96"}};  // UTF-8
#endif
  for (const auto& [text, expected] : ansi_cases) {
    std::string ansi;
    EXPECT_EQ(platform_.ToAnsi(text, &ansi), expected.find('?') == std::string::npos) << text;
    EXPECT_EQ(ansi, expected);
  }
#ifdef _WIN32
  bool wow64 = false;  // the 32-bit build runs in a 64-bit prefix, as on 64-bit Windows
  ASSERT_TRUE(platform_.QueryWow64(&wow64));
  EXPECT_EQ(wow64, sizeof(void*) == 4);
#endif

  const std::time_t before = std::time(nullptr);
  const LocalTime now = platform_.Now();
  const std::tm local = *std::localtime(&before);
  EXPECT_EQ((now.year * 100 + now.month) * 100 + now.day,
            ((local.tm_year + 1900) * 100 + local.tm_mon + 1) * 100 + local.tm_mday);
  EXPECT_NEAR((now.hour * 60 + now.minute) * 60 + now.second,
              (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec, 2);
  uint64_t first = 0, second = 0;
  ASSERT_TRUE(platform_.PerformanceCounter(&first));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(platform_.PerformanceCounter(&second));
  EXPECT_GT(second, first);
}

TEST_F(PlatformTest, LocaleFields) {
  // US English on Windows (LANG=en_US.UTF-8 under Wine) and in the C locale;
  // the emulation follows LC_TIME.
  struct {
    const char* locale;
    std::vector<std::string> fields;
  } cases[] = {
      {"C", {"M/d/yyyy", "/", ":", "0", "0", "AM", "PM", "0"}},
#ifndef _WIN32
      {"de_DE.UTF-8", {"dd.MM.yyyy", ".", ":", "1", "1", "", "", "0"}},
      {"en_US.UTF-8", {"MM/dd/yyyy", "/", ":", "0", "1", "AM", "PM", "0"}},
      {"ko_KR.UTF-8",
       {"yyyy\xEB\x85\x84 MM\xEC\x9B\x94 dd\xEC\x9D\xBC", "\xEB\x85\x84 ", "\xEC\x8B\x9C ", "1",
        "1", "\xEC\x98\xA4\xEC\xA0\x84", "\xEC\x98\xA4\xED\x9B\x84", "1"}},
      {"xx_NOWHERE.UTF-8", {"M/d/yyyy", "/", ":", "0", "0", "AM", "PM", "0"}},
#endif
  };
  SetEnvironment("LC_ALL", nullptr);
  for (const auto& c : cases) {
    SetEnvironment("LC_TIME", c.locale);
    for (int field = 0; field < 8; ++field) {
      std::string text;
      EXPECT_TRUE(platform_.LocaleText(static_cast<LocaleField>(field), &text));
      EXPECT_EQ(text, c.fields[field]) << c.locale << " " << field;
    }
  }
}

// The value's data, read as RegQueryValueExA is used, size first; or the
// failure's status code in brackets.
std::string Read(RootKey root, const std::string& path, uint32_t access, const std::string& name,
                 uint32_t* type = nullptr) {
  Platform& platform = RealPlatform();
  RegistryKey key = 0;
  uint32_t status = platform.OpenKey(root, path, access, &key);
  uint32_t size = 0;
  if (status == kErrorSuccess) status = platform.QueryValue(key, name, type, nullptr, &size);
  std::string data(size, '?');
  if (status == kErrorSuccess) status = platform.QueryValue(key, name, type, &data[0], &size);
  if (key != 0) platform.CloseKey(key);
  return status == kErrorSuccess ? data : "[" + std::to_string(status) + "]";
}

// The keys are set up by reg.exe, launched through the shell.
TEST_F(PlatformTest, RegistryValuesViewsAndAccessRights) {
#ifndef _WIN32
  // The stand-in for reg.exe, in the system folder: this test is not beside it.
  std::filesystem::remove(SystemFolder() + "/reg.exe");
  std::filesystem::create_symlink(TARNWELL_REG_DIRECTORY "/reg", SystemFolder() + "/reg.exe");
#endif
  const std::string reg = platform_.SystemDirectory() + "\\reg.exe";
  const char *test = "Software\\TarnwellContract", *settings = "SOFTWARE\\Quorvane\\Lumivale",
             *policy = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
  WriteWholeFile(
      folder_.Host("setup.reg"),
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + std::string(test) +
          "]\r\n@=\"C:\\\\My Images\\\\sea.jpg\"\r\n\"Number\"=dword:7\r\n"
          "\"Bytes\"=hex:01,02,ff\r\n\"Expand\"=hex(2):25,00,00,00\r\n"
          "\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
          settings +
          "]\r\n\"Path\"=\"64\"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\"
          "Wow6432Node\\Quorvane\\Lumivale]\r\n\"Path\"=\"32\"\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
          policy + "]\r\n\"Done\"=dword:1\r\n");
  const WaitedLaunch setup = platform_.ShellExecuteAndWait(
      "runas", reg, "IMPORT setup.reg /reg:64", platform_.CurrentDirectory(), kShowHidden);
  EXPECT_GT(setup.shell_result, kShellLastFailure);
  ASSERT_TRUE(setup.ended);
  EXPECT_EQ(setup.exit_code, 0u);
  const std::string one("\1\0\0\0", 4);

  const RootKey cu = kHkeyCurrentUser, lm = kHkeyLocalMachine;
  struct {
    RootKey root;
    const char* path;
    uint32_t access;
    const char* name;
    uint32_t type;
    std::string data;
  } cases[] = {
      {cu, test, kKeyRead, "", kRegSz, std::string("C:\\My Images\\sea.jpg\0", 21)},
      {cu, test, kKeyRead, "number", kRegDword, std::string("\7\0\0\0", 4)},
      {cu, test, kKeyRead | kKeyWow64_32Key, "Bytes", kRegBinary, "\1\2\xff"},
      // Hex data of string types comes back as written.
      {cu, test, kKeyRead, "Expand", kRegExpandSz, std::string("%\0\0\0", 4)},
      {cu, test, kKeyRead, "Wide", kRegQword, std::string("\1\0\0\0\0\0\0\0", 8)},
      {cu, test, kKeyRead, "Missing", 0, "[2]"},
      {cu, test, kKeyEnumerateSubKeys, "Bytes", 0, "[5]"},
      {cu, "Software\\NoSuchKeyOfTarnwell", kKeyRead, "x", 0, "[2]"},
      {lm, settings, kKeyRead | kKeyWow64_64Key, "Path", kRegSz, std::string("64\0", 3)},
      {lm, settings, kKeyRead | kKeyWow64_32Key, "Path", kRegSz, std::string("32\0", 3)},
      {lm, policy, kKeyQueryValue | kKeyWow64_64Key, "Done", kRegDword, one},
      {lm, policy, kGenericRead | kKeyWow64_32Key, "Done", kRegDword, one},
  };
  for (const auto& c : cases) {
    uint32_t type = 0;
    EXPECT_EQ(Read(c.root, c.path, c.access, c.name, &type), c.data) << c.name << c.access;
    if (c.data[0] == '[') continue;
    EXPECT_EQ(type, c.type) << c.name;
  }

  RegistryKey key = 12345;
  EXPECT_EQ(platform_.OpenKey(cu, "Software\\NoSuchKey", kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
  ASSERT_EQ(platform_.OpenKey(cu, test, kKeyRead, &key), kErrorSuccess);
  char small[4] = {};
  uint32_t size = sizeof small, type = 0;
  EXPECT_EQ(platform_.QueryValue(key, "Wide", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, kRegQword);
  EXPECT_EQ(platform_.QueryValue(key, "Number", nullptr, nullptr, nullptr), kErrorSuccess);
  platform_.CloseKey(key);

  // The shell splits the parameters as reg.exe expects them, and a waited
  // launch tells how the process ended.
  const std::string add =
      "ADD \"HKCU\\" + std::string(test) + "\" /v \"Two words\" /d \"a \\b\" /f";
  for (const auto& [parameters, status] : {std::pair{add, 0u}, {"IMPORT missing.reg", 1u}}) {
    const WaitedLaunch launch =
        platform_.ShellExecuteAndWait("runas", reg, parameters, "", kShowHidden);
    EXPECT_TRUE(launch.shell_result > kShellLastFailure && launch.ended) << parameters;
    EXPECT_EQ(launch.exit_code, status) << parameters;
  }
  EXPECT_EQ(Read(cu, test, kKeyRead, "two words"), std::string("a \\b\0", 5));
  EXPECT_EQ(platform_.ShellExecute("runas", "no-such-program.exe", "", "", 0), kErrorFileNotFound);
  const WaitedLaunch refused =
      platform_.ShellExecuteAndWait("runas", "no-such-program.exe", "", "", kShowHidden);
  EXPECT_EQ(refused.shell_result, kErrorFileNotFound);
  EXPECT_FALSE(refused.ended);
}

#ifndef _WIN32
// ---------------------------------------------------------------- Emulation only

TEST_F(PlatformTest, PrefixAndDrives) {
  struct {
    const char* prefix;
    const char* data_home;
    std::string chosen;
  } prefixes[] = {
      {"given/", "data", folder_.Host("given")},
      {nullptr, "data", folder_.Host("data/tarnwell")},
      {nullptr, nullptr, folder_.Host("home/.local/share/tarnwell")},
  };
  for (const auto& c : prefixes) {
    SetEnvironment("TARNWELL_PREFIX", c.prefix ? folder_.Host(c.prefix).c_str() : nullptr);
    SetEnvironment("XDG_DATA_HOME", c.data_home ? folder_.Host(c.data_home).c_str() : nullptr);
    EXPECT_EQ(PrefixDirectory(), c.chosen);
    for (const SampleImage& image : SampleImages())
      EXPECT_EQ(ReadWholeFile(c.chosen + "/drive_c/Windows/Web/Screen/" + image.name), image.bytes);
    EXPECT_EQ(HostPath("c:/Windows\\..\\..\\Web"), c.chosen + "/drive_c/Web");
  }
  EXPECT_EQ(HostPath("z:\\etc\\hosts"), "/etc/hosts");
  EXPECT_EQ(HostPath("D:\\data"), "");
  EXPECT_EQ(WindowsPath(PrefixDirectory() + "/drive_c/Windows"), "C:\\Windows");
  EXPECT_EQ(Attributes("C:\\Windows\\Web\\Screen"), kAttributeDirectory);

  WriteWholeFile(folder_.Host(".dot"), "x");
  EXPECT_EQ(Attributes(Windows(".dot")), kAttributeHidden);
}

// A launched program holds the launch lock until it ends, so that whoever
// launched it can wait for it; this reg ends once the test opens its gate.
TEST_F(PlatformTest, LaunchLockIsHeldUntilTheLaunchEnds) {
  const std::string reg = SystemFolder() + "/reg.exe";
  std::filesystem::remove(reg);
  WriteWholeFile(reg, "#!/bin/sh\nread go < gate\necho \"$@\" > ran\n");
  ASSERT_EQ(chmod(reg.c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(folder_.Host("gate").c_str(), 0600), 0);
  ASSERT_GT(platform_.ShellExecute("runas", "C:\\Windows\\System32\\reg.exe", "ADD \"a b\"", "", 0),
            kShellLastFailure);
  int lock = open((folder_.prefix() + "/.launches.lock").c_str(), O_RDWR);
  EXPECT_EQ(flock(lock, LOCK_EX | LOCK_NB), -1);
  WriteWholeFile(folder_.Host("gate"), "\n");
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  close(lock);
  EXPECT_EQ(ReadWholeFile(folder_.Host("ran")), "ADD a b\n");
}
#endif

}  // namespace
}  // namespace platform
