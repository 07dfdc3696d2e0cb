// The stand-in's command lines, arguments separated by zero bytes: any
// message may come out, but nothing may crash and the hives must still load.
#include "fuzz/reg_prefix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reg::Arguments arguments(1);
  for (size_t i = 0; i < size && arguments.size() < 24; ++i)
    data[i] ? arguments.back() += static_cast<char>(data[i]) : arguments.emplace_back();
  // The files of IMPORT and EXPORT stay in the scratch folder.
  testing_support::WriteWholeFile(
      fuzz::Folder().Host("in.reg"),
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\F]\r\n\"T\"=\"x\"\r\n");
  std::filesystem::remove(fuzz::Folder().Host("out.reg"));
  if (arguments.size() > 1 && reg::IsOption(arguments[0], "import"))
    arguments[1] = fuzz::Folder().Windows("in.reg");
  if (arguments.size() > 2 && reg::IsOption(arguments[0], "export"))
    arguments[2] = fuzz::Folder().Windows("out.reg");
  fuzz::RunReg(arguments);
  return 0;
}
