// Writer of the registry-editor text format: the hive files (ANSI, LF, every
// value in a form that reads back to the same bytes) and exported files
// (UTF-16LE with a byte-order mark and CRLF, in the layout and line wrapping
// of Wine's reg export, so the two compare byte for byte).
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_WRITER_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_WRITER_H_

#include <string>

#include "platform/posix/registry/key.h"

namespace registry {

// The last line of every hive file; a hive without it was cut short.
extern const char kHiveEndMarker[];

// The hive file of a root key, named `root_name` (e.g. HKEY_LOCAL_MACHINE).
std::string FormatHive(const Key& root, const std::string& root_name);

// The export of `key` and everything below it; `shown_path` is the key's
// full name as the user gave it, the subkeys follow with their stored names.
std::string FormatExport(const Key& key, const std::string& shown_path);

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_REG_FILE_WRITER_H_
