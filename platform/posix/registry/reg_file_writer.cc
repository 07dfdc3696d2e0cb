#include "platform/posix/registry/reg_file_writer.h"

#include <cstdio>
#include <vector>

#include "platform/posix/registry/encoding.h"
#include "platform/posix/registry/registry_types.h"

namespace registry {

const char kHiveEndMarker[] = ";; end of hive";

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
// A hex list breaks its line once the line reaches this many characters.
constexpr size_t kHexLineLimit = 77;

enum class Target { kHive, kExport };

// Characters of `text` as the file counts them: bytes in an ANSI hive,
// UTF-16 code units in an export.
size_t WrittenLength(const std::string& text, Target target) {
  return target == Target::kHive ? text.size() : AnsiToUtf16le(text).size() / 2;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out.push_back('\\');
      out.push_back(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";  // a bare carriage return would end the line
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string HexByte(unsigned char byte) {
  char text[3];
  std::snprintf(text, sizeof(text), "%02x", byte);
  return text;
}

// "hex:01,02,\" with continuation lines indented by two blanks.
void AppendHex(std::vector<std::string>* lines, size_t line_length, uint32_t type,
               const std::string& data) {
  std::string& first = lines->back();
  if (type == kRegBinary) {
    first += "hex:";
    line_length += 4;
  } else {
    char prefix[16];
    int written = std::snprintf(prefix, sizeof(prefix), "hex(%x):", type);
    first += prefix;
    line_length += written;
  }
  for (size_t i = 0; i < data.size(); ++i) {
    lines->back() += HexByte(static_cast<unsigned char>(data[i]));
    if (i + 1 == data.size()) break;
    lines->back() += ',';
    line_length += 3;
    if (line_length >= kHexLineLimit) {
      lines->back() += '\\';
      lines->push_back("  ");
      line_length = 2;
    }
  }
}

std::string DwordText(const std::string& data) {
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
  char text[16];
  std::snprintf(text, sizeof(text), "dword:%08x", number);
  return text;
}

// A REG_SZ that reads back unchanged from "...": one terminating zero and no
// carriage return (a line feed is escaped).
bool HasPlainString(const std::string& data) {
  if (data.empty() || data.back() != '\0') return false;
  return data.find_first_of(std::string("\0\r", 2)) == data.size() - 1;
}

void AppendValue(std::vector<std::string>* lines, const Value& value, Target target) {
  std::string head = value.name.empty() ? "@=" : "\"" + Escape(value.name) + "\"=";
  size_t length = WrittenLength(head, target);
  lines->push_back(head);
  const std::string& data = value.data;
  if (value.type == kRegSz && (target == Target::kExport || HasPlainString(data))) {
    lines->back() += "\"" + Escape(data.substr(0, data.find('\0'))) + "\"";
  } else if (value.type == kRegDword &&
             (target == Target::kExport ? data.size() >= 4 : data.size() == 4)) {
    lines->back() += DwordText(data);
  } else if (target == Target::kExport && IsStringType(value.type)) {
    AppendHex(lines, length, value.type, AnsiToUtf16le(data));
  } else {
    AppendHex(lines, length, value.type, data);
  }
}

void AppendKey(std::vector<std::string>* lines, const Key& key, const std::string& path,
               Target target, bool section) {
  if (section) {
    lines->push_back("[" + path + "]");
    if (target == Target::kHive && key.access() != kAllAccess) {
      char text[32];
      std::snprintf(text, sizeof(text), "#access=0x%08x", key.access());
      lines->push_back(text);
    }
    for (const Value& value : key.values()) AppendValue(lines, value, target);
    lines->push_back("");
  }
  for (const auto& subkey : key.subkeys()) {
    AppendKey(lines, *subkey, path + "\\" + subkey->name(), target, true);
  }
}

std::string Join(const std::vector<std::string>& lines, const char* newline) {
  std::string out;
  for (const std::string& line : lines) out += line + newline;
  return out;
}

}  // namespace

std::string FormatHive(const Key& root, const std::string& root_name) {
  std::vector<std::string> lines = {kHeader, ";; tarnwell registry hive of " + root_name, ""};
  bool root_section = !root.values().empty() || root.access() != kAllAccess;
  AppendKey(&lines, root, root_name, Target::kHive, root_section);
  lines.push_back(kHiveEndMarker);
  return Join(lines, "\n");
}

std::string FormatExport(const Key& key, const std::string& shown_path) {
  std::vector<std::string> lines = {kHeader, ""};
  AppendKey(&lines, key, shown_path, Target::kExport, true);
  return "\xFF\xFE" + AnsiToUtf16le(Join(lines, "\r\n"));
}

}  // namespace registry
