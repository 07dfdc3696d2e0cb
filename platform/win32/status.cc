// Status codes and the system's text for them.
#include "platform/win32/win32_platform.h"

#include "platform/win32/wide_text.h"

namespace platform {

uint32_t Win32Platform::LastError() { return GetLastError(); }

std::string Win32Platform::ErrorText(uint32_t code) {
  wchar_t buffer[1024];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, buffer, sizeof buffer / sizeof *buffer, nullptr);
  return Narrow(buffer, static_cast<int>(length));
}

}  // namespace platform
