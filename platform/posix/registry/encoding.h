// Conversions between the emulated ANSI code page (UTF-8) and UTF-16LE, the
// encoding of Unicode registry files.
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_ENCODING_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_ENCODING_H_

#include <string>

namespace registry {

// UTF-16LE bytes of ANSI text. A byte that starts no valid UTF-8 sequence
// becomes U+FFFD, as MultiByteToWideChar does.
std::string AnsiToUtf16le(const std::string& ansi);

// ANSI text of UTF-16LE bytes; an odd last byte is dropped. An unpaired
// surrogate is kept, encoded as UTF-8 encodes other code points, so that
// the text converts back to the same units, as the registry keeps them.
std::string Utf16leToAnsi(const std::string& utf16le);

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_ENCODING_H_
