// Reader of the registry-editor text format (.reg files and the hive files),
// ANSI or UTF-16LE with a byte-order mark, applied line by line as Wine's
// reg.exe applies it: a line that does not parse is skipped and the rest of
// the file still applies.
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_PARSER_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_PARSER_H_

#include <cstdint>
#include <string>

namespace registry {

// Receives what the file says, in file order. Names and data are ANSI; the
// data of string types is already converted from the file's encoding.
class RegFileHandler {
 public:
  virtual ~RegFileHandler() = default;
  // "[path]": values that follow go to this key; false drops them.
  virtual bool OpenKey(const std::string& path) = 0;
  // "[-path]": values that follow are dropped.
  virtual void DeleteKey(const std::string& path) = 0;
  virtual void SetValue(const std::string& name, uint32_t type, const std::string& data) = 0;
  // "name"=-
  virtual void DeleteValue(const std::string& name) = 0;
  // "#access=0x..." under a key: only when reading a hive.
  virtual void SetAccess(uint32_t /*mask*/) {}
  // A backslash before a character that needs none, in a quoted string.
  virtual void UnknownEscape(const std::string& /*character*/) {}
  // A line that was skipped; `line` counts from 1.
  virtual void Problem(int /*line*/, const std::string& /*message*/) {}
};

struct RegFileOptions {
  // A hive of the emulated registry: string data as stored and "#access="
  // directives.
  bool hive = false;
  bool strict = false;  // stop at the first line that does not parse
};

enum class RegFileStatus {
  kOk,
  kIgnored,    // a header reg.exe accepts without applying the file
  kBadHeader,  // not a registry file: nothing was applied
  kBadLine,    // strict only: a line did not parse; lines before it applied
};

RegFileStatus ParseRegFile(const std::string& bytes, RegFileHandler* handler,
                           const RegFileOptions& options = {});

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_PARSER_H_
