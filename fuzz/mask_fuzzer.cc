// SplitMasks: a list of items written out by the mask-list rule must split
// back into the same items; any other text must split without crashing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "src/MyTypes.h"

namespace {

bool Separates(unsigned char c) { return c >= 1 && c <= 32; }

bool NeedsQuotes(const std::string& item) {
  if (item.empty() || item[0] == '"') return true;
  for (unsigned char c : item) {
    if (Separates(c)) return true;
  }
  return false;
}

// Quotes an item, doubling the quotes inside it.
std::string Quoted(const std::string& item) {
  std::string text = "\"";
  for (char c : item) text += c == '"' ? std::string("\"\"") : std::string(1, c);
  return text + "\"";
}

std::string Shown(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += "[" + item + "]";
  return text;
}

}  // namespace

// The input: items separated by zero bytes. The first byte picks the
// separator run written between items and whether plain items get quotes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  SplitMasks(raw);
  if (size == 0) return 0;
  const unsigned char control = data[0];
  const std::string separator(1 + (control & 3), static_cast<char>(1 + ((control >> 2) & 31)));
  const bool quote_all = control & 0x80;

  std::vector<std::string> items;
  for (size_t start = 1; start < size;) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = size;
    items.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  std::string masks = (control & 0x40) ? separator : "";
  for (const std::string& item : items) {
    masks += (quote_all || NeedsQuotes(item) ? Quoted(item) : item) + separator;
  }
  const std::vector<std::string> actual = SplitMasks(masks);
  if (actual != items) {
    std::fprintf(stderr, "masks [%s]\nexpected %s\nactual   %s\n", masks.c_str(),
                 Shown(items).c_str(), Shown(actual).c_str());
    std::abort();
  }
  return 0;
}
