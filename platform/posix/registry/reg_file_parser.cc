#include "platform/posix/registry/reg_file_parser.h"

#include <vector>

#include "platform/posix/hex_digit.h"
#include "platform/posix/registry/encoding.h"
#include "platform/posix/registry/registry_types.h"

namespace registry {

namespace {

constexpr char kHeader5[] = "Windows Registry Editor Version 5.00";
constexpr char kHeader4[] = "REGEDIT4";
constexpr char kAccessDirective[] = "#access=";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

using platform::HexDigit;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

size_t SkipBlanks(const std::string& line, size_t pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return pos;
}

bool OnlyBlanksFrom(const std::string& line, size_t pos) {
  return SkipBlanks(line, pos) == line.size();
}

// Reads an unsigned hexadecimal number the way strtoul(.., 16) does: leading
// blanks, an optional sign and "0x". Returns false when no digit follows.
bool ReadHexNumber(const std::string& text, size_t* pos, uint64_t* number) {
  size_t at = SkipBlanks(text, *pos);
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      at + 2 < text.size() && HexDigit(text[at + 2]) >= 0) {
    at += 2;
  }
  size_t first = at;
  uint64_t value = 0;
  while (at < text.size() && HexDigit(text[at]) >= 0) {
    if (value <= 0xFFFFFFFFull) value = value * 16 + HexDigit(text[at]);
    ++at;
  }
  if (at == first) return false;
  *number = negative ? ~value + 1 : value;
  *pos = at;
  return true;
}

class Parser {
 public:
  Parser(RegFileHandler* handler, const RegFileOptions& options, bool wide)
      : handler_(handler), options_(options), wide_(wide) {}

  RegFileStatus Run(const std::vector<std::string>& lines) {
    size_t index = 0;
    while (index < lines.size() && OnlyBlanksFrom(lines[index], 0)) ++index;
    if (index == lines.size()) return RegFileStatus::kBadHeader;
    std::string header = lines[index].substr(SkipBlanks(lines[index], 0));
    while (!header.empty() && IsBlank(header.back())) header.pop_back();
    if (header != kHeader5 && header != kHeader4) return RegFileStatus::kBadHeader;
    lines_ = &lines;
    for (index_ = index + 1; index_ < lines.size(); ++index_) {
      line_number_ = static_cast<int>(index_) + 1;
      if (!ParseLine(lines[index_]) && options_.strict) return RegFileStatus::kBadLine;
    }
    return RegFileStatus::kOk;
  }

 private:
  // The next line of a hex list continued with a trailing backslash, without
  // its leading blanks; false at the end of the file.
  bool NextContinuationLine(std::string* line) {
    if (index_ + 1 >= lines_->size()) return false;
    const std::string& next = (*lines_)[++index_];
    *line = next.substr(SkipBlanks(next, 0));
    return true;
  }

  bool Fail(const std::string& message) {
    handler_->Problem(line_number_, message);
    return false;
  }

  bool ParseLine(const std::string& line) {
    size_t pos = SkipBlanks(line, 0);
    if (pos == line.size()) return true;
    switch (line[pos]) {
      case ';':
        return true;
      case '#':
        if (options_.hive &&
            line.compare(pos, sizeof(kAccessDirective) - 1, kAccessDirective) == 0) {
          return ParseAccess(line, pos + sizeof(kAccessDirective) - 1);
        }
        return true;
      case '[':
        return ParseKey(line, pos + 1);
      case '@':
        return ParseValue(line, pos + 1, "");
      case '"': {
        std::string name;
        size_t after = pos + 1;
        if (!ReadQuoted(line, &after, &name)) return Fail("unterminated value name");
        return ParseValue(line, after, name);
      }
      default:
        return Fail("unrecognised line");
    }
  }

  bool ParseAccess(const std::string& line, size_t pos) {
    uint64_t mask;
    if (!key_open_) return Fail("access directive outside a key");
    if (!ReadHexNumber(line, &pos, &mask) || mask > 0xFFFFFFFFull || !OnlyBlanksFrom(line, pos)) {
      return Fail("malformed access directive");
    }
    handler_->SetAccess(static_cast<uint32_t>(mask));
    return true;
  }

  bool ParseKey(const std::string& line, size_t pos) {
    size_t close = line.rfind(']');
    key_open_ = false;
    if (close == std::string::npos || close < pos) return Fail("unterminated key name");
    if (line[pos] == '-') {
      handler_->DeleteKey(line.substr(pos + 1, close - pos - 1));
      return true;
    }
    key_open_ = handler_->OpenKey(line.substr(pos, close - pos));
    return true;
  }

