// The settings' mask list splitter on arbitrary text.
#include <cstdint>
#include <string>

#include "src/images.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SplitMasks(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
