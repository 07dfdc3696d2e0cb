// REG IMPORT of arbitrary files into a prefix holding good hives: the
// stand-in may refuse the file or lines of it, but the hives it leaves must
// still load.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/sandbox.h"
#include "tools/reg/reg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Sandbox& sandbox = fuzz::Sandbox::Get();
  sandbox.Reset();
  fuzz::WriteFileOrDie(sandbox.HostFile("in.reg"),
                       std::string(reinterpret_cast<const char*>(data), size));
  for (const char* view : {"/reg:64", "/reg:32"}) {
    reg::Context context;
    context.prefix = sandbox.prefix();
    reg::Run({"import", sandbox.WindowsFile("in.reg"), view}, &context);
    sandbox.CheckHivesReadable();
  }
  return 0;
}
