// The program's command-line splitter on arbitrary lines.
#include <cstdint>
#include <string>

#include "src/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SplitCommandLine(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
