// Taking the read-only attribute off a file.
#include "platform/win32/win32_platform.h"

#include "platform/win32/wide_text.h"

namespace platform {

bool Win32Platform::ClearReadOnly(const std::string& path) {
  const Wide wide_path(path);
  DWORD attributes = GetFileAttributesW(wide_path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         SetFileAttributesW(wide_path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace platform
