// The Windows platform against a real Windows API (run under Wine in CI).
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/platform.h"

namespace platform {
namespace {

Platform& Real() { return RealPlatform(); }

// A fresh directory under the temporary directory, made current for the test.
class Win32PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    directory_ = std::string(temp) + "tarnwell-platform-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(directory_.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(directory_.c_str()));
  }

  void TearDown() override {
    SetCurrentDirectoryA("C:\\");
    RemoveTree(directory_);
  }

  std::string Path(const std::string& name) const { return directory_ + "\\" + name; }

  void WriteWhole(const std::string& name, const std::string& content, DWORD attributes = 0) {
    HANDLE file = CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (attributes) SetFileAttributesA(Path(name).c_str(), attributes);
  }

  std::string ReadWhole(const std::string& name) {
    FileHandle file = Real().OpenFile(Path(name), kGenericRead, kShareRead, kOpenExisting);
    EXPECT_NE(file, kInvalidFile);
    std::string content(4096, '\0');
    uint32_t read = 0;
    EXPECT_TRUE(Real().ReadFile(file, &content[0], static_cast<uint32_t>(content.size()), &read));
    Real().CloseFile(file);
    content.resize(read);
    return content;
  }

  static void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        std::string child = path + "\\" + name;
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(child);
        else
          DeleteFileA(child.c_str());
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
  }

  std::string directory_;
};

TEST_F(Win32PlatformTest, PathsFollowTheCurrentDirectory) {
  EXPECT_EQ(Real().CurrentDirectory(), directory_);
  EXPECT_EQ(Real().FullPath("a\\..\\b.txt"), directory_ + "\\b.txt");
  EXPECT_EQ(Real().FullPath("\\x"), directory_.substr(0, 2) + "\\x");
  SetCurrentDirectoryA("C:\\");
  EXPECT_EQ(Real().CurrentDirectory(), "C:\\");
}

