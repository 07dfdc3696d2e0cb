// The emulated prefix the `reg` fuzz targets run in: the scratch folder's,
// with two small hives written afresh before every input and checked after.
#ifndef TARNWELL_FUZZ_REG_PREFIX_H_
#define TARNWELL_FUZZ_REG_PREFIX_H_

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/registry/hive_store.h"
#include "tests/support/scratch.h"
#include "tools/reg/reg.h"

namespace fuzz {

inline const testing_support::ScratchFolder& Folder() {
  static testing_support::ScratchFolder folder;
  return folder;
}

// Runs one reg command line on the seed hives; aborts when a hive no longer
// loads afterwards.
inline void RunReg(const reg::Arguments& arguments) {
  const std::string prefix = Folder().prefix();
  std::filesystem::create_directories(prefix);
  testing_support::WriteWholeFile(
      prefix + "/system.reg",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked]\n"
      "#access=0x00020019\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Quorvane\\Lumivale]\n"
      "\"Path\"=\"C:\\\\a b\"\n\"Blob\"=hex:00,01,ff\n\"Random\"=dword:00000001\n\n;; end of "
      "hive\n");
  testing_support::WriteWholeFile(
      prefix + "/user.reg",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Environment]\n"
      "\"TEMP\"=hex(2):25,50,25,00\n\n;; end of hive\n");
  reg::Context context;
  context.prefix = prefix;
  reg::Run(arguments, &context);
  for (platform::RootKey root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    registry::HiveSession session(prefix, registry::HiveSession::Mode::kRead);
    std::string error;
    if (session.Hive(root, &error) == nullptr) {
      std::fprintf(stderr, "a hive no longer loads: %s\n", error.c_str());
      std::abort();
    }
  }
}

}  // namespace fuzz

#endif  // TARNWELL_FUZZ_REG_PREFIX_H_
