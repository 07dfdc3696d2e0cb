// The contract of platform::Platform, run against the real platform of the
// build: the emulated Windows on Linux, the Windows API under Wine. What
// differs between the two sits in the helpers at the top; what only the
// emulation has comes last.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include "tests/support/scratch.h"

#ifdef _WIN32
#include <windows.h>
// The interface's names, not the API's macros.
#undef DeleteFile
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

constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorAlreadyExists = 183;

void SetHidden(const std::string& host_path) {
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesA(host_path.c_str(), FILE_ATTRIBUTE_HIDDEN));
#else
  ASSERT_EQ(setxattr(host_path.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
#endif
}

void SetReadOnly(const std::string& host_path) {
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesA(host_path.c_str(), FILE_ATTRIBUTE_READONLY));
#else
  ASSERT_EQ(chmod(host_path.c_str(), 0444), 0);
#endif
}

// Waits for a launched program's effect; a launch is never waited for.
template <typename Done>
bool Eventually(Done done) {
  for (int tries = 0; tries < 600; ++tries) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

class PlatformTest : public ::testing::Test {
 protected:
  Platform& platform_ = RealPlatform();
  ScratchFolder folder_;

  std::string Windows(const std::string& name) { return folder_.Windows(name); }
  uint32_t Attributes(const std::string& name) {
    uint32_t attributes = 0xDEAD;
    if (!platform_.GetAttributes(Windows(name), &attributes)) return 0;
    return attributes & ~kAttributeArchive;  // Windows sets it, the emulation always
  }
};

TEST_F(PlatformTest, OpenFileDispositions) {
  WriteWholeFile(folder_.Host("old.txt"), "old");
  struct Case {
    const char* name;
    uint32_t access, share, disposition;
    bool opens;
    uint32_t status;
    const char* content_after;
  } cases[] = {
      {"old.txt", kGenericWrite, kShareNone, kCreateNew, false, kErrorFileExists, "old"},
      {"old.txt", kGenericRead, kShareRead, kOpenExisting, true, kErrorSuccess, "old"},
      {"old.txt", kGenericWrite, kShareRead, kOpenAlways, true, kErrorAlreadyExists, "old"},
      {"old.txt", kGenericWrite, kShareNone, kCreateAlways, true, kErrorAlreadyExists, ""},
      {"new.txt", kGenericWrite, kShareNone, kOpenAlways, true, kErrorSuccess, ""},
      {"none.txt", kGenericRead, kShareRead, kOpenExisting, false, kErrorFileNotFound, nullptr},
      {"no\\none.txt", kGenericWrite, kShareNone, kCreateAlways, false, kErrorPathNotFound,
       nullptr},
  };
  for (const Case& c : cases) {
    FileHandle file = platform_.OpenFile(Windows(c.name), c.access, c.share, c.disposition);
    EXPECT_EQ(file != kInvalidFile, c.opens) << c.name << " " << c.disposition;
    EXPECT_EQ(platform_.LastError(), c.status) << c.name << " " << c.disposition;
    if (file != kInvalidFile) platform_.CloseFile(file);
    if (c.content_after) {
      EXPECT_EQ(ReadWholeFile(folder_.Host(c.name)), c.content_after);
    }
  }
}

TEST_F(PlatformTest, ReadWriteSeekAndSize) {
  FileHandle file =
      platform_.OpenFile(Windows("f.txt"), kGenericRead | kGenericWrite, kShareNone, kCreateNew);
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
  ASSERT_TRUE(platform_.ReadFile(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 0u);
  EXPECT_FALSE(platform_.SeekFile(file, -100, SeekOrigin::kCurrent));
  // The counts may be left out.
  ASSERT_TRUE(platform_.SeekFile(file, 0, SeekOrigin::kBegin));
  EXPECT_TRUE(platform_.WriteFile(file, "F", 1, nullptr));
  EXPECT_TRUE(platform_.ReadFile(file, buffer, 4, nullptr));
  EXPECT_EQ(std::string(buffer, 4), "irst");
  platform_.CloseFile(file);
  EXPECT_EQ(ReadWholeFile(folder_.Host("f.txt")), "First\r\nsecond\r\n");

  file = platform_.OpenFile(Windows("f.txt"), kGenericWrite, kShareNone, kOpenExisting);
  ASSERT_NE(file, kInvalidFile);
  EXPECT_FALSE(platform_.ReadFile(file, buffer, 1, nullptr));
  EXPECT_EQ(platform_.LastError(), kErrorAccessDenied);
  platform_.CloseFile(file);
}

TEST_F(PlatformTest, SharingModes) {
  WriteWholeFile(folder_.Host("s.txt"), "data");
  struct Case {
    uint32_t held_access, held_share, access, share;
    bool opens;
  } cases[] = {
      {kGenericRead, kShareRead, kGenericRead, kShareRead, true},
      {kGenericRead, kShareRead, kGenericWrite, kShareNone, false},
      {kGenericRead, kShareNone, kGenericRead, kShareRead, false},
      {kGenericWrite, kShareNone, kGenericRead, kShareRead, false},
  };
  for (const Case& c : cases) {
    FileHandle held =
        platform_.OpenFile(Windows("s.txt"), c.held_access, c.held_share, kOpenExisting);
    ASSERT_NE(held, kInvalidFile);
    FileHandle second = platform_.OpenFile(Windows("s.txt"), c.access, c.share, kOpenExisting);
    EXPECT_EQ(second != kInvalidFile, c.opens) << c.held_share << " " << c.access;
    if (second == kInvalidFile) {
      EXPECT_EQ(platform_.LastError(), kErrorSharingViolation);
    } else {
      platform_.CloseFile(second);
    }
    platform_.CloseFile(held);
  }
}

TEST_F(PlatformTest, ReplaceDeleteAndAttributes) {
  WriteWholeFile(folder_.Host("new.txt"), "new");
  WriteWholeFile(folder_.Host("old.txt"), "old");
  ASSERT_TRUE(platform_.ReplaceFile(Windows("new.txt"), Windows("old.txt")));
  EXPECT_EQ(ReadWholeFile(folder_.Host("old.txt")), "new");
  EXPECT_FALSE(platform_.ReplaceFile(Windows("new.txt"), Windows("old.txt")));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);

  ASSERT_NO_FATAL_FAILURE(SetHidden(folder_.Host("old.txt")));
  EXPECT_EQ(Attributes("old.txt"), kAttributeHidden);
  WriteWholeFile(folder_.Host("ro.txt"), "x");
  ASSERT_NO_FATAL_FAILURE(SetReadOnly(folder_.Host("ro.txt")));
  EXPECT_EQ(Attributes("ro.txt"), kAttributeReadOnly);
  ASSERT_TRUE(platform_.ClearReadOnly(Windows("ro.txt")));
  EXPECT_EQ(Attributes("ro.txt"), 0u);
  EXPECT_EQ(Attributes("."), kAttributeDirectory);

  ASSERT_TRUE(platform_.DeleteFile(Windows("old.txt")));
  EXPECT_FALSE(platform_.DeleteFile(Windows("old.txt")));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  uint32_t attributes = 0;
  EXPECT_FALSE(platform_.GetAttributes(Windows("old.txt"), &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  EXPECT_FALSE(platform_.GetAttributes(Windows("no\\x.txt"), &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorPathNotFound);
}

TEST_F(PlatformTest, FindFilesServesEachMaskInTurn) {
  std::filesystem::create_directories(folder_.Host("pics/c.jpg"));
  for (const char* name : {"a.JPG", "b.png", "ab.png", "h.jpg", "jpg"})
    WriteWholeFile(folder_.Host("pics/") + name, "x");
  ASSERT_NO_FATAL_FAILURE(SetHidden(folder_.Host("pics/h.jpg")));
  const std::vector<std::string> masks = {"*.jpg", "?.png", "*.gif", "A*", "*"};
  const std::vector<std::string> expected[] = {
      {"a.JPG/0", "c.jpg/16", "h.jpg/2"},
      {"b.png/0"},
      {},
      {"a.JPG/0", "ab.png/0"},
      {"a.JPG/0", "ab.png/0", "b.png/0", "c.jpg/16", "h.jpg/2", "jpg/0"},
  };
  for (const std::string& prefix : {Windows("pics\\"), Windows("pics\\sub\\..\\")}) {
    std::vector<std::vector<FoundFile>> found = platform_.FindFiles(prefix, masks);
    ASSERT_EQ(found.size(), masks.size());
    for (size_t i = 0; i < masks.size(); ++i) {
      std::vector<std::string> names;
      for (const FoundFile& entry : found[i]) {
        if (entry.name == "." || entry.name == "..") continue;
        uint32_t kind = entry.attributes & (kAttributeDirectory | kAttributeHidden);
        names.push_back(entry.name + "/" + std::to_string(kind));
      }
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, expected[i]) << masks[i];
    }
  }
  std::vector<std::vector<FoundFile>> none = platform_.FindFiles(Windows("missing\\"), masks);
  ASSERT_EQ(none.size(), masks.size());
  for (const std::vector<FoundFile>& entries : none) EXPECT_TRUE(entries.empty());
}

TEST_F(PlatformTest, PathsFollowTheCurrentDirectory) {
  const std::string here = Windows("");
  const std::string current = here.substr(0, here.size() - 1);
  EXPECT_EQ(platform_.CurrentDirectory(), current);
  struct Case {
    const char* path;
    std::string full;
  } cases[] = {
      {"a\\..\\b.txt", current + "\\b.txt"}, {".\\x/y.", current + "\\x\\y"},
      {"\\x", current.substr(0, 2) + "\\x"}, {"C:\\a\\..\\..\\b", "C:\\b"},
      {"dir\\", current + "\\dir\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform_.FullPath(c.path), c.full) << c.path;
}

TEST_F(PlatformTest, StatusTexts) {
  const std::string missing = platform_.ErrorText(kErrorFileNotFound);
  const std::string denied = platform_.ErrorText(kErrorAccessDenied);
  EXPECT_NE(missing, denied);
  for (const std::string& text : {missing, denied}) {
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  }
}

TEST_F(PlatformTest, ProcessClockAndText) {
  const std::string module = platform_.ModuleFileName();
  const std::string name = module.substr(module.find_last_of('\\') + 1);
  EXPECT_EQ(name.substr(0, 13), "platform_test");
  EXPECT_NE(platform_.CommandLine().find(name.substr(0, 13)), std::string::npos);
  EXPECT_LT(platform_.CodeOffset(reinterpret_cast<const void*>(&RealPlatform)), 0x10000000u);

  const std::time_t before = std::time(nullptr);
  const LocalTime now = platform_.Now();
  std::tm fields = {};
  fields.tm_year = now.year - 1900;
  fields.tm_mon = now.month - 1;
  fields.tm_mday = now.day;
  fields.tm_hour = now.hour;
  fields.tm_min = now.minute;
  fields.tm_sec = now.second;
  fields.tm_isdst = -1;
  EXPECT_LE(std::abs(std::difftime(std::mktime(&fields), before)), 2.0);
  uint64_t first = 0, second = 0;
  ASSERT_TRUE(platform_.PerformanceCounter(&first));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(platform_.PerformanceCounter(&second));
  EXPECT_GT(second, first);

  EXPECT_FALSE(platform_.IsLeadByte('A'));
  EXPECT_EQ(platform_.AnsiToUtf16le("ab"), std::string("a\0b\0", 4));
}

TEST_F(PlatformTest, UsEnglishLocale) {
#ifndef _WIN32
  SetEnvironment("LC_ALL", "C");
#endif
  const char* expected[] = {"M/d/yyyy", "/", ":", "0", "0", "AM", "PM", "0"};
  for (int field = 0; field < 8; ++field) {
    std::string text;
    EXPECT_TRUE(platform_.LocaleText(static_cast<LocaleField>(field), &text));
    EXPECT_EQ(text, expected[field]) << field;
  }
}

// One import through the shell sets up the registry for every test here.
class RegistryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new ScratchFolder;
#ifndef _WIN32
    // The stand-in for reg.exe, as tarnwell finds it beside itself.
    SetEnvironment("PATH", (std::string(TARNWELL_REG_DIRECTORY ":") + std::getenv("PATH")).c_str());
#endif
    WriteWholeFile(
        folder_->Host("setup.reg"),
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\TarnwellContract]\r\n@=\"def\"\r\n"
        "\"Text\"=\"C:\\\\My Images\\\\sea.jpg\"\r\n\"Number\"=dword:00000007\r\n"
        "\"Bytes\"=hex:01,02,ff\r\n\"Many\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"Expand\"=hex(2):25,00,50,00,25,00,00,00\r\n\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n"
        "\"Empty\"=hex:\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Lumivale]\r\n\"Path\"=\"64\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Quorvane\\Lumivale]\r\n\"Path\"=\"32\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization]\r\n"
        "\"Done\"=dword:00000001\r\n");
    Platform& platform = RealPlatform();
    EXPECT_GT(platform.ShellExecute("runas", "reg.exe", "IMPORT setup.reg /reg:64",
                                    platform.CurrentDirectory(), kShowHidden),
              kShellLastFailure);
    EXPECT_TRUE(Eventually([] {
      return Read(kHkeyLocalMachine, kPolicy, kKeyRead | kKeyWow64_32Key, "Done") ==
             std::string("\1\0\0\0", 4);
    }));
  }
  static void TearDownTestSuite() { delete folder_; }

  // The value's data, read as RegQueryValueExA is used: size first; or the
  // failure's status code in brackets.
  static std::string Read(RootKey root, const std::string& path, uint32_t access,
                          const std::string& name, uint32_t* type = nullptr) {
    Platform& platform = RealPlatform();
    RegistryKey key = 0;
    uint32_t status = platform.OpenKey(root, path, access, &key);
    uint32_t size = 0;
    std::string data;
    if (status == kErrorSuccess) status = platform.QueryValue(key, name, type, nullptr, &size);
    if (status == kErrorSuccess) {
      data.assign(size, '?');
      status = platform.QueryValue(key, name, type, &data[0], &size);
    }
    if (key != 0) platform.CloseKey(key);
    return status == kErrorSuccess ? data : "[" + std::to_string(status) + "]";
  }

  static constexpr char kTest[] = "Software\\TarnwellContract";
  static constexpr char kSettings[] = "SOFTWARE\\Quorvane\\Lumivale";
  static constexpr char kPolicy[] = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
  static ScratchFolder* folder_;
};
ScratchFolder* RegistryTest::folder_ = nullptr;

TEST_F(RegistryTest, ValuesOfEveryType) {
  struct Case {
    const char* name;
    uint32_t type;
    std::string data;
  } cases[] = {
      {"", kRegSz, std::string("def\0", 4)},
      {"text", kRegSz, std::string("C:\\My Images\\sea.jpg\0", 21)},
      {"Number", kRegDword, std::string("\7\0\0\0", 4)},
      {"Bytes", kRegBinary, "\1\2\xff"},
      {"Many", kRegMultiSz, std::string("a\0\0\0b\0\0\0\0\0", 10)},
      {"Expand", kRegExpandSz, std::string("%\0P\0%\0\0\0", 8)},
      {"Wide", kRegQword, std::string("\1\0\0\0\0\0\0\0", 8)},
      {"Empty", kRegBinary, ""},
      {"Missing", 0, "[2]"},
  };
  for (const Case& c : cases) {
    uint32_t type = 99;
    EXPECT_EQ(Read(kHkeyCurrentUser, kTest, kKeyRead, c.name, &type), c.data) << c.name;
    if (c.data[0] != '[') {
      EXPECT_EQ(type, c.type) << c.name;
    }
  }
}

TEST_F(RegistryTest, ViewsAndAccessRights) {
  struct Case {
    RootKey root;
    const char* path;
    uint32_t access;
    const char* name;
    std::string result;
  } cases[] = {
      {kHkeyLocalMachine, kSettings, kKeyRead | kKeyWow64_64Key, "Path", std::string("64\0", 3)},
      {kHkeyLocalMachine, kSettings, kKeyRead | kKeyWow64_32Key, "Path", std::string("32\0", 3)},
      {kHkeyLocalMachine, kPolicy, kKeyQueryValue | kKeyWow64_64Key, "Done",
       std::string("\1\0\0\0", 4)},
      {kHkeyLocalMachine, kPolicy, kGenericRead | kKeyWow64_32Key, "Done",
       std::string("\1\0\0\0", 4)},
      {kHkeyCurrentUser, kTest, kKeyEnumerateSubKeys, "Number", "[5]"},
      {kHkeyCurrentUser, kTest, kKeyRead | kKeyWow64_32Key, "Number", std::string("\7\0\0\0", 4)},
      {kHkeyCurrentUser, "Software\\NoSuchKeyOfTarnwell", kKeyRead, "x", "[2]"},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.root, c.path, c.access, c.name), c.result) << c.path;
}

TEST_F(RegistryTest, QueryFollowsRegQueryValueEx) {
  Platform& platform = RealPlatform();
  RegistryKey key = 12345;
  EXPECT_EQ(platform.OpenKey(kHkeyCurrentUser, "Software\\NoSuchKeyOfTarnwell", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
  ASSERT_EQ(platform.OpenKey(kHkeyCurrentUser, kTest, kKeyRead, &key), kErrorSuccess);
  char small[4] = {};
  uint32_t size = sizeof small;
  uint32_t type = 0;
  EXPECT_EQ(platform.QueryValue(key, "Wide", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, kRegQword);
  EXPECT_EQ(platform.QueryValue(key, "Number", nullptr, nullptr, nullptr), kErrorSuccess);
  platform.CloseKey(key);

  // A second launch: the shell splits its parameters as reg.exe expects.
  EXPECT_GT(platform.ShellExecute("runas", "reg",
                                  "DELETE \"HKCU\\" + std::string(kTest) + "\" /v \"Number\" /f",
                                  "", kShowHidden),
            kShellLastFailure);
  EXPECT_TRUE(
      Eventually([] { return Read(kHkeyCurrentUser, kTest, kKeyRead, "Number") == "[2]"; }));
  EXPECT_EQ(platform.ShellExecute("runas", "no-such-program-of-tarnwell.exe", "", "", kShowHidden),
            kErrorFileNotFound);
}

#ifndef _WIN32
// ---------------------------------------------------------------- Emulation only

TEST_F(PlatformTest, PrefixIsChosenByTheEnvironment) {
  struct Case {
    const char* prefix;
    const char* data_home;
    std::string chosen;
  } cases[] = {
      {"given/", "data", folder_.Host("given")},
      {nullptr, "data", folder_.Host("data/tarnwell")},
      {nullptr, nullptr, folder_.Host("home/.local/share/tarnwell")},
  };
  for (const Case& c : cases) {
    SetEnvironment("TARNWELL_PREFIX", c.prefix ? folder_.Host(c.prefix).c_str() : nullptr);
    SetEnvironment("XDG_DATA_HOME", c.data_home ? folder_.Host(c.data_home).c_str() : nullptr);
    EXPECT_EQ(PrefixDirectory(), c.chosen);
    for (const SampleImage& image : SampleImages())
      EXPECT_EQ(ReadWholeFile(c.chosen + "/drive_c/Windows/Web/Screen/" + image.name), image.bytes);
  }
}

TEST_F(PlatformTest, DrivesCAndZ) {
  const std::string drive_c = folder_.prefix() + "/drive_c";
  struct Case {
    const char* windows;
    std::string host;
  } cases[] = {
      {"C:\\Windows\\Web", drive_c + "/Windows/Web"},
      {"C:/a\\..\\..\\b", drive_c + "/b"},
      {"Z:\\etc\\hosts", "/etc/hosts"},
      {"D:\\data", ""},
      {"\\\\server\\share", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HostPath(c.windows), c.host) << c.windows;
    if (!c.host.empty()) {
      EXPECT_EQ(WindowsPath(c.host), platform_.FullPath(c.windows));
    }
  }
  uint32_t attributes = 0;
  ASSERT_TRUE(platform_.GetAttributes("C:\\Windows\\Web\\Screen", &attributes));
  EXPECT_EQ(attributes, kAttributeDirectory);
}

TEST_F(PlatformTest, DosAttributesAsWineKeepsThem) {
  struct Case {
    const char* name;
    std::string dosattrib;
    uint32_t attributes;
  } cases[] = {
      {"h", "0x2", kAttributeHidden},
      {"s", "0x4", kAttributeSystem},
      {"hs", "0X6", kAttributeHidden | kAttributeSystem},
      {"z", std::string("0x4\0", 4), 4},
      {"junk", "0x2zz", 0},
      {"binary", std::string("\2\0\0\0", 4), 0},
      {".dotted", "", kAttributeHidden},
  };
  for (const Case& c : cases) {
    WriteWholeFile(folder_.Host(c.name), "x");
    if (!c.dosattrib.empty()) {
      ASSERT_EQ(setxattr(folder_.Host(c.name).c_str(), "user.DOSATTRIB", c.dosattrib.data(),
                         c.dosattrib.size(), 0),
                0);
    }
    EXPECT_EQ(Attributes(c.name), c.attributes) << c.name;
  }
}

TEST_F(PlatformTest, LocaleFollowsLcTime) {
  SetEnvironment("LC_ALL", nullptr);
  struct Case {
    const char* locale;
    std::vector<std::string> fields;
  } cases[] = {
      {"de_DE.UTF-8", {"dd.MM.yyyy", ".", ":", "1", "1", "", "", "0"}},
      {"en_US.UTF-8", {"MM/dd/yyyy", "/", ":", "0", "1", "AM", "PM", "0"}},
      {"ko_KR.UTF-8",
       {"yyyy\xEB\x85\x84 MM\xEC\x9B\x94 dd\xEC\x9D\xBC", "\xEB\x85\x84 ", "\xEC\x8B\x9C ", "1",
        "1", "\xEC\x98\xA4\xEC\xA0\x84", "\xEC\x98\xA4\xED\x9B\x84", "1"}},
      {"xx_NOWHERE.UTF-8", {"M/d/yyyy", "/", ":", "0", "0", "AM", "PM", "0"}},
  };
  for (const Case& c : cases) {
    SetEnvironment("LC_TIME", c.locale);
    for (int field = 0; field < 8; ++field) {
      std::string text;
      EXPECT_TRUE(platform_.LocaleText(static_cast<LocaleField>(field), &text));
      EXPECT_EQ(text, c.fields[field]) << c.locale << " " << field;
    }
  }
}

// The launch lock is held while a launched program runs, so that a test can
// wait for every launch.
TEST_F(PlatformTest, LaunchLockIsHeldUntilTheLaunchEnds) {
  std::filesystem::create_directory(folder_.Host("bin"));
  WriteWholeFile(folder_.Host("bin/reg"), "#!/bin/sh\nsleep 0.5\necho \"$@\" > ran.txt\n");
  ASSERT_EQ(chmod(folder_.Host("bin/reg").c_str(), 0755), 0);
  SetEnvironment("PATH", (folder_.Host("bin") + ":/usr/bin:/bin").c_str());
  EXPECT_GT(platform_.ShellExecute("runas", "Reg.Exe", "ADD \"a b\"", "", 0), kShellLastFailure);
  int lock = open((folder_.prefix() + "/.launches.lock").c_str(), O_RDWR);
  ASSERT_GE(lock, 0);
  EXPECT_EQ(flock(lock, LOCK_EX | LOCK_NB), -1);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  close(lock);
  EXPECT_EQ(ReadWholeFile(folder_.Host("ran.txt")), "ADD a b\n");
}
#endif

}  // namespace
}  // namespace platform
