// The attributes of the entry a path names.
#include "platform/win32/win32_platform.h"

#include "platform/win32/wide_text.h"

namespace platform {

bool Win32Platform::GetAttributes(const std::string& path, uint32_t* attributes) {
  DWORD value = GetFileAttributesW(Wide(path));
  if (value == INVALID_FILE_ATTRIBUTES) return false;
  *attributes = value;
  return true;
}

}  // namespace platform
