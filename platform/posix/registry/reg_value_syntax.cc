#include "platform/posix/registry/reg_value_syntax.h"

#include "platform/posix/hex_digit.h"

namespace registry {

namespace {

constexpr uint64_t kUlongMax = 0xFFFFFFFFull;

using platform::HexDigit;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool AtEndOrComment(const std::string& text, size_t pos) {
  pos = SkipBlanks(text, pos);
  return pos == text.size() || text[pos] == ';';
}

// The number strtoul(text + pos, &end, 16) returns, with `*end`: leading
// white space, a sign and "0x" are taken; without a digit nothing is read
// and `*end` is `pos`. A value past 32 bits is a range error.
uint32_t ReadUnsigned(const std::string& text, size_t pos, size_t* end, bool* out_of_range) {
  size_t at = pos;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
    at += 2;
  }
  size_t first = at;
  uint64_t magnitude = 0;
  bool huge = false;
  for (; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
    magnitude = magnitude * 16 + HexDigit(text[at]);
    if (magnitude > kUlongMax) {
      huge = true;
      magnitude = kUlongMax + 1;
    }
  }
  if (at == first) {
    *end = pos;
    return 0;
  }
  *end = at;
  if (huge) {
    *out_of_range = true;
    return negative ? 1 : static_cast<uint32_t>(kUlongMax);
  }
  return static_cast<uint32_t>(negative ? (kUlongMax + 1 - magnitude) & kUlongMax : magnitude);
}

// The length of the UTF-8 sequence that starts with `lead`.
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(const std::string& text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

bool ReadQuoted(const std::string& line, size_t* pos, std::string* text,
                const std::function<void(const std::string&)>& unknown_escape) {
  for (size_t at = *pos; at < line.size(); ++at) {
    char c = line[at];
    if (c == '"') {
      *pos = at + 1;
      return true;
    }
    if (c != '\\') {
      text->push_back(c);
      continue;
    }
    if (++at == line.size()) return false;
    switch (line[at]) {
      case 'n':
        text->push_back('\n');
        break;
      case 'r':
        text->push_back('\r');
        break;
      case '0':
        return false;
      case '\\':
      case '"':
        text->push_back(line[at]);
        break;
      default: {
        std::string character = line.substr(at, SequenceLength(line[at]));
        unknown_escape(character);
        *text += character;
        at += character.size() - 1;
      }
    }
  }
  return false;
}

bool ReadDword(const std::string& text, size_t pos, uint32_t* number) {
  pos = SkipBlanks(text, pos);
  if (pos == text.size()) return false;
  size_t first = pos;
  uint32_t value = 0;
  for (; pos < text.size() && HexDigit(text[pos]) >= 0; ++pos) {
    if (pos - first == 8) return false;
    value = value * 16 + HexDigit(text[pos]);
  }
  if (!AtEndOrComment(text, pos)) return false;
  *number = value;
  return true;
}

bool ReadHexType(const std::string& text, size_t* pos, uint32_t* type, bool* out_of_range) {
  size_t at = *pos;
  if (at == text.size()) return false;
  if (at + 1 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X')) return false;
  size_t end;
  bool range_error = false;
  uint32_t value = ReadUnsigned(text, at, &end, &range_error);
  *out_of_range = *out_of_range || range_error;
  if (text.compare(end, 2, "):") != 0) return false;
  if (value == kUlongMax && *out_of_range) return false;
  *type = value;
  *pos = end + 2;
  return true;
}

HexLine ReadHexLine(const std::string& line, size_t pos, std::string* data, bool* out_of_range) {
  while (pos < line.size()) {
    size_t end;
    uint32_t byte = ReadUnsigned(line, pos, &end, out_of_range);
    if (byte > 0xFF) return HexLine::kBad;
    if (end == pos) {
      // No number: a backslash continues the list, a comment ends it.
      end = SkipBlanks(line, end);
      if (end < line.size() && line[end] == '\\') {
        return AtEndOrComment(line, end + 1) ? HexLine::kContinued : HexLine::kBad;
      }
      return end < line.size() && line[end] == ';' ? HexLine::kEnd : HexLine::kBad;
    }
    data->push_back(static_cast<char>(byte));
    if (end < line.size() && line[end] != ',') {
      return AtEndOrComment(line, end) ? HexLine::kEnd : HexLine::kBad;
    }
    pos = end < line.size() ? end + 1 : end;
  }
  return HexLine::kEnd;
}

}  // namespace registry
