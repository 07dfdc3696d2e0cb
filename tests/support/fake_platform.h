// A platform for the program's unit tests: an in-memory registry, recorded
// shell launches, a set clock and locale, captured standard error. Files and
// paths go to the real (emulated) platform, so file tests use a temporary
// directory.
#ifndef TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <exception>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

class FakePlatform : public platform::Platform {
 public:
  struct Value {
    uint32_t type = platform::kRegNone;
    std::string data;
  };
  struct Launch {
    std::string verb, file, parameters, directory;
    int show_command = -1;
  };
  struct KeyOpen {
    platform::RootKey root;
    std::string subkey;
    uint32_t access;
  };

  FakePlatform();
  ~FakePlatform() override;

  // Registry contents. Keys are matched without regard to case.
  void SetValue(platform::RootKey root, const std::string& key, const std::string& name,
                uint32_t type, const std::string& data);
  void SetDword(platform::RootKey root, const std::string& key, const std::string& name,
                uint32_t value);
  void SetString(platform::RootKey root, const std::string& key, const std::string& name,
                 const std::string& text);  // stored with its closing zero
  // Access rights a key grants; opening it asking for more is refused.
  void SetGrantedAccess(platform::RootKey root, const std::string& key, uint32_t granted);
  bool KeyExists(platform::RootKey root, const std::string& key) const;
  size_t OpenKeyCount() const { return open_keys_.size(); }
  const std::vector<KeyOpen>& key_opens() const { return key_opens_; }
  // The next QueryValue calls with data fail with this status.
  void FailDataQueries(uint32_t status) { data_query_failure_ = status; }

  // Shell launches: each returns the next result of `launch_results`, then 42.
  std::vector<uintptr_t> launch_results;
  const std::vector<Launch>& launches() const { return launches_; }

  std::string command_line = "tarnwell.exe";
  std::string module_file_name = "C:\\Program Files\\Quorvane\\tarnwell.exe";
  std::string current_directory;
  std::string standard_error;
  platform::LocalTime now;
  std::map<platform::LocaleField, std::string> locale;  // missing: no such setting
  std::optional<uint64_t> performance_counter = 1;
  uint32_t tick_count = 0;
  std::optional<bool> wow64;  // empty: IsWow64Process is absent
  bool double_byte = false;   // when true, the ANSI code page is 932
  uintptr_t code_offset = 0x1234;
  // Makes a file operation fail; "" means none.
  std::string fail_open_of;
  bool fail_writes = false;
  bool fail_replace = false;
  // Errors thrown from inside an operation, as the C++ runtime would throw
  // them: from the command line's read (unguarded), from a registry query
  // with data (inside a guarded region) or from the clock (inside the log).
  std::exception_ptr command_line_error;
  std::exception_ptr query_error;
  std::exception_ptr clock_error;
  // Every address CodeOffset was asked about.
  std::vector<const void*> code_addresses;

  // Platform. Files and paths go to the real platform.
  uint32_t OpenKey(platform::RootKey root, const std::string& subkey, uint32_t access,
                   platform::RegistryKey* key) override;
  uint32_t QueryValue(platform::RegistryKey key, const std::string& name, uint32_t* type,
                      void* data, uint32_t* size) override;
  void CloseKey(platform::RegistryKey key) override;
  uintptr_t ShellExecute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show_command) override;
  std::vector<std::vector<platform::FoundFile>> FindFiles(
      const std::string& prefix, const std::vector<std::string>& masks) override {
    return real_.FindFiles(prefix, masks);
  }
  platform::FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                                uint32_t disposition) override;
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
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  uint32_t LastError() override;
  std::string ErrorText(uint32_t code) override { return real_.ErrorText(code); }
  bool GetAttributes(const std::string& path, uint32_t* attributes) override {
    return real_.GetAttributes(path, attributes);
  }
  std::string FullPath(const std::string& path) override { return real_.FullPath(path); }
  std::string CurrentDirectory() override { return current_directory; }
  bool IsLeadByte(unsigned char byte) override;
  platform::LocalTime Now() override;
  bool LocaleText(platform::LocaleField field, std::string* text) override;
  bool PerformanceCounter(uint64_t* count) override;
  uint32_t TickCount() override { return tick_count; }
  bool QueryWow64(bool* wow64) override;
  std::string CommandLine() override;
  std::string ModuleFileName() override { return module_file_name; }
  uintptr_t CodeOffset(const void* address) override;
  void WriteStandardError(const std::string& text) override { standard_error += text; }
  bool ClearReadOnly(const std::string& path) override { return real_.ClearReadOnly(path); }
  std::string AnsiToUtf16le(const std::string& text) override { return real_.AnsiToUtf16le(text); }

 private:
  struct Key {
    std::map<std::string, Value> values;  // by lower-case name
    uint32_t granted = 0xFFFFFFFF;
  };
  Key& KeyAt(platform::RootKey root, const std::string& key);

  platform::Platform& real_;
  std::map<std::string, Key> keys_;  // by root and lower-case path
  std::map<platform::RegistryKey, const Key*> open_keys_;
  platform::RegistryKey next_key_ = 1;
  std::vector<KeyOpen> key_opens_;
  std::vector<Launch> launches_;
  uint32_t data_query_failure_ = platform::kErrorSuccess;
  uint32_t last_error_ = 0;
};

// A fresh host directory for a test's files, removed with its contents.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  const std::string& host() const { return host_; }
  const std::string& windows() const { return windows_; }  // as Z:\...
  // Host and Windows paths of a file in the directory.
  std::string HostFile(const std::string& name) const { return host_ + "/" + name; }
  std::string WindowsFile(const std::string& name) const { return windows_ + "\\" + name; }

 private:
  std::string host_;
  std::string windows_;
};

std::string ReadHostFile(const std::string& path);
void WriteHostFile(const std::string& path, const std::string& content);

#endif  // TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_
