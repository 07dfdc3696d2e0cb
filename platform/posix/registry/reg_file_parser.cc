#include "platform/posix/registry/reg_file_parser.h"

#include <vector>

#include "platform/posix/hex_digit.h"
#include "platform/posix/registry/encoding.h"
#include "platform/posix/registry/reg_file_text.h"
#include "platform/posix/registry/reg_value_syntax.h"
#include "platform/posix/registry/registry_types.h"

namespace registry {

namespace {

constexpr char kAccessDirective[] = "#access=";

class Parser {
 public:
  Parser(RegFileHandler* handler, const RegFileOptions& options, const RegFileText& file)
      : handler_(handler), options_(options), file_(file) {}

  RegFileStatus Run() {
    for (index_ = 0; index_ < file_.lines.size(); ++index_) {
      if (!ParseLine(file_.lines[index_]) && options_.strict) return RegFileStatus::kBadLine;
    }
    return RegFileStatus::kOk;
  }

 private:
  // Line numbers count the header line too.
  int LineNumber() const { return static_cast<int>(index_) + 2; }

  bool Fail(const std::string& message) {
    handler_->Problem(LineNumber(), message);
    return false;
  }

  bool ParseLine(const std::string& line) {
    size_t pos = SkipBlanks(line, 0);
    if (pos == line.size()) return true;
    switch (line[pos]) {
      case '[':
        return ParseKey(line, pos + 1);
      case '@':
        return ParseValue(line, pos + 1, "");
      case '"': {
        std::string name;
        ++pos;
        if (!Quoted(line, &pos, &name)) return Fail("unterminated value name");
        return ParseValue(line, pos, name);
      }
      case ';':
        return true;
      case '#':
        if (options_.hive &&
            line.compare(pos, sizeof(kAccessDirective) - 1, kAccessDirective) == 0) {
          return ParseAccess(line, pos + sizeof(kAccessDirective) - 1);
        }
        return true;
      default:
        return Fail("unrecognised line");
    }
  }

  bool Quoted(const std::string& line, size_t* pos, std::string* text) {
    return ReadQuoted(line, pos, text,
                      [this](const std::string& c) { handler_->UnknownEscape(c); });
  }

  bool ParseAccess(const std::string& line, size_t pos) {
    uint32_t mask;
    if (!key_open_) return Fail("access directive outside a key");
    if (line.compare(pos, 2, "0x") != 0 || !ReadDword(line, pos + 2, &mask)) {
      return Fail("malformed access directive");
    }
    handler_->SetAccess(mask);
    return true;
  }

  // A key name may not start with a blank; it ends at the line's last ']'.
  // A key line that does not parse leaves the current key open.
  bool ParseKey(const std::string& line, size_t pos) {
    size_t close = line.rfind(']');
    if (pos == line.size() || IsBlank(line[pos]) || close == std::string::npos || close < pos) {
      return Fail("malformed key name");
    }
    std::string path = line.substr(pos, close - pos);
    if (path.compare(0, 1, "-") != 0) {
      key_open_ = handler_->OpenKey(path);
      return true;
    }
    key_open_ = false;
    if (path.size() > 1 && (path[1] == 'H' || path[1] == 'h')) handler_->DeleteKey(path.substr(1));
    return true;
  }

