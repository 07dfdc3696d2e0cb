// Path helpers shared by every build, written over the platform's operations.
#ifndef TARNWELL_PLATFORM_PATH_H_
#define TARNWELL_PLATFORM_PATH_H_

#include <cstddef>
#include <string>

namespace platform {

// `path` with a backslash appended unless it already ends with one; an empty
// path becomes a single backslash.
std::string IncludeTrailingDelimiter(const std::string& path);

// True when `path` names an existing entry that is not a directory.
bool FileExists(const std::string& path);

// True when `path` names an existing directory.
bool DirectoryExists(const std::string& path);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_PATH_H_
