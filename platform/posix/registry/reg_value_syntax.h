// The pieces of a value line of a registry-editor file: quoted text, dword:
// numbers, the type of hex(N): and one line of a hex list. Numbers are read
// as the C library's strtoul does for Windows' reg.exe, whose range error
// stays set for the rest of the file (`*out_of_range`).
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_REG_VALUE_SYNTAX_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_REG_VALUE_SYNTAX_H_

#include <cstdint>
#include <functional>
#include <string>

namespace registry {

bool IsBlank(char c);  // a blank of the format: space or tab
size_t SkipBlanks(const std::string& text, size_t pos);

// Reads a double-quoted string from just after its opening quote, undoing
// \\ \" \n and \r; any other escaped character stands for itself and is
// reported to `unknown_escape`. False for an unclosed string or a \0.
// `*pos` ends after the closing quote.
bool ReadQuoted(const std::string& line, size_t* pos, std::string* text,
                const std::function<void(const std::string&)>& unknown_escape);

// The text after "dword:": at most eight hex digits, then blanks, then the
// end or a comment.
bool ReadDword(const std::string& text, size_t pos, uint32_t* number);

// The text after "hex(": a number and "):". `*pos` ends after the colon.
bool ReadHexType(const std::string& text, size_t* pos, uint32_t* type, bool* out_of_range);

enum class HexLine {
  kEnd,        // the list ends on this line
  kContinued,  // a backslash continues it on the next line
  kBad,
};

// Appends the bytes of one line of a hex list, from `pos`, to `*data`.
HexLine ReadHexLine(const std::string& line, size_t pos, std::string* data, bool* out_of_range);

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_REG_VALUE_SYNTAX_H_
