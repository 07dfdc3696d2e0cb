// Text in UTF-16LE and in the system's ANSI code page.
#include "platform/win32/win32_platform.h"

#include "platform/win32/wide_text.h"

namespace platform {

std::string Win32Platform::ToUtf16le(const std::string& text) {
  // Windows runs little-endian: the units are written in byte order.
  const Wide wide(text);
  return std::string(reinterpret_cast<const char*>(static_cast<const wchar_t*>(wide)),
                     static_cast<size_t>(wide.length()) * sizeof(wchar_t));
}

bool Win32Platform::ToAnsi(const std::string& text, std::string* ansi) {
  // UTF-8 as the system's code page takes no conversion, nor the flags below.
  if (GetACP() == CP_UTF8) {
    *ansi = text;
    return true;
  }
  const Wide wide(text);
  BOOL used_default = FALSE;
  *ansi = Narrow(wide, wide.length(), CP_ACP, WC_NO_BEST_FIT_CHARS, &used_default);
  return !used_default;
}

}  // namespace platform
