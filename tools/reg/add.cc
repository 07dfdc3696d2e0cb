// REG ADD key [/v name | /ve] [/t type] [/s separator] [/d data] [/f] [/reg:32|64]
#include <cctype>
#include <cstdint>

#include "platform/posix/hex_digit.h"
#include "platform/posix/registry/encoding.h"
#include "platform/posix/registry/registry_types.h"
#include "platform/posix/registry/views.h"
#include "tools/reg/reg.h"
#include "tools/reg/value_text.h"

namespace reg {

namespace {

// Reads a number as reg.exe does: decimal, or hexadecimal after 0x; leading
// blanks are skipped and nothing may follow.
bool ParseNumber(const std::string& text, uint64_t limit, uint64_t* number) {
  size_t pos = 0;
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  int base = 10;
  if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0) {
    base = 16;
    pos += 2;
  }
  uint64_t value = 0;
  for (; pos < text.size(); ++pos) {
    int digit = platform::HexDigit(text[pos]);
    if (digit < 0 || digit >= base) return false;
    if (value > (limit - digit) / base) return false;
    value = value * base + digit;
  }
  *number = value;
  return true;
}

bool ParseBinary(const std::string& text, std::string* data) {
  size_t pos = 0;
  if (text.size() % 2 == 1) {
    int digit = platform::HexDigit(text[0]);
    if (digit < 0) return false;
    data->push_back(static_cast<char>(digit));
    pos = 1;
  }
  for (; pos < text.size(); pos += 2) {
    int high = platform::HexDigit(text[pos]);
    int low = platform::HexDigit(text[pos + 1]);
    if (high < 0 || low < 0) return false;
    data->push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

// Strings separated by `separator`; an empty string between two separators
// is refused, a trailing separator ends the list.
bool ParseMultiString(const std::string& text, const std::string& separator, std::string* data) {
  if (text.empty()) {
    *data = std::string(1, '\0');
    return true;
  }
  size_t pos = 0;
  bool ends_with_separator = false;
  while (pos <= text.size()) {
    size_t next = text.find(separator, pos);
    if (next == std::string::npos) {
      *data += text.substr(pos);
      ends_with_separator = false;
      break;
    }
    if (next == pos && pos != 0) return false;
    *data += text.substr(pos, next - pos) + '\0';
    pos = next + separator.size();
    ends_with_separator = pos == text.size();
    if (ends_with_separator) break;
  }
  *data += ends_with_separator ? std::string(1, '\0') : std::string(2, '\0');
  return true;
}

std::string LittleEndian(uint64_t number, size_t bytes) {
  std::string data;
  for (size_t i = 0; i < bytes; ++i) data.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
  return data;
}

}  // namespace

int Add(const Arguments& arguments, Context* context) {
  if (arguments.empty()) return context->InvalidSyntax("add");
  KeyName key;
  std::string name, type_name = "REG_SZ", separator = "\\0", text;
  bool has_name = false, has_default = false, has_type = false, has_separator = false,
       has_data = false, force = false, view32 = false, has_view = false, repeated = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    bool more = i + 1 < arguments.size();
    auto take = [&](bool* seen, std::string* value) {
      if (*seen || !more) repeated = true;
      *seen = true;
      if (more) *value = arguments[++i];
    };
    if (IsOption(option, "/v")) {
      take(&has_name, &name);
    } else if (IsOption(option, "/ve")) {
      if (has_default) repeated = true;
      has_default = true;
    } else if (IsOption(option, "/t")) {
      take(&has_type, &type_name);
    } else if (IsOption(option, "/s")) {
      take(&has_separator, &separator);
    } else if (IsOption(option, "/d")) {
      take(&has_data, &text);
    } else if (IsOption(option, "/f")) {
      if (force) repeated = true;
      force = true;
    } else if (!ParseViewOption(option, &view32, &has_view, &repeated)) {
      return context->InvalidSyntax("add");
    }
  }
  if (repeated || (has_name && has_default) || (has_separator && separator.size() != 1)) {
    return context->InvalidSyntax("add");
  }
  if (!ParseKeyName(arguments[0], &key, context)) return 1;

  uint32_t type;
  if (!TypeFromName(type_name, &type)) {
    context->Message("Unsupported registry data type [" + type_name + "]");
    return 1;
  }
  std::string data;
  switch (type) {
    case registry::kRegDword:
    case registry::kRegDwordBigEndian:
    case registry::kRegQword: {
      if (!has_data) {
        context->Message("Invalid command line parameters");
        return 1;
      }
      bool qword = type == registry::kRegQword;
      uint64_t number;
      if (!ParseNumber(text, qword ? UINT64_MAX : UINT32_MAX, &number)) {
        context->Message("The option [/d] must be followed by a valid numeric value");
        return 1;
      }
      // Wine stores REG_DWORD_BIG_ENDIAN in little-endian order too.
      data = LittleEndian(number, qword ? 8 : 4);
      break;
    }
    case registry::kRegBinary:
      if (!ParseBinary(text, &data)) {
        context->Message("The option [/d] must be followed by a valid hexadecimal value");
        return 1;
      }
      break;
    case registry::kRegMultiSz:
      if (!ParseMultiString(text, separator, &data)) {
        context->Message("The option [/d] must be followed by a valid string");
        return 1;
      }
      break;
    case registry::kRegNone:
      // Stored as a Unicode string, which the ANSI functions do not convert.
      data = registry::AnsiToUtf16le(text + '\0');
      break;
    default:
      data = text + '\0';
      break;
  }

  registry::HiveSession session(context->prefix, registry::HiveSession::Mode::kWrite);
  registry::Key* hive = OpenHive(&session, key.root, true, context);
  if (hive == nullptr) return 1;
  std::string path = registry::ResolveView(key.root, key.subkey, view32);
  registry::Key* target = hive->Find(path);
  if (target != nullptr && !registry::AccessGranted(*target, platform::kKeySetValue)) {
    context->Message("Access is denied");
    return 1;
  }
  if (target == nullptr) target = hive->Create(path);
  target->SetValue(has_name ? name : "", type, data);
  if (CommitOrReport(&session, context) != 0) return 1;
  context->Message("The operation completed successfully");
  return 0;
}

}  // namespace reg
