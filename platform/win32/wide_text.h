// Text between UTF-8, in which the program keeps it, and the UTF-16 of the
// wide-character API.
#ifndef TARNWELL_PLATFORM_WIN32_WIDE_TEXT_H_
#define TARNWELL_PLATFORM_WIN32_WIDE_TEXT_H_

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace platform {

// UTF-8 text as the wide API takes it, with a closing zero.
class Wide {
 public:
  explicit Wide(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int units = size ? MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0) : 0;
    units_.assign(static_cast<size_t>(units) + 1, L'\0');
    if (units) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, units_.data(), units);
  }
  operator const wchar_t*() const { return units_.data(); }
  int length() const { return static_cast<int>(units_.size() - 1); }
  // An empty text as none, for a parameter that may be left out.
  const wchar_t* OrNull() const { return length() ? units_.data() : nullptr; }

 private:
  std::vector<wchar_t> units_;
};

// `units` UTF-16 units (up to a zero when `units` is -1) as UTF-8, or in `code_page`.
std::string Narrow(const wchar_t* text, int units, UINT code_page = CP_UTF8, DWORD flags = 0,
                   BOOL* used_default = nullptr);

// The text that `call(buffer, size)` writes: it returns the text's length,
// or at least `size` when the buffer is too small, which then grows.
template <typename Call>
std::string GrowingText(Call call) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return Narrow(buffer.data(), static_cast<int>(length));
    buffer.resize(std::max<size_t>(length + 1, buffer.size() * 2));
  }
}

}  // namespace platform

#endif  // TARNWELL_PLATFORM_WIN32_WIDE_TEXT_H_
