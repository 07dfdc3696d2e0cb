#include <sys/stat.h>

#include "platform/posix/drive.h"
#include "platform/posix/posix_platform.h"

namespace platform {

// Read-only is the absence of write permission: the owner gets it back.
bool PosixPlatform::ClearReadOnly(const std::string& path) {
  const std::string host = HostPath(path);
  struct stat st;
  return !host.empty() && stat(host.c_str(), &st) == 0 &&
         chmod(host.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

}  // namespace platform
