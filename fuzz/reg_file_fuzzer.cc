// The hive reader on arbitrary bytes: a hive that loads must write out and
// load back to the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/registry/hive_store.h"
#include "platform/posix/registry/reg_file_writer.h"

namespace {

std::string RoundTrip(const std::string& bytes, bool must_load) {
  const platform::RootKey root = platform::kHkeyLocalMachine;
  registry::Key hive(registry::RootName(root));
  std::string error;
  if (registry::ParseHive(bytes, root, &hive, &error))
    return registry::FormatHive(hive, registry::RootName(root));
  if (must_load || error.empty()) {
    std::fprintf(stderr, "refused [%s]: %s\n", bytes.c_str(), error.c_str());
    std::abort();
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string written =
      RoundTrip(std::string(reinterpret_cast<const char*>(data), size), false);
  if (!written.empty() && RoundTrip(written, true) != written) {
    std::fprintf(stderr, "a hive changed on its way through a file:\n%s\n", written.c_str());
    std::abort();
  }
  return 0;
}
