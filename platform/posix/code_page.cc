#include "platform/posix/posix_platform.h"
#include "platform/posix/registry/encoding.h"

namespace platform {

// The emulated ANSI code page is the one the registry emulation assumes.
std::string PosixPlatform::AnsiToUtf16le(const std::string& text) {
  return registry::AnsiToUtf16le(text);
}

}  // namespace platform