TEST_F(Win32PlatformTest, AttributesOfFilesAndDirectories) {
  WriteWhole("plain.txt", "x");
  WriteWhole("hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN);
  uint32_t attributes = 0;
  ASSERT_TRUE(Real().GetAttributes(Path("plain.txt"), &attributes));
  EXPECT_EQ(attributes & (kAttributeDirectory | kAttributeHidden), 0u);
  ASSERT_TRUE(Real().GetAttributes(Path("hidden.txt"), &attributes));
  EXPECT_EQ(attributes & (kAttributeDirectory | kAttributeHidden), kAttributeHidden);
  ASSERT_TRUE(Real().GetAttributes(directory_, &attributes));
  EXPECT_EQ(attributes & kAttributeDirectory, kAttributeDirectory);
  EXPECT_FALSE(Real().GetAttributes(Path("missing.txt"), &attributes));
}

TEST_F(Win32PlatformTest, FindFilesListsEachMaskInTurn) {
  WriteWhole("a.JPG", "x");
  WriteWhole("b.png", "x");
  WriteWhole("h.jpg", "x", FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(CreateDirectoryA(Path("c.jpg").c_str(), nullptr));

  std::vector<std::vector<FoundFile>> found =
      Real().FindFiles(directory_ + "\\", {"*.jpg", "*.png", "*.gif"});
  ASSERT_EQ(found.size(), 3u);
  std::vector<std::string> jpg;
  for (const FoundFile& entry : found[0]) {
    jpg.push_back(entry.name);
    bool is_directory = entry.attributes & kAttributeDirectory;
    bool is_hidden = entry.attributes & kAttributeHidden;
    EXPECT_EQ(is_directory, entry.name == "c.jpg") << entry.name;
    EXPECT_EQ(is_hidden, entry.name == "h.jpg") << entry.name;
  }
  std::sort(jpg.begin(), jpg.end());
  EXPECT_EQ(jpg, (std::vector<std::string>{"a.JPG", "c.jpg", "h.jpg"}));
  ASSERT_EQ(found[1].size(), 1u);
  EXPECT_EQ(found[1][0].name, "b.png");
  EXPECT_TRUE(found[2].empty());

  found = Real().FindFiles(Path("missing") + "\\", {"*.jpg", "*.png"});
  ASSERT_EQ(found.size(), 2u);
  EXPECT_TRUE(found[0].empty());
  EXPECT_TRUE(found[1].empty());
}

TEST_F(Win32PlatformTest, FileReadWriteSeek) {
  FileHandle file =
      Real().OpenFile(Path("f.txt"), kGenericRead | kGenericWrite, kShareNone, kCreateAlways);
  ASSERT_NE(file, kInvalidFile);
  uint32_t written = 0;
  ASSERT_TRUE(Real().WriteFile(file, "hello world", 11, &written));
  EXPECT_EQ(written, 11u);
  int64_t size = 0;
  ASSERT_TRUE(Real().GetFileSize(file, &size));
  EXPECT_EQ(size, 11);
  ASSERT_TRUE(Real().SeekFile(file, -6, SeekOrigin::kEnd));
  char buffer[16] = {};
  uint32_t read = 0;
  ASSERT_TRUE(Real().ReadFile(file, buffer, sizeof buffer, &read));
  EXPECT_EQ(std::string(buffer, read), " world");
  // The transfer counts may be left out.
  ASSERT_TRUE(Real().SeekFile(file, 0, SeekOrigin::kBegin));
  EXPECT_TRUE(Real().WriteFile(file, "J", 1, nullptr));
  EXPECT_TRUE(Real().ReadFile(file, buffer, 4, nullptr));
  EXPECT_EQ(std::string(buffer, 4), "ello");
  Real().CloseFile(file);

  EXPECT_EQ(Real().OpenFile(Path("f.txt"), kGenericWrite, kShareNone, kCreateNew), kInvalidFile);
  EXPECT_EQ(Real().LastError(), 80u);  // ERROR_FILE_EXISTS
  EXPECT_EQ(Real().OpenFile(Path("none.txt"), kGenericRead, kShareRead, kOpenExisting),
            kInvalidFile);
  EXPECT_EQ(Real().LastError(), kErrorFileNotFound);
  EXPECT_EQ(Real().OpenFile(Path("no\\none.txt"), kGenericRead, kShareRead, kOpenExisting),
            kInvalidFile);
  EXPECT_EQ(Real().LastError(), kErrorPathNotFound);
}

TEST_F(Win32PlatformTest, SharingModesAreEnforced) {
  WriteWhole("shared.txt", "data");
  FileHandle reader = Real().OpenFile(Path("shared.txt"), kGenericRead, kShareRead, kOpenExisting);
  ASSERT_NE(reader, kInvalidFile);
  FileHandle second = Real().OpenFile(Path("shared.txt"), kGenericRead, kShareRead, kOpenExisting);
  EXPECT_NE(second, kInvalidFile);
  Real().CloseFile(second);
  EXPECT_EQ(Real().OpenFile(Path("shared.txt"), kGenericWrite, kShareNone, kOpenExisting),
            kInvalidFile);
  EXPECT_EQ(Real().LastError(), kErrorSharingViolation);
  Real().CloseFile(reader);

  FileHandle owner = Real().OpenFile(Path("shared.txt"), kGenericWrite, kShareNone, kOpenExisting);
  ASSERT_NE(owner, kInvalidFile);
  EXPECT_EQ(Real().OpenFile(Path("shared.txt"), kGenericRead, kShareRead, kOpenExisting),
            kInvalidFile);
  EXPECT_EQ(Real().LastError(), kErrorSharingViolation);
  Real().CloseFile(owner);
}

TEST_F(Win32PlatformTest, ReplaceAndDelete) {
  WriteWhole("new.txt", "new");
  WriteWhole("old.txt", "old");
  ASSERT_TRUE(Real().ReplaceFile(Path("new.txt"), Path("old.txt")));
  EXPECT_EQ(ReadWhole("old.txt"), "new");
  uint32_t attributes = 0;
  EXPECT_FALSE(Real().GetAttributes(Path("new.txt"), &attributes));
  ASSERT_TRUE(Real().DeleteFile(Path("old.txt")));
  EXPECT_FALSE(Real().DeleteFile(Path("old.txt")));
  EXPECT_EQ(Real().LastError(), kErrorFileNotFound);
}

TEST(Win32RegistryTest, BothRootsOpenAndValuesQuery) {
  // Both predefined roots, which 64-bit Windows takes sign-extended.
  RegistryKey key = 0;
  ASSERT_EQ(Real().OpenKey(kHkeyCurrentUser, "Software", kKeyRead, &key), kErrorSuccess);
  Real().CloseKey(key);
  ASSERT_EQ(Real().OpenKey(kHkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                           kKeyRead, &key),
            kErrorSuccess);
  ASSERT_NE(key, 0u);

  uint32_t type = 0;
  uint32_t size = 0;
  ASSERT_EQ(Real().QueryValue(key, "CurrentVersion", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  ASSERT_GT(size, 1u);
  std::string data(size, '\0');
  uint32_t small = 1;
  EXPECT_EQ(Real().QueryValue(key, "CurrentVersion", nullptr, &data[0], &small), kErrorMoreData);
  EXPECT_EQ(small, size);
  ASSERT_EQ(Real().QueryValue(key, "CurrentVersion", &type, &data[0], &size), kErrorSuccess);
  EXPECT_EQ(data.back(), '\0');
  EXPECT_NE(data.find('.'), std::string::npos) << data;
  EXPECT_EQ(Real().QueryValue(key, "NoSuchValue", &type, nullptr, nullptr), kErrorFileNotFound);
  Real().CloseKey(key);

  key = 12345;
  EXPECT_EQ(Real().OpenKey(kHkeyLocalMachine, "Software\\NoSuchKeyForTarnwell", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
}

TEST(Win32ShellTest, LaunchesRegAndReportsMissingPrograms) {
  const std::string key = "Software\\TarnwellPlatformTest";
  uintptr_t result = Real().ShellExecute(
      "runas", "reg.exe", "ADD \"HKCU\\" + key + "\" /V Launched /T REG_DWORD /D 7 /F", "",
      kShowHidden);
  EXPECT_GT(result, 32u);
  // The launch does not wait: poll for the value reg.exe writes.
  DWORD value = 0;
  for (int tries = 0; tries < 200 && value != 7; ++tries) {
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Launched", RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
      Sleep(50);
  }
  EXPECT_EQ(value, 7u);
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());

  EXPECT_EQ(Real().ShellExecute("runas", "no-such-program-tarnwell.exe", "", "", kShowHidden),
            kErrorFileNotFound);
}

TEST(Win32ClockTest, LocaleAndCounters) {
  // The test runs in the en-US locale.
  std::string text;
  ASSERT_TRUE(Real().LocaleText(LocaleField::kShortDate, &text));
  EXPECT_EQ(text, "M/d/yyyy");
  ASSERT_TRUE(Real().LocaleText(LocaleField::kDateSeparator, &text));
  EXPECT_EQ(text, "/");
  ASSERT_TRUE(Real().LocaleText(LocaleField::kTimeSeparator, &text));
  EXPECT_EQ(text, ":");
  ASSERT_TRUE(Real().LocaleText(LocaleField::kTimeFormat, &text));
  EXPECT_EQ(text, "0");
  ASSERT_TRUE(Real().LocaleText(LocaleField::kAmDesignator, &text));
  EXPECT_EQ(text, "AM");
  ASSERT_TRUE(Real().LocaleText(LocaleField::kPmDesignator, &text));
  EXPECT_EQ(text, "PM");

  LocalTime now = Real().Now();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  uint64_t first = 0;
  uint64_t second = 0;
  ASSERT_TRUE(Real().PerformanceCounter(&first));
  Sleep(2);
  ASSERT_TRUE(Real().PerformanceCounter(&second));
  EXPECT_GT(second, first);
}

TEST(Win32ProcessTest, ModuleAndCommandLine) {
  std::string module = Real().ModuleFileName();
  const std::string name = "win32_platform_test.exe";
  ASSERT_GT(module.size(), name.size());
  EXPECT_EQ(module.substr(module.size() - name.size()), name);
  EXPECT_NE(Real().CommandLine().find(name), std::string::npos);

  EXPECT_EQ(Real().CodeOffset(GetModuleHandleA(nullptr)), 0u);
  uintptr_t offset = Real().CodeOffset(reinterpret_cast<const void*>(&Real));
  EXPECT_GT(offset, 0u);
  EXPECT_LT(offset, 0x10000000u);

  bool wow64 = true;
  ASSERT_TRUE(Real().QueryWow64(&wow64));
  if (sizeof(void*) == 8) {
    EXPECT_FALSE(wow64);  // a 64-bit process is never WOW64
  } else {
    EXPECT_TRUE(wow64);  // the 32-bit build runs in a 64-bit prefix, as on 64-bit Windows
  }

  EXPECT_FALSE(Real().IsLeadByte('A'));
  EXPECT_FALSE(Real().ErrorText(kErrorAccessDenied).empty());
  EXPECT_NE(Real().ErrorText(kErrorAccessDenied), Real().ErrorText(kErrorFileNotFound));
}

}  // namespace
}  // namespace platform
