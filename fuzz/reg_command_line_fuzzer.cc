// The stand-in's command lines, arguments separated by zero bytes: any
// message may come out, but nothing may crash and the hives must still load.
#include <algorithm>

#include "fuzz/reg_prefix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  reg::Arguments arguments;
  for (size_t start = 0; start <= raw.size() && arguments.size() < 24;) {
    size_t end = std::min(raw.find('\0', start), raw.size());
    arguments.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  // The files of IMPORT and EXPORT stay in the scratch folder.
  testing_support::WriteWholeFile(fuzz::Folder().Host("in.reg"),
                                  "Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Fuzz]\r\n\"Text\"=\"x\"\r\n");
  if (arguments.size() > 1 && reg::IsOption(arguments[0], "import"))
    arguments[1] = fuzz::Folder().Windows("in.reg");
  std::filesystem::remove(fuzz::Folder().Host("out.reg"));
  if (arguments.size() > 2 && reg::IsOption(arguments[0], "export"))
    arguments[2] = fuzz::Folder().Windows("out.reg");
  fuzz::RunReg(arguments);
  return 0;
}
