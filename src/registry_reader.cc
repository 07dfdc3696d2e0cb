#include "src/registry_reader.h"

#include <cstring>
#include <vector>

namespace {

// Standard read rights, query value and enumerate subkeys.
constexpr uint32_t kKeyPresentAccess =
    platform::kReadControl | platform::kKeyQueryValue | platform::kKeyEnumerateSubKeys;

// Key paths are given from the root with a leading backslash.
std::string RelativeToRoot(const std::string& path) {
  return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

[[noreturn]] void RaiseFailedToGetData(const std::string& name) {
  ERegistryException::Raise("Failed to get data for '" + name + "'");
}

[[noreturn]] void RaiseInvalidDataType(const std::string& name) {
  ERegistryException::Raise("Invalid data type for '" + name + "'");
}

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(uint32_t access) : access_(access) {}

TRegistry::~TRegistry() { CloseCurrentKey(); }

void TRegistry::SelectRoot(platform::RootKey root) {
  if (root == root_) return;
  CloseCurrentKey();
  root_ = root;
}

bool TRegistry::KeyPresent(const std::string& path) {
  platform::RegistryKey key = 0;
  if (platform::Current().OpenKey(root_, RelativeToRoot(path), kKeyPresentAccess, &key) !=
      platform::kErrorSuccess)
    return false;
  platform::Current().CloseKey(key);
  return true;
}

bool TRegistry::OpenExistingKey(const std::string& path) {
  platform::RegistryKey key = 0;
  if (platform::Current().OpenKey(root_, RelativeToRoot(path), access_, &key) !=
      platform::kErrorSuccess)
    return false;
  CloseCurrentKey();
  current_key_ = key;
  current_path_ = path;
  return true;
}

bool TRegistry::ValuePresent(const std::string& name) {
  uint32_t type = 0, size = 0;
  return platform::Current().QueryValue(current_key_, name, &type, nullptr, &size) ==
         platform::kErrorSuccess;
}

TRegDataType TRegistry::ValueKind(const std::string& name) {
  uint32_t type = 0, size = 0;
  if (platform::Current().QueryValue(current_key_, name, &type, nullptr, &size) !=
      platform::kErrorSuccess)
    return TRegDataType::kOther;
  switch (type) {
    case platform::kRegSz:
      return TRegDataType::kString;
    case platform::kRegExpandSz:
      return TRegDataType::kExpandString;
    case platform::kRegDword:
      return TRegDataType::kInteger;
    case platform::kRegBinary:
      return TRegDataType::kBinary;
    default:
      return TRegDataType::kOther;
  }
}

std::string TRegistry::ReadText(const std::string& name) {
  uint32_t type = 0, size = 0;
  if (platform::Current().QueryValue(current_key_, name, &type, nullptr, &size) !=
          platform::kErrorSuccess ||
      size == 0)
    return std::string();
  std::vector<char> data(size);
  if (platform::Current().QueryValue(current_key_, name, &type, data.data(), &size) !=
      platform::kErrorSuccess)
    RaiseFailedToGetData(name);
  if (type != platform::kRegSz && type != platform::kRegExpandSz) RaiseInvalidDataType(name);
  // The text ends at its first zero byte, or with the data.
  const char* begin = data.data();
  const char* end = static_cast<const char*>(std::memchr(begin, '\0', size));
  return std::string(begin, end ? end : begin + size);
}

int32_t TRegistry::ReadNumber(const std::string& name) {
  unsigned char data[4] = {0, 0, 0, 0};
  uint32_t type = 0, size = sizeof(data);
  if (platform::Current().QueryValue(current_key_, name, &type, data, &size) !=
      platform::kErrorSuccess)
    RaiseFailedToGetData(name);
  if (type != platform::kRegDword) RaiseInvalidDataType(name);
  // Registry numbers are little-endian.
  return static_cast<int32_t>(uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
                              uint32_t{data[3]} << 24);
}

void TRegistry::CloseCurrentKey() {
  if (current_key_ != 0) platform::Current().CloseKey(current_key_);
  current_key_ = 0;
  current_path_.clear();
}

bool TRegistryX::ReadFlagOr(const std::string& name, bool default_value) {
  if (ValuePresent(name) && ValueKind(name) == TRegDataType::kInteger) return ReadFlag(name);
  return default_value;
}

std::string TRegistryX::ReadTextOr(const std::string& name, const std::string& default_value) {
  if (ValuePresent(name) && ValueKind(name) == TRegDataType::kString) return ReadText(name);
  return default_value;
}

int32_t TRegistryX::ReadNumberOr(const std::string& name, int32_t default_value) {
  if (ValuePresent(name) && ValueKind(name) == TRegDataType::kInteger) return ReadNumber(name);
  return default_value;
}
