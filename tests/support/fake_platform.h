// The emulated Windows with the parts the program's unit tests set: a record
// of how registry keys are opened, the locale, the random seeds, WOW64, and
// writes that fail.
#ifndef TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "platform/posix/status.h"
#include "tests/support/scratch.h"

class FakePlatform : public platform::PosixPlatform {
 public:
  using KeyOpen = std::tuple<platform::RootKey, std::string, uint32_t>;  // root, subkey, access

  // Writes a value into the emulated registry of `folder`'s prefix.
  void SetValue(platform::RootKey root, const std::string& key, const std::string& name,
                uint32_t type, const std::string& data);
  const std::vector<KeyOpen>& key_opens() const { return key_opens_; }

  // The test's own folder, holding the prefix that paths on C: and the
  // current directory's Windows name bring into being.
  testing_support::ScratchFolder folder;
  std::map<platform::LocaleField, std::string> locale;  // missing: no such setting
  std::optional<uint64_t> performance_counter = 1;
  uint32_t tick_count = 0;
  std::optional<bool> wow64;  // empty: IsWow64Process is absent
  // Writes move half their data and fail as on a full disk.
  bool fail_writes = false;
  bool fail_replace = false;
  bool out_of_memory = false;  // the locale's first read throws std::bad_alloc
  std::string standard_error;
  // When set, every launch returns it and starts nothing, so that a waited
  // launch has no process to wait for.
  uintptr_t shell_result = 0;

  uint32_t OpenKey(platform::RootKey root, const std::string& subkey, uint32_t access,
                   platform::RegistryKey* key) override;
  void CloseKey(platform::RegistryKey key) override {
    open_keys_.erase(key);
    PosixPlatform::CloseKey(key);
  }
  size_t open_key_count() const { return open_keys_.size(); }
  uintptr_t ShellExecute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show_command) override {
    return shell_result
               ? shell_result
               : PosixPlatform::ShellExecute(verb, file, parameters, directory, show_command);
  }
  platform::WaitedLaunch ShellExecuteAndWait(const std::string& verb, const std::string& file,
                                             const std::string& parameters,
                                             const std::string& directory,
                                             int show_command) override {
    return shell_result ? platform::WaitedLaunch{shell_result, false, 0}
                        : PosixPlatform::ShellExecuteAndWait(verb, file, parameters, directory,
                                                             show_command);
  }
  bool WriteFile(platform::FileHandle file, const void* data, uint32_t size,
                 uint32_t* written) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override {
    return fail_replace ? Fail(platform::kErrorAccessDenied) : PosixPlatform::ReplaceFile(from, to);
  }
  bool LocaleText(platform::LocaleField field, std::string* text) override;
  bool PerformanceCounter(uint64_t* count) override;
  uint32_t TickCount() override { return tick_count; }
  bool QueryWow64(bool* result) override;
  void WriteStandardError(const std::string& text) override { standard_error += text; }

 private:
  static bool Fail(uint32_t status) {
    platform::SetLastError(status);
    return false;
  }

  std::set<platform::RegistryKey> open_keys_;
  std::vector<KeyOpen> key_opens_;
};

#endif  // TARNWELL_TESTS_SUPPORT_FAKE_PLATFORM_H_
