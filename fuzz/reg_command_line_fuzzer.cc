// The stand-in's command-line parser: arbitrary arguments for every command,
// run against a prefix holding good hives. Any message may come out, but
// nothing may crash and the hives must still load afterwards.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/sandbox.h"
#include "tools/reg/reg.h"

namespace {

constexpr size_t kMaxArguments = 24;

// A small valid file for IMPORT to read.
constexpr char kImportFile[] =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Fuzz]\r\n"
    "\"Text\"=\"x\"\r\n"
    "\"Number\"=dword:00000002\r\n";

}  // namespace

// The input: the arguments, separated by zero bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  reg::Arguments arguments;
  for (size_t start = 0; start <= raw.size() && arguments.size() < kMaxArguments;) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    arguments.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  // The file arguments of IMPORT and EXPORT stay inside the sandbox: the
  // stand-in would otherwise read or replace any file on the machine.
  fuzz::Sandbox& sandbox = fuzz::Sandbox::Get();
  if (!arguments.empty() && reg::IsOption(arguments[0], "import") && arguments.size() > 1)
    arguments[1] = sandbox.WindowsFile("in.reg");
  if (!arguments.empty() && reg::IsOption(arguments[0], "export") && arguments.size() > 2)
    arguments[2] = sandbox.WindowsFile("out.reg");

  sandbox.Reset();
  fuzz::WriteFileOrDie(sandbox.HostFile("in.reg"), kImportFile);
  reg::Context context;
  context.prefix = sandbox.prefix();
  reg::Run(arguments, &context);
  sandbox.CheckHivesReadable();
  return 0;
}
