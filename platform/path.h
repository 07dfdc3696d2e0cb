// Path helpers shared by every build, written over the platform's operations.
#ifndef TARNWELL_PLATFORM_PATH_H_
#define TARNWELL_PLATFORM_PATH_H_

#include <cstddef>
#include <string>

namespace platform {

// Bytes taken by the character that starts at `text[index]`: 2 for the lead
// byte of a double-byte character followed by its trail byte, else 1. Walking
// a string by this keeps trail bytes from being read as characters.
size_t CharacterLength(const std::string& text, size_t index);

// `path` with a backslash appended unless it already ends with one; an empty
// path becomes a single backslash.
std::string IncludeTrailingDelimiter(const std::string& path);

// True when `path` names an existing entry that is not a directory.
bool FileExists(const std::string& path);

// True when `path` names an existing directory.
bool DirectoryExists(const std::string& path);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_PATH_H_