  // What follows a value's name: blanks, '=', blanks, then the data, whose
  // trailing blanks do not count.
  bool ParseValue(const std::string& line, size_t pos, const std::string& name) {
    pos = SkipBlanks(line, pos);
    if (pos == line.size() || line[pos] != '=') return Fail("missing '=' after the value name");
    pos = SkipBlanks(line, pos + 1);
    size_t end = line.size();
    while (end > pos && IsBlank(line[end - 1])) --end;
    std::string data = line.substr(pos, end - pos);
    if (data.compare(0, 1, "-") == 0) {
      size_t after = SkipBlanks(data, 1);
      if (after != data.size() && data[after] != ';') return Fail("text after '-'");
      if (key_open_) handler_->DeleteValue(name);
      return true;
    }
    if (data.compare(0, 1, "\"") == 0) return ParseString(data, name);
    if (data.compare(0, 4, "hex:") == 0) return ParseHex(data, 4, name, kRegBinary);
    if (data.compare(0, 6, "dword:") == 0) {
      uint32_t number;
      if (!ReadDword(data, 6, &number)) return Fail("malformed dword");
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
      Set(name, kRegDword, bytes);
      return true;
    }
    if (data.compare(0, 4, "hex(") == 0) {
      size_t at = 4;
      uint32_t type;
      if (!ReadHexType(data, &at, &type, &out_of_range_)) return Fail("malformed hex type");
      return ParseHex(data, at, name, type);
    }
    return Fail("unrecognised value data");
  }

  bool ParseString(const std::string& data, const std::string& name) {
    size_t pos = 1;
    std::string text;
    if (!Quoted(data, &pos, &text)) return Fail("unterminated string");
    pos = SkipBlanks(data, pos);
    if (pos != data.size() && data[pos] != ';') return Fail("text after the string");
    text.push_back('\0');
    Set(name, kRegSz, text);
    return true;
  }

  // A list of bytes separated by commas, continued on the next line after
  // a backslash. Blank and comment lines inside it are skipped; a line that
  // does not start with a hex digit breaks it, and goes with it.
  bool ParseHex(const std::string& first_line, size_t pos, const std::string& name, uint32_t type) {
    std::string data;
    if (pos == first_line.size()) {
      Set(name, type, data);
      return true;
    }
    const std::string* line = &first_line;
    while (true) {
      HexLine read = ReadHexLine(*line, pos, &data, &out_of_range_);
      if (read == HexLine::kBad) return Fail("malformed hex data");
      if (read == HexLine::kEnd) break;
      if (!NextListLine(&line, &pos)) break;
      if (platform::HexDigit((*line)[pos]) < 0) return Fail("hex data broken by another line");
    }
    Set(name, type, StringData(type, data));
    return true;
  }

  // Moves to the next line of a continued list that holds something; false
  // at the end of the file.
  bool NextListLine(const std::string** line, size_t* pos) {
    while (index_ + 1 < file_.lines.size()) {
      *line = &file_.lines[++index_];
      *pos = SkipBlanks(**line, 0);
      if (*pos != (*line)->size() && (**line)[*pos] != ';') return true;
    }
    return false;
  }

  // The data of a string type ends with a null character, added when the
  // list has none, and is converted from UTF-16LE in a UTF-16LE file.
  std::string StringData(uint32_t type, std::string data) const {
    if (options_.hive || !IsStringType(type) || data.empty()) return data;
    if (file_.wide) {
      if (data.size() < 2 || data[data.size() - 1] != '\0' || data[data.size() - 2] != '\0') {
        data.append(2, '\0');
      }
      return Utf16leToAnsi(data);
    }
    if (data.back() != '\0') data.push_back('\0');
    return data;
  }

  void Set(const std::string& name, uint32_t type, const std::string& data) {
    if (key_open_) handler_->SetValue(name, type, data);
  }

  RegFileHandler* handler_;
  RegFileOptions options_;
  const RegFileText& file_;
  size_t index_ = 0;
  bool key_open_ = false;
  bool out_of_range_ = false;  // the C library's range error, never cleared
};

}  // namespace

RegFileStatus ParseRegFile(const std::string& bytes, RegFileHandler* handler,
                           const RegFileOptions& options) {
  RegFileText file = ReadRegFileText(bytes);
  switch (file.header) {
    case RegFileHeader::kInvalid:
      return RegFileStatus::kBadHeader;
    case RegFileHeader::kIgnored:
      return RegFileStatus::kIgnored;
    default:
      return Parser(handler, options, file).Run();
  }
}

}  // namespace registry
