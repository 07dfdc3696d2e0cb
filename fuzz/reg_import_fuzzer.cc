// REG IMPORT of arbitrary files: the stand-in may refuse the file or lines of
// it, but the hives it leaves must still load.
#include "fuzz/reg_prefix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testing_support::WriteWholeFile(fuzz::Folder().Host("in.reg"),
                                  std::string(reinterpret_cast<const char*>(data), size));
  for (const char* view : {"/reg:64", "/reg:32"})
    fuzz::RunReg({"import", fuzz::Folder().Windows("in.reg"), view});
  return 0;
}
