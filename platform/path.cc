#include "platform/path.h"

#include "platform/platform.h"

namespace platform {

std::string IncludeTrailingDelimiter(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + '\\';
}

bool FileExists(const std::string& path) {
  uint32_t attributes = 0;
  return Current().GetAttributes(path, &attributes) && !(attributes & kAttributeDirectory);
}

bool DirectoryExists(const std::string& path) {
  uint32_t attributes = 0;
  return Current().GetAttributes(path, &attributes) && (attributes & kAttributeDirectory);
}

}  // namespace platform
