#include "src/errors.h"

#include <cstdio>

#include "platform/platform.h"

namespace {

// The report's text must fit a buffer of this size with its closing zero.
constexpr size_t kReportBufferSize = 1024;

// The part of a path after its last backslash or drive colon.
std::string FileNameOf(const std::string& path) {
  const size_t last = path.find_last_of("\\:");
  return last == std::string::npos ? path : path.substr(last + 1);
}

}  // namespace

// Not inlined, so that the return address is the raising routine's own code.
#define RAISE_FROM_CALLER(Class)                                                              \
  __attribute__((noinline)) void Class::Raise(const std::string& message) {                   \
    throw Class(#Class, message, __builtin_extract_return_addr(__builtin_return_address(0))); \
  }

RAISE_FROM_CALLER(ERegistryException)
RAISE_FROM_CALLER(EFCreateError)
RAISE_FROM_CALLER(EWriteError)

__attribute__((noinline)) const void* CallerAddress() {
  return __builtin_extract_return_addr(__builtin_return_address(0));
}

std::string ErrorReport(const Exception& error, const std::string& module_name,
                        uintptr_t code_offset) {
  char address[32];
  std::snprintf(address, sizeof(address), "%08llX", static_cast<unsigned long long>(code_offset));
  const std::string& message = error.Message();
  const bool needs_full_stop = !message.empty() && message.back() != '.';
  std::string report = std::string("Exception ") + error.ClassName() + " in module " + module_name +
                       " at " + address + ".\r\n" + message + (needs_full_stop ? "." : "") + "\r\n";
  if (report.size() > kReportBufferSize - 1) report.resize(kReportBufferSize - 1);
  return report;
}

int EndWithReport(const Exception& error) {
  platform::Platform& os = platform::Current();
  try {
    os.WriteStandardError(
        ErrorReport(error, FileNameOf(os.ModuleFileName()), os.CodeOffset(error.RaiseAddress())) +
        "\r\n");
  } catch (...) {
    // Memory too short even for the report: the exit status still tells.
  }
  return 1;
}
