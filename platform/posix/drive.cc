#include "platform/posix/drive.h"

namespace platform {

std::string HostPath(const std::string& windows_path) { return windows_path; }
std::string WindowsPath(const std::string& host_path) { return host_path; }

}  // namespace platform
