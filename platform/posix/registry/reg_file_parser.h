// Reader of the registry-editor text format (.reg files and the hive files):
// "Windows Registry Editor Version 5.00" or "REGEDIT4", ANSI or UTF-16LE with
// a byte-order mark. Lines that do not parse are reported and skipped, so the
// rest of the file still applies, as Windows' and Wine's importers do.
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_PARSER_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_PARSER_H_

#include <cstdint>
#include <string>

namespace registry {

// Receives what the file says, in file order. Names and data are ANSI; the
// data of string types from a UTF-16LE file is already converted.
class RegFileHandler {
 public:
  virtual ~RegFileHandler() = default;
  // "[path]": values that follow go to this key; false ignores them.
  virtual bool OpenKey(const std::string& path) = 0;
  // "[-path]".
  virtual void DeleteKey(const std::string& path) = 0;
  virtual void SetValue(const std::string& name, uint32_t type, const std::string& data) = 0;
  // "name"=-
  virtual void DeleteValue(const std::string& name) = 0;
  // "#access=0x..." under a key: only when reading a hive.
  virtual void SetAccess(uint32_t /*mask*/) {}
  // A line that was skipped, or a warning; `line` counts from 1.
  virtual void Problem(int /*line*/, const std::string& /*message*/) {}
};

struct RegFileOptions {
  bool hive = false;    // honour "#access=" directives
  bool strict = false;  // stop at the first line that does not parse
};

enum class RegFileStatus {
  kOk,
  kBadHeader,  // not a registry file: nothing was applied
  kBadLine,    // strict only: a line did not parse; lines before it applied
};

RegFileStatus ParseRegFile(const std::string& bytes, RegFileHandler* handler,
                           const RegFileOptions& options = {});

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_PARSER_H_
