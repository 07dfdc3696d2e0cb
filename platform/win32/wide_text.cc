#include "platform/win32/wide_text.h"

namespace platform {

std::string Narrow(const wchar_t* text, int units, UINT code_page, DWORD flags,
                   BOOL* used_default) {
  if (units == 0) return std::string();
  const int size =
      WideCharToMultiByte(code_page, flags, text, units, nullptr, 0, nullptr, used_default);
  std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(code_page, flags, text, units, &narrow[0], size, nullptr, used_default);
  if (units < 0 && !narrow.empty()) narrow.pop_back();  // the closing zero
  return narrow;
}

}  // namespace platform
