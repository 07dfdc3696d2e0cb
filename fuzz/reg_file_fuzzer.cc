// The hive reader on arbitrary bytes: a hive that loads must write out and
// load back to the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/registry/hive_store.h"
#include "platform/posix/registry/reg_file_writer.h"

// The hive written out again, or empty when the bytes do not load.
static std::string Reload(const std::string& bytes) {
  registry::Key hive("HKEY_LOCAL_MACHINE");
  std::string error;
  if (!registry::ParseHive(bytes, platform::kHkeyLocalMachine, &hive, &error)) return "";
  return registry::FormatHive(hive, "HKEY_LOCAL_MACHINE");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string written = Reload(std::string(reinterpret_cast<const char*>(data), size));
  if (!written.empty() && Reload(written) != written) std::abort();
  return 0;
}
