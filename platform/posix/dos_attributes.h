// The DOS attributes of host entries: what a directory search and
// GetAttributes report for them.
#ifndef TARNWELL_PLATFORM_POSIX_DOS_ATTRIBUTES_H_
#define TARNWELL_PLATFORM_POSIX_DOS_ATTRIBUTES_H_

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace platform {

// The attributes of the entry `name` at `host_path`, whose status is `st`:
// directory or archive, read-only without write permission, hidden for a dot
// name, and the hidden and system bits kept in user.DOSATTRIB.
uint32_t AttributesOf(const std::string& name, const std::string& host_path, const struct stat& st);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_DOS_ATTRIBUTES_H_
