#include "platform/posix/wildcard.h"

namespace platform {

bool MatchesWildcard(const std::string& mask, const std::string& name) { return mask == name; }

}  // namespace platform
