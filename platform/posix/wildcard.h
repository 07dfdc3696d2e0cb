// Wildcard matching of long file names as FindFirstFile does it.
#ifndef TARNWELL_PLATFORM_POSIX_WILDCARD_H_
#define TARNWELL_PLATFORM_POSIX_WILDCARD_H_

#include <string>

namespace platform {

// True when `name` matches `mask`: '*' matches any run of characters, '?'
// exactly one, and ASCII letters match regardless of case.
bool MatchesWildcard(const std::string& mask, const std::string& name);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_WILDCARD_H_