  // Reads a double-quoted string's contents with the \\ and \" escapes (and
  // \n and \r); `*pos` is just after the opening quote and ends after the closing one.
  bool ReadQuoted(const std::string& line, size_t* pos, std::string* text) {
    for (size_t at = *pos; at < line.size(); ++at) {
      char c = line[at];
      if (c == '"') {
        *pos = at + 1;
        return true;
      }
      if (c == '\\' && at + 1 < line.size()) {
        char escaped = line[++at];
        if (escaped == 'n') {
          text->push_back('\n');
        } else if (escaped == 'r') {
          text->push_back('\r');
        } else {
          if (escaped != '\\' && escaped != '"') {
            handler_->Problem(line_number_,
                              std::string("Unrecognized escape sequence [\\") + escaped + "]");
          }
          text->push_back(escaped);
        }
        continue;
      }
      text->push_back(c);
    }
    return false;
  }

  bool ParseValue(const std::string& line, size_t pos, const std::string& name) {
    pos = SkipBlanks(line, pos);
    if (pos == line.size() || line[pos] != '=') return Fail("missing '=' after the value name");
    pos = SkipBlanks(line, pos + 1);
    if (pos == line.size()) return Fail("missing value data");
    if (line[pos] == '-') {
      if (!OnlyBlanksFrom(line, pos + 1)) return Fail("text after '-'");
      if (key_open_) handler_->DeleteValue(name);
      return true;
    }
    if (line[pos] == '"') {
      std::string text;
      ++pos;
      if (!ReadQuoted(line, &pos, &text)) return Fail("unterminated string");
      if (!OnlyBlanksFrom(line, pos)) return Fail("text after the string");
      text.push_back('\0');
      if (key_open_) handler_->SetValue(name, kRegSz, text);
      return true;
    }
    if (line.compare(pos, 6, "dword:") == 0) return ParseDword(line, pos + 6, name);
    if (line.compare(pos, 4, "hex:") == 0) return ParseHex(line, pos + 4, name, kRegBinary);
    if (line.compare(pos, 4, "hex(") == 0) {
      size_t at = pos + 4;
      uint64_t type = 0;
      size_t first = at;
      while (at < line.size() && HexDigit(line[at]) >= 0) type = type * 16 + HexDigit(line[at++]);
      if (at == first || at - first > 8 || line.compare(at, 2, "):") != 0) {
        return Fail("malformed hex type");
      }
      return ParseHex(line, at + 2, name, static_cast<uint32_t>(type));
    }
    return Fail("unrecognised value data");
  }

  bool ParseDword(const std::string& line, size_t pos, const std::string& name) {
    pos = SkipBlanks(line, pos);
    size_t first = pos;
    uint32_t number = 0;
    while (pos < line.size() && HexDigit(line[pos]) >= 0)
      number = number * 16 + HexDigit(line[pos++]);
    if (pos == first || pos - first > 8 || !OnlyBlanksFrom(line, pos)) {
      return Fail("malformed dword");
    }
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    if (key_open_) handler_->SetValue(name, kRegDword, data);
    return true;
  }

  // A list of bytes separated by commas; a line ending in a comma and a
  // backslash continues on the next line.
  bool ParseHex(const std::string& first_line, size_t pos, const std::string& name, uint32_t type) {
    std::string line = first_line;
    std::string data;
    bool malformed = false;
    if (!OnlyBlanksFrom(line, pos)) {
      while (true) {
        uint64_t byte;
        if (!ReadHexNumber(line, &pos, &byte) || byte > 0xFF) {
          malformed = true;
          break;
        }
        data.push_back(static_cast<char>(byte));
        if (pos == line.size()) break;
        if (line[pos] != ',') {
          malformed = true;
          break;
        }
        pos = SkipBlanks(line, pos + 1);
        if (pos == line.size()) break;  // a trailing comma ends the list
        if (line[pos] == '\\' && OnlyBlanksFrom(line, pos + 1)) {
          if (!NextContinuationLine(&line)) break;
          pos = 0;
        }
      }
    }
    // The rest of a broken list is skipped with it.
    while (malformed && !line.empty() && line.back() == '\\' && NextContinuationLine(&line)) {
    }
    if (malformed) return Fail("malformed hex data");
    if (wide_ && IsStringType(type)) data = Utf16leToAnsi(data);
    if (key_open_) handler_->SetValue(name, type, data);
    return true;
  }

  const std::vector<std::string>* lines_ = nullptr;
  size_t index_ = 0;
  RegFileHandler* handler_;
  RegFileOptions options_;
  bool wide_;
  bool key_open_ = false;
  int line_number_ = 0;
};

}  // namespace

RegFileStatus ParseRegFile(const std::string& bytes, RegFileHandler* handler,
                           const RegFileOptions& options) {
  bool wide = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  std::string text = wide ? Utf16leToAnsi(bytes.substr(2)) : bytes;
  Parser parser(handler, options, wide);
  return parser.Run(SplitLines(text));
}

}  // namespace registry
