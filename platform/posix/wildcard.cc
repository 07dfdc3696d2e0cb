#include "platform/posix/wildcard.h"

namespace platform {
namespace {

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool MatchesWildcard(const std::string& mask, const std::string& name) {
  // "*.*" matches every name, with or without a dot, as on Windows.
  if (mask == "*.*") return !name.empty();
  // Greedy matching that, on a mismatch, lets the last '*' absorb one more
  // character. Earlier stars never need revisiting, so the cost stays within
  // mask length times name length.
  size_t m = 0, n = 0;
  size_t star = std::string::npos, star_name = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      star_name = n;
    } else if (m < mask.size() && (mask[m] == '?' || FoldCase(mask[m]) == FoldCase(name[n]))) {
      ++m;
      ++n;
    } else if (star != std::string::npos) {
      m = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace platform
