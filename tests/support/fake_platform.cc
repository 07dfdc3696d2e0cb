#include "tests/support/fake_platform.h"

#include <cstdlib>
#include <new>

#include "platform/posix/prefix.h"
#include "platform/posix/registry/hive_store.h"

void FakePlatform::SetValue(platform::RootKey root, const std::string& key, const std::string& name,
                            uint32_t type, const std::string& data) {
  registry::HiveSession session(platform::PrefixDirectory(), registry::HiveSession::Mode::kWrite);
  std::string error;
  session.HiveForChange(root, &error)->Create(key)->SetValue(name, type, data);
  if (!session.Commit(&error)) std::abort();
}

uint32_t FakePlatform::OpenKey(platform::RootKey root, const std::string& subkey, uint32_t access,
                               platform::RegistryKey* key) {
  key_opens_.push_back({root, subkey, access});
  const uint32_t status = PosixPlatform::OpenKey(root, subkey, access, key);
  if (status == platform::kErrorSuccess) open_keys_.insert(*key);
  return status;
}

bool FakePlatform::WriteFile(platform::FileHandle file, const void* data, uint32_t size,
                             uint32_t* written) {
  if (!fail_writes) return PosixPlatform::WriteFile(file, data, size, written);
  PosixPlatform::WriteFile(file, data, size / 2, written);
  return Fail(platform::kErrorDiskFull);
}

bool FakePlatform::LocaleText(platform::LocaleField field, std::string* text) {
  if (out_of_memory) throw std::bad_alloc();
  auto found = locale.find(field);
  if (found == locale.end()) return false;
  *text = found->second;
  return true;
}

bool FakePlatform::PerformanceCounter(uint64_t* count) {
  if (performance_counter) *count = *performance_counter;
  return performance_counter.has_value();
}

bool FakePlatform::QueryWow64(bool* result) {
  if (wow64) *result = *wow64;
  return wow64.has_value();
}
