// Registry value types and the rules that depend on them.
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_REGISTRY_TYPES_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_REGISTRY_TYPES_H_

#include <cstdint>

#include "platform/platform.h"

namespace registry {

using platform::kRegBinary;
using platform::kRegDword;
using platform::kRegExpandSz;
using platform::kRegMultiSz;
using platform::kRegNone;
using platform::kRegQword;
using platform::kRegSz;
constexpr uint32_t kRegDwordBigEndian = 5;

// Types whose data the ANSI registry functions convert between code pages.
inline bool IsStringType(uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_REGISTRY_TYPES_H_
