// Drive mapping of the emulated Windows: C: is the prefix's drive_c, Z: is the
// host's root. Paths are read by the rules of platform.h; one that starts with
// a single separator is taken from the root of the current drive, a relative
// one from the current directory.
#ifndef TARNWELL_PLATFORM_POSIX_DRIVE_H_
#define TARNWELL_PLATFORM_POSIX_DRIVE_H_

#include <string>

namespace platform {

// The host path of a Windows path (absolute or relative, or full behind the
// literal prefix); empty when the path names a drive that does not exist.
std::string HostPath(const std::string& windows_path);

// The Windows path of an absolute host path: under drive_c as C:\..., anything
// else as Z:\...
std::string WindowsPath(const std::string& host_path);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_DRIVE_H_
