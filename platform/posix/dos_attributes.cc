// DOS attributes: PosixPlatform::GetAttributes.
#include "platform/posix/dos_attributes.h"

#include <sys/xattr.h>

#include "platform/posix/hex_digit.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/status.h"

namespace platform {
namespace {

// The DOS attribute bits Wine and Samba keep in user.DOSATTRIB as hex text
// ("0x22"); any other form counts as none.
uint32_t DosAttributes(const std::string& host_path) {
  char text[64];
  ssize_t size = getxattr(host_path.c_str(), "user.DOSATTRIB", text, sizeof text);
  if (size < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
  uint32_t value = 0;
  ssize_t i = 2;
  for (; i < size && text[i] != '\0'; ++i) {
    int digit = HexDigit(text[i]);
    if (digit < 0 || i >= 10) return 0;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  return i > 2 ? value : 0;
}

}  // namespace

uint32_t AttributesOf(const std::string& name, const std::string& host_path,
                      const struct stat& st) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if (!(st.st_mode & S_IWUSR)) attributes |= kAttributeReadOnly;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= kAttributeHidden;
  attributes |= DosAttributes(host_path) & (kAttributeHidden | kAttributeSystem);
  return attributes;
}

bool PosixPlatform::GetAttributes(const std::string& path, uint32_t* attributes) {
  std::string host;
  if (!MapPath(path, &host)) return false;
  struct stat st;
  if (stat(host.c_str(), &st) != 0) return FailWithErrno(host);  // a link to nowhere too
  std::string trimmed = host;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  *attributes = AttributesOf(trimmed.substr(trimmed.find_last_of('/') + 1), host, st);
  return true;
}

}  // namespace platform
