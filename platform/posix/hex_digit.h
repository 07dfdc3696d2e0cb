// Hexadecimal digits, as the registry's files, reg's command line and the
// DOS attributes of files write them.
#ifndef TARNWELL_PLATFORM_POSIX_HEX_DIGIT_H_
#define TARNWELL_PLATFORM_POSIX_HEX_DIGIT_H_

namespace platform {

// The value of a hexadecimal digit of either case, or -1 for any other byte.
inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_HEX_DIGIT_H_
