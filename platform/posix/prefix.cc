#include "platform/posix/prefix.h"

#include <cstdlib>

namespace platform {

const std::string& PrefixDirectory() {
  static const std::string prefix =
      std::getenv("TARNWELL_PREFIX") ? std::getenv("TARNWELL_PREFIX") : "/tmp/tarnwell";
  return prefix;
}

}  // namespace platform
