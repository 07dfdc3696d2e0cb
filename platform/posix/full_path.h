// Absolute Windows paths, as GetFullPathNameA forms them.
#ifndef TARNWELL_PLATFORM_POSIX_FULL_PATH_H_
#define TARNWELL_PLATFORM_POSIX_FULL_PATH_H_

#include <string>

namespace platform {

// `path` made absolute against `current_directory` (an absolute Windows path
// such as "Z:\tmp"): '/' becomes '\', runs of separators collapse, "." and
// ".." are resolved (never above the root), a single dot ending a directory
// name and the dots and blanks ending the last name are dropped. A trailing
// separator is kept. "X:name" is taken from the current directory when X is
// the current drive, else from X's root. An empty path gives an empty string.
std::string FullWindowsPath(const std::string& path, const std::string& current_directory);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_FULL_PATH_H_
