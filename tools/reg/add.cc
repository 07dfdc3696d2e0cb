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

// Reads a number as reg.exe does, with the C library's strtoul: decimal, or
// hexadecimal when the second character is an x; leading white space and a
// sign are taken, nothing may follow. A negative number wraps around; one
// too large for `bits` is refused, unless negative (then it reads as 1).
bool ParseNumber(const std::string& text, int bits, uint64_t* number) {
  const uint64_t limit = bits == 64 ? UINT64_MAX : UINT32_MAX;
  int base = text.size() > 1 && (text[1] == 'x' || text[1] == 'X') ? 16 : 10;
  size_t pos = 0;
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  if (base == 16 && text.compare(pos, 2, "0x") == 0) pos += 2;
  if (base == 16 && text.compare(pos, 2, "0X") == 0) pos += 2;
  size_t first = pos;
  uint64_t value = 0;
  bool overflow = false;
  for (; pos < text.size(); ++pos) {
    int digit = platform::HexDigit(text[pos]);
    if (digit < 0 || digit >= base) break;
    if (value > (limit - digit) / base) overflow = true;
    if (!overflow) value = value * base + digit;
  }
  *number = 0;
  if (pos == first) return text.empty();
  if (pos != text.size()) return false;
  if (overflow) {
    if (!negative) return false;
    value = 1;
  } else if (negative) {
    value = (~value + 1) & limit;
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

// Strings separated by `separator`, or by the two characters \0 without
// one. Two separators in a row are refused, and so is a leading one with
// anything after it; the list ends with an empty string.
bool ParseMultiString(const std::string& text, const std::string& separator, std::string* data) {
  std::string units;
  for (size_t i = 0; i < text.size(); ++i) {
    if (separator.empty() && text.compare(i, 2, "\\0") == 0) {
      units.push_back('\0');
      ++i;
    } else {
      units.push_back(text.compare(i, 1, separator) == 0 ? '\0' : text[i]);
    }
    size_t last = units.size() - 1;
    if (last > 0 && units[last - 1] == '\0' && (units[last] == '\0' || last == 1)) return false;
  }
  units.push_back('\0');
  if (units.size() > 1 && units[units.size() - 2] != '\0') units.push_back('\0');
  *data = units;
  return true;
}

std::string LittleEndian(uint64_t number, size_t bytes) {
  std::string data;
  for (size_t i = 0; i < bytes; ++i) data.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
  return data;
}

// The data of the value from /t and /d, saying why when it is refused.
bool ParseData(const std::string& type_name, bool has_data, const std::string& text,
               const std::string& separator, uint32_t* type, std::string* data, Context* context) {
  if (!TypeFromName(type_name, type)) {
    context->Message("Unsupported registry data type [" + type_name + "]");
    return false;
  }
  switch (*type) {
    case registry::kRegDword:
    case registry::kRegDwordBigEndian:
    case registry::kRegQword: {
      bool qword = *type == registry::kRegQword;
      if (!has_data && !qword) {
        context->Message("Invalid command line parameters");
        return false;
      }
      uint64_t number;
      if ((!qword && text.compare(0, 1, "-") == 0) ||
          !ParseNumber(text, qword ? 64 : 32, &number)) {
        context->Message("The option [/d] must be followed by a valid numeric value");
        return false;
      }
      // Wine stores REG_DWORD_BIG_ENDIAN in little-endian order too.
      *data = LittleEndian(number, qword ? 8 : 4);
      return true;
    }
    case registry::kRegBinary:
      if (ParseBinary(text, data)) return true;
      context->Message("The option [/d] must be followed by a valid hexadecimal value");
      return false;
    case registry::kRegMultiSz:
      if (ParseMultiString(text, separator, data)) return true;
      context->Message("The option [/d] must be followed by a valid string");
      return false;
    case registry::kRegNone:
      // Stored as a Unicode string, which the ANSI functions do not convert.
      *data = registry::AnsiToUtf16le(text + '\0');
      return true;
    default:
      *data = text + '\0';
      return true;
  }
}

}  // namespace

int Add(const Arguments& arguments, Context* context) {
  if (arguments.empty()) return context->InvalidSyntax("add");
  KeyName key;
  std::string name, type_name = "REG_SZ", separator, text;
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

  // The key is made before the type and data are checked, as by Wine's reg.
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
  uint32_t type;
  std::string data;
  if (!ParseData(type_name, has_data, text, separator, &type, &data, context)) {
    CommitOrReport(&session, context);
    return 1;
  }
  target->SetValue(has_name ? name : "", type, data);
  if (CommitOrReport(&session, context) != 0) return 1;
  context->Message("The operation completed successfully");
  return 0;
}

}  // namespace reg
