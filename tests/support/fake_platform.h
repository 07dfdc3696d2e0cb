// A platform for the program's unit tests: an in-memory registry that records
// how keys are opened, a set clock, locale and code page, failing writes.
// Files and paths go to the real (emulated) platform.
#ifndef TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

class FakePlatform : public platform::Platform {
 public:
  struct KeyOpen {
    platform::RootKey root;
    std::string subkey;
    uint32_t access;
    bool operator==(const KeyOpen& other) const {
      return root == other.root && subkey == other.subkey && access == other.access;
    }
  };

  FakePlatform() : real_(platform::RealPlatform()) {}

  // Registry contents; names are matched as given.
  void SetValue(platform::RootKey root, const std::string& key, const std::string& name,
                uint32_t type, const std::string& data) {
    keys_[{root, key}][name] = {type, data};
  }
  const std::vector<KeyOpen>& key_opens() const { return key_opens_; }

  std::string command_line = "tarnwell.exe";
  std::string current_directory;
  std::string standard_error;
  platform::LocalTime now = {2026, 12, 6, 14, 30, 5};
  std::map<platform::LocaleField, std::string> locale;  // missing: no such setting
  std::optional<uint64_t> performance_counter = 1;
  uint32_t tick_count = 0;
  std::optional<bool> wow64;  // empty: IsWow64Process is absent
  bool double_byte = false;   // when true, the ANSI code page is 932
  // Writes move half their data and fail as on a full disk.
  bool fail_writes = false;
  bool fail_replace = false;

  uint32_t OpenKey(platform::RootKey root, const std::string& subkey, uint32_t access,
                   platform::RegistryKey* key) override;
  uint32_t QueryValue(platform::RegistryKey key, const std::string& name, uint32_t* type,
                      void* data, uint32_t* size) override;
  void CloseKey(platform::RegistryKey) override {}
  uintptr_t ShellExecute(const std::string&, const std::string&, const std::string&,
                         const std::string&, int) override {
    return 42;
  }
  std::vector<std::vector<platform::FoundFile>> FindFiles(
      const std::string& prefix, const std::vector<std::string>& masks) override {
    return real_.FindFiles(prefix, masks);
  }
  platform::FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                                uint32_t disposition) override {
    return real_.OpenFile(path, access, share, disposition);
  }
  bool ReadFile(platform::FileHandle file, void* buffer, uint32_t size, uint32_t* read) override {
    return real_.ReadFile(file, buffer, size, read);
  }
  bool WriteFile(platform::FileHandle file, const void* data, uint32_t size,
                 uint32_t* written) override;
  bool SeekFile(platform::FileHandle file, int64_t offset, platform::SeekOrigin origin) override {
    return real_.SeekFile(file, offset, origin);
  }
  bool GetFileSize(platform::FileHandle file, int64_t* size) override {
    return real_.GetFileSize(file, size);
  }
  void CloseFile(platform::FileHandle file) override { real_.CloseFile(file); }
  bool DeleteFile(const std::string& path) override { return real_.DeleteFile(path); }
  bool ReplaceFile(const std::string& from, const std::string& to) override {
    return fail_replace ? Fail(platform::kErrorAccessDenied) : real_.ReplaceFile(from, to);
  }
  uint32_t LastError() override { return last_error_ ? last_error_ : real_.LastError(); }
  std::string ErrorText(uint32_t code) override { return real_.ErrorText(code); }
  bool GetAttributes(const std::string& path, uint32_t* attributes) override {
    return real_.GetAttributes(path, attributes);
  }
  std::string FullPath(const std::string& path) override { return real_.FullPath(path); }
  std::string CurrentDirectory() override { return current_directory; }
  bool IsLeadByte(unsigned char byte) override;
  bool ClearReadOnly(const std::string& path) override { return real_.ClearReadOnly(path); }
  std::string AnsiToUtf16le(const std::string& text) override { return real_.AnsiToUtf16le(text); }
  platform::LocalTime Now() override { return now; }
  bool LocaleText(platform::LocaleField field, std::string* text) override;
  bool PerformanceCounter(uint64_t* count) override;
  uint32_t TickCount() override { return tick_count; }
  bool QueryWow64(bool* result) override;
  std::string CommandLine() override { return command_line; }
  std::string ModuleFileName() override { return "C:\\Program Files\\Quorvane\\tarnwell.exe"; }
  uintptr_t CodeOffset(const void*) override { return 0x1234; }
  void WriteStandardError(const std::string& text) override { standard_error += text; }

 private:
  struct Value {
    uint32_t type;
    std::string data;
  };
  using Key = std::map<std::string, Value>;
  bool Fail(uint32_t status) {
    last_error_ = status;
    return false;
  }

  platform::Platform& real_;
  std::map<std::pair<platform::RootKey, std::string>, Key> keys_;
  std::map<platform::RegistryKey, const Key*> open_keys_;
  std::vector<KeyOpen> key_opens_;
  uint32_t last_error_ = 0;
};

#endif  // TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_
