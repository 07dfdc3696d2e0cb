// The registry-editor file reader, in memory: as .reg files are read (every
// line tolerated) and as hive files are read (strict, with access
// directives). A hive that loads must write out and load back to the same
// text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/registry/hive_store.h"
#include "platform/posix/registry/reg_file_parser.h"
#include "platform/posix/registry/reg_file_writer.h"

namespace {

// Checks the reader's promise to its handler: values arrive only under a
// key that was opened and accepted.
class ContractCheck : public registry::RegFileHandler {
 public:
  bool OpenKey(const std::string& path) override {
    accepted_ = path.size() % 3 != 0;  // refuse some keys, as the importer does
    return accepted_;
  }
  void DeleteKey(const std::string&) override { accepted_ = false; }
  void SetValue(const std::string& name, uint32_t, const std::string&) override {
    Require(name, "value set");
  }
  void DeleteValue(const std::string& name) override { Require(name, "value deleted"); }
  void SetAccess(uint32_t) override { Require("#access", "access set"); }

 private:
  void Require(const std::string& name, const char* what) const {
    if (accepted_) return;
    std::fprintf(stderr, "%s outside an accepted key: [%s]\n", what, name.c_str());
    std::abort();
  }
  bool accepted_ = false;
};

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool hive : {false, true}) {
    ContractCheck check;
    registry::RegFileOptions options;
    options.hive = hive;
    options.strict = hive;
    registry::ParseRegFile(bytes, &check, options);
  }

  const platform::RootKey root = platform::kHkeyLocalMachine;
  const std::string root_name = registry::RootName(root);
  registry::Key loaded(root_name);
  std::string error;
  if (!registry::ParseHive(bytes, root, &loaded, &error)) {
    if (error.empty()) Fail("a hive was refused without a reason", bytes);
    return 0;
  }
  const std::string written = registry::FormatHive(loaded, root_name);
  registry::Key reloaded(root_name);
  if (!registry::ParseHive(written, root, &reloaded, &error))
    Fail(("a written hive does not load: " + error).c_str(), written);
  const std::string rewritten = registry::FormatHive(reloaded, root_name);
  if (rewritten != written)
    Fail("a hive changed on its way through a file", written + "\n---\n" + rewritten);
  return 0;
}
