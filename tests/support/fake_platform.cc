#include "tests/support/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/posix/drive.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string KeyName(platform::RootKey root, const std::string& key) {
  return std::to_string(root) + ":" + Lower(key);
}

}  // namespace

FakePlatform::FakePlatform()
    : current_directory(platform::RealPlatform().CurrentDirectory()),
      real_(platform::RealPlatform()) {}

FakePlatform::~FakePlatform() = default;

FakePlatform::Key& FakePlatform::KeyAt(platform::RootKey root, const std::string& key) {
  return keys_[KeyName(root, key)];
}

void FakePlatform::SetValue(platform::RootKey root, const std::string& key, const std::string& name,
                            uint32_t type, const std::string& data) {
  KeyAt(root, key).values[Lower(name)] = Value{type, data};
}

void FakePlatform::SetDword(platform::RootKey root, const std::string& key, const std::string& name,
                            uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(value >> (8 * i));
  SetValue(root, key, name, platform::kRegDword, data);
}

void FakePlatform::SetString(platform::RootKey root, const std::string& key,
                             const std::string& name, const std::string& text) {
  SetValue(root, key, name, platform::kRegSz, text + '\0');
}

void FakePlatform::SetGrantedAccess(platform::RootKey root, const std::string& key,
                                    uint32_t granted) {
  KeyAt(root, key).granted = granted;
}

bool FakePlatform::KeyExists(platform::RootKey root, const std::string& key) const {
  return keys_.count(KeyName(root, key)) != 0;
}

uint32_t FakePlatform::OpenKey(platform::RootKey root, const std::string& subkey, uint32_t access,
                               platform::RegistryKey* key) {
  key_opens_.push_back({root, subkey, access});
  *key = 0;
  auto found = keys_.find(KeyName(root, subkey));
  if (found == keys_.end()) return platform::kErrorFileNotFound;
  if ((access & ~platform::kKeyWow64Views) & ~found->second.granted)
    return platform::kErrorAccessDenied;
  *key = next_key_++;
  open_keys_[*key] = &found->second;
  return platform::kErrorSuccess;
}

uint32_t FakePlatform::QueryValue(platform::RegistryKey key, const std::string& name,
                                  uint32_t* type, void* data, uint32_t* size) {
  auto open = open_keys_.find(key);
  if (open == open_keys_.end()) return platform::kErrorInvalidHandle;
  auto value = open->second->values.find(Lower(name));
  if (value == open->second->values.end()) return platform::kErrorFileNotFound;
  if (data && query_error) std::rethrow_exception(query_error);
  if (data && data_query_failure_ != platform::kErrorSuccess) return data_query_failure_;
  if (type) *type = value->second.type;
  const uint32_t needed = static_cast<uint32_t>(value->second.data.size());
  if (data && *size < needed) {
    *size = needed;
    return platform::kErrorMoreData;
  }
  if (data) std::memcpy(data, value->second.data.data(), needed);
  *size = needed;
  return platform::kErrorSuccess;
}

void FakePlatform::CloseKey(platform::RegistryKey key) { open_keys_.erase(key); }

uintptr_t FakePlatform::ShellExecute(const std::string& verb, const std::string& file,
                                     const std::string& parameters, const std::string& directory,
                                     int show_command) {
  const size_t index = launches_.size();
  launches_.push_back({verb, file, parameters, directory, show_command});
  return index < launch_results.size() ? launch_results[index] : 42;
}

platform::FileHandle FakePlatform::OpenFile(const std::string& path, uint32_t access,
                                            uint32_t share, uint32_t disposition) {
  if (!fail_open_of.empty() && path == fail_open_of) {
    last_error_ = platform::kErrorAccessDenied;
    return platform::kInvalidFile;
  }
  last_error_ = 0;
  return real_.OpenFile(path, access, share, disposition);
}

bool FakePlatform::WriteFile(platform::FileHandle file, const void* data, uint32_t size,
                             uint32_t* written) {
  if (fail_writes) {
    // Half the data reaches the disk, as when the disk fills.
    real_.WriteFile(file, data, size / 2, written);
    last_error_ = platform::kErrorDiskFull;
    return false;
  }
  return real_.WriteFile(file, data, size, written);
}

bool FakePlatform::ReplaceFile(const std::string& from, const std::string& to) {
  if (fail_replace) {
    last_error_ = platform::kErrorAccessDenied;
    return false;
  }
  return real_.ReplaceFile(from, to);
}

uint32_t FakePlatform::LastError() { return last_error_ ? last_error_ : real_.LastError(); }

std::string FakePlatform::CommandLine() {
  if (command_line_error) std::rethrow_exception(command_line_error);
  return command_line;
}

platform::LocalTime FakePlatform::Now() {
  if (clock_error) std::rethrow_exception(clock_error);
  return now;
}

uintptr_t FakePlatform::CodeOffset(const void* address) {
  code_addresses.push_back(address);
  return code_offset;
}

bool FakePlatform::IsLeadByte(unsigned char byte) {
  // Code page 932's lead bytes.
  return double_byte && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

bool FakePlatform::LocaleText(platform::LocaleField field, std::string* text) {
  auto found = locale.find(field);
  if (found == locale.end()) return false;
  *text = found->second;
  return true;
}

bool FakePlatform::PerformanceCounter(uint64_t* count) {
  if (!performance_counter) return false;
  *count = *performance_counter;
  return true;
}

bool FakePlatform::QueryWow64(bool* result) {
  if (!wow64) return false;
  *result = *wow64;
  return true;
}

TemporaryDirectory::TemporaryDirectory() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/tarnwell-test-XXXXXX";
  host_ = mkdtemp(pattern.data());
  windows_ = platform::WindowsPath(host_);
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(host_, ignored);
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteHostFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}
