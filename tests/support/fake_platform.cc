#include "tests/support/fake_platform.h"

#include <cstring>
#include <new>

uint32_t FakePlatform::OpenKey(platform::RootKey root, const std::string& subkey, uint32_t access,
                               platform::RegistryKey* key) {
  key_opens_.push_back({root, subkey, access});
  *key = 0;
  auto found = keys_.find({root, subkey});
  if (found == keys_.end()) return platform::kErrorFileNotFound;
  *key = key_opens_.size();
  open_keys_[*key] = &found->second;
  return platform::kErrorSuccess;
}

uint32_t FakePlatform::QueryValue(platform::RegistryKey key, const std::string& name,
                                  uint32_t* type, void* data, uint32_t* size) {
  auto value = open_keys_.at(key)->find(name);
  if (value == open_keys_.at(key)->end()) return platform::kErrorFileNotFound;
  if (type) *type = value->second.type;
  const uint32_t needed = static_cast<uint32_t>(value->second.data.size());
  if (data && *size < needed) {
    *size = needed;
    return platform::kErrorMoreData;
  }
  if (data) std::memcpy(data, value->second.data.data(), needed);
  if (size) *size = needed;
  return platform::kErrorSuccess;
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
