#include "platform/posix/posix_platform.h"
#include "platform/posix/registry/encoding.h"

namespace platform {

// The emulated ANSI code page is UTF-8, the one the registry emulation
// assumes: every text is already in it.
std::string PosixPlatform::ToUtf16le(const std::string& text) {
  return registry::AnsiToUtf16le(text);
}

bool PosixPlatform::ToAnsi(const std::string& text, std::string* ansi) {
  *ansi = text;
  return true;
}

}  // namespace platform
