// A registry-editor file's bytes as lines of ANSI text and the kind of its
// header. A file that starts with the UTF-16LE byte-order mark is UTF-16LE;
// any other is already in the emulated ANSI code page (UTF-8).
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_TEXT_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_TEXT_H_

#include <string>
#include <vector>

namespace registry {

enum class RegFileHeader {
  kVersion5,  // "Windows Registry Editor Version 5.00"
  kVersion4,  // "REGEDIT4"
  kIgnored,   // "REGEDIT" alone or followed by other text: nothing applies
  kInvalid,   // not a registry file
};

struct RegFileText {
  RegFileHeader header = RegFileHeader::kInvalid;
  bool wide = false;               // UTF-16LE
  std::vector<std::string> lines;  // the lines after the header
};

RegFileText ReadRegFileText(const std::string& bytes);

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_TEXT_H_
