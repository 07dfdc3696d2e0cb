// Wildcard searches of a directory.
#include "platform/win32/win32_platform.h"

#include "platform/win32/wide_text.h"

namespace platform {

std::vector<std::vector<FoundFile>> Win32Platform::FindFiles(
    const std::string& prefix, const std::vector<std::string>& masks) {
  std::vector<std::vector<FoundFile>> found(masks.size());
  for (size_t i = 0; i < masks.size(); ++i) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(Wide(prefix + masks[i]), &entry);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      found[i].push_back(FoundFile{Narrow(entry.cFileName, -1), entry.dwFileAttributes});
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  return found;
}

}  // namespace platform
