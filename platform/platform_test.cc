// The contract of platform::Platform where no run of the program shows it,
// run against the real platform of the build: the emulated Windows on Linux,
// the Windows API under Wine. What only the emulation has comes last.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "tests/support/scratch.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/drive.h"
#include "platform/posix/prefix.h"
#endif

namespace platform {
namespace {

using testing_support::ReadWholeFile;
using testing_support::ScratchFolder;
using testing_support::SetEnvironment;
using testing_support::WriteWholeFile;

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

// A holder that shares nothing, as the log's writer, keeps everyone else out.
// What a held reg.dat lets others do, the scenarios show.
TEST_F(PlatformTest, HolderSharingNothingExcludesOthers) {
  WriteWholeFile(folder_.Host("s"), "data");
  for (uint32_t held_access : {kGenericRead, kGenericWrite}) {
    FileHandle held = platform_.OpenFile(Windows("s"), held_access, kShareNone, kOpenExisting);
    EXPECT_EQ(platform_.OpenFile(Windows("s"), kGenericRead, kShareRead, kOpenExisting),
              kInvalidFile);
    EXPECT_EQ(platform_.LastError(), kErrorSharingViolation) << held_access;
    platform_.CloseFile(held);
  }
}

TEST_F(PlatformTest, PathsAndTextConversions) {
  const std::string current = Windows("").substr(0, Windows("").size() - 1);
  EXPECT_EQ(platform_.CurrentDirectory(), current);
  EXPECT_EQ(platform_.FullPath("a\\..\\b."), current + "\\b");
  EXPECT_EQ(platform_.FullPath(".\\x/y\\"), current + "\\x\\y\\");
  EXPECT_EQ(platform_.FullPath("\\x"), current.substr(0, 2) + "\\x");
  EXPECT_EQ(platform_.FullPath("C:\\a\\..\\..\\b"), "C:\\b");
#ifdef _WIN32
  // The prefix's code page is 1252: it has e acute, but neither Zhe nor the
  // fullwidth quotation mark, which best fit would make a double quote.
  const std::pair<std::string, std::string> ansi_cases[] = {
      {"caf\xC3\xA9", "caf\xE9"}, {"\xD0\x96", "?"}, {"\xEF\xBC\x82", "?"}};
  for (const auto& [text, expected] : ansi_cases) {
    std::string ansi;
    EXPECT_EQ(platform_.ToAnsi(text, &ansi), expected.find('?') == std::string::npos) << text;
    EXPECT_EQ(ansi, expected);
  }
#endif

  // Windows drops a period that ends a folder name unless the path is taken
  // as it stands; the file that a path opens is told by its identity.
  const std::string literal = kLiteralPathPrefix + Windows("");
  std::filesystem::create_directory(folder_.Host("d"));  // Wine takes "d." for it once that exists
#ifdef _WIN32
  std::filesystem::create_directory(literal + "d.");
#else
  std::filesystem::create_directory(folder_.Host("d."));
#endif
  auto identity_of = [&](const std::string& path, uint32_t disposition) {
    FileIdentity identity;
    const FileHandle file = platform_.OpenFile(path, kGenericWrite, kShareNone, disposition);
    EXPECT_TRUE(platform_.GetFileIdentity(file, &identity)) << path;
    platform_.CloseFile(file);
    return std::make_tuple(identity.wide, identity.volume, identity.id_low, identity.id_high);
  };
  const decltype(identity_of("", 0)) files[] = {identity_of(Windows("d\\f"), kCreateAlways),
                                                identity_of(literal + "d.\\f", kCreateAlways)};
  EXPECT_NE(files[0], files[1]);
  const std::pair<std::string, int> opens[] = {
      {Windows("d.\\f"), 0}, {literal + "d.\\f", 1}, {literal + "d\\f", 0}};
  for (const auto& [path, file] : opens) EXPECT_EQ(identity_of(path, kOpenExisting), files[file]);
#ifdef _WIN32
  std::filesystem::remove_all(literal + "d.");  // which the folder's removal would take for "d"
#endif
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
TEST_F(PlatformTest, RegistryValuesAndAccessRights) {
#ifndef _WIN32
  // The stand-in for reg.exe, in the system folder: this test is not beside it.
  std::filesystem::remove(SystemFolder() + "/reg.exe");
  std::filesystem::create_symlink(TARNWELL_REG_DIRECTORY "/reg", SystemFolder() + "/reg.exe");
#endif
  const std::string reg = platform_.SystemDirectory() + "\\reg.exe";
  const char* test = "Software\\TarnwellContract";
  WriteWholeFile(folder_.Host("setup.reg"),
                 "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                     std::string(test) +
                     "]\r\n@=\"C:\\\\My Images\\\\sea.jpg\"\r\n\"Number\"=dword:7\r\n"
                     "\"Bytes\"=hex:01,02,ff\r\n"
                     "\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n");
  const WaitedLaunch setup = platform_.ShellExecuteAndWait(
      "runas", reg, "IMPORT setup.reg /reg:64", platform_.CurrentDirectory(), kShowHidden);
  EXPECT_GT(setup.shell_result, kShellLastFailure);
  ASSERT_TRUE(setup.ended);
  EXPECT_EQ(setup.exit_code, 0u);

  struct {
    uint32_t access;
    const char* name;
    uint32_t type;
    std::string data;
  } cases[] = {
      {kKeyRead, "", kRegSz, std::string("C:\\My Images\\sea.jpg\0", 21)},
      {kKeyRead, "number", kRegDword, std::string("\7\0\0\0", 4)},
      {kKeyRead | kKeyWow64_32Key, "Bytes", kRegBinary, "\1\2\xff"},
      {kKeyRead, "Wide", kRegQword, std::string("\1\0\0\0\0\0\0\0", 8)},
      {kKeyEnumerateSubKeys, "Bytes", 0, "[5]"},
  };
  for (const auto& c : cases) {
    uint32_t type = 0;
    EXPECT_EQ(Read(kHkeyCurrentUser, test, c.access, c.name, &type), c.data) << c.name << c.access;
    if (c.data[0] == '[') continue;
    EXPECT_EQ(type, c.type) << c.name;
  }
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
    EXPECT_EQ(HostPath("c:/Windows\\..\\..\\Web"), c.chosen + "/drive_c/Web");
  }
  EXPECT_EQ(HostPath("D:\\data"), "");

  WriteWholeFile(folder_.Host(".dot"), "x");
  EXPECT_EQ(Attributes(Windows(".dot")), kAttributeHidden);
}

TEST_F(PlatformTest, LocaleFields) {
  // The emulation follows LC_TIME; the C locale's fields reach every run's log.
  struct {
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
