// Hexadecimal digits, as registry files, reg's command line, the DOS
// attributes of files and the program's backup check write them.
#ifndef TARNWELL_PLATFORM_HEX_DIGIT_H_
#define TARNWELL_PLATFORM_HEX_DIGIT_H_

namespace platform {

// The value of a hexadecimal digit of either case, or -1 for any other byte.
inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace platform

#endif  // TARNWELL_PLATFORM_HEX_DIGIT_H_
