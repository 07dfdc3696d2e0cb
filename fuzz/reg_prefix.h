// The `reg` fuzz targets run in a scratch folder's prefix on two small hives
// written afresh for every input; the hives must still load afterwards.
#ifndef TARNWELL_FUZZ_REG_PREFIX_H_
#define TARNWELL_FUZZ_REG_PREFIX_H_

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

inline void RunReg(const reg::Arguments& arguments) {
  const std::string prefix = Folder().prefix(), header = "Windows Registry Editor Version 5.00\n\n";
  std::filesystem::create_directories(prefix);
  testing_support::WriteWholeFile(
      prefix + "/system.reg",
      header +
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked]\n#access=0x00020019\n\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Quorvane\\Lumivale]\n"
          "\"Path\"=\"C:\\\\a\"\n\"Blob\"=hex:00,01,ff\n\"Random\"=dword:00000001\n"
          "\n;; end of hive\n");
  testing_support::WriteWholeFile(
      prefix + "/user.reg",
      header + "[HKEY_CURRENT_USER\\Environment]\n\"TEMP\"=hex(2):25,50,25,00\n\n;; end of hive\n");
  reg::Context context;
  context.prefix = prefix;
  reg::Run(arguments, &context);
  registry::HiveSession session(prefix, registry::HiveSession::Mode::kRead);
  std::string error;
  if (!session.Hive(platform::kHkeyLocalMachine, &error) ||
      !session.Hive(platform::kHkeyCurrentUser, &error))
    std::abort();
}

}  // namespace fuzz

#endif  // TARNWELL_FUZZ_REG_PREFIX_H_
