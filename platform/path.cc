#include "platform/path.h"

#include "platform/platform.h"

namespace platform {

size_t CharacterLength(const std::string& text, size_t index) {
  if (index + 1 < text.size() && Current().IsLeadByte(static_cast<unsigned char>(text[index])))
    return 2;
  return 1;
}

std::string IncludeTrailingDelimiter(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); i += CharacterLength(path, i)) last = i;
  if (last != std::string::npos && last == path.size() - 1 && path[last] == '\\') return path;
  return path + '\\';
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
