#include "tools/reg/value_text.h"

#include <cstdio>

#include "platform/posix/registry/key.h"
#include "platform/posix/registry/registry_types.h"

namespace reg {

namespace {

struct TypeEntry {
  const char* name;
  uint32_t type;
};

const TypeEntry kTypes[] = {
    {"REG_NONE", registry::kRegNone},
    {"REG_SZ", registry::kRegSz},
    {"REG_EXPAND_SZ", registry::kRegExpandSz},
    {"REG_BINARY", registry::kRegBinary},
    {"REG_DWORD", registry::kRegDword},
    {"REG_DWORD_LITTLE_ENDIAN", registry::kRegDword},
    {"REG_DWORD_BIG_ENDIAN", registry::kRegDwordBigEndian},
    {"REG_MULTI_SZ", registry::kRegMultiSz},
    {"REG_QWORD", registry::kRegQword},
};

std::string Hex(const std::string& data) {
  std::string text;
  char byte[3];
  for (unsigned char c : data) {
    std::snprintf(byte, sizeof(byte), "%02X", c);
    text += byte;
  }
  return text;
}

uint64_t LittleEndianNumber(const std::string& data, size_t bytes) {
  uint64_t number = 0;
  for (size_t i = bytes; i-- > 0;) number = (number << 8) | static_cast<unsigned char>(data[i]);
  return number;
}

}  // namespace

bool TypeFromName(const std::string& name, uint32_t* type) {
  for (const TypeEntry& entry : kTypes) {
    if (registry::SameName(name, entry.name)) {
      *type = entry.type;
      return true;
    }
  }
  return false;
}

std::string TypeName(uint32_t type) {
  for (const TypeEntry& entry : kTypes) {
    if (entry.type == type) return entry.name;
  }
  char text[16];
  std::snprintf(text, sizeof(text), "0x%x", type);
  return text;
}

std::string DataText(const registry::Value& value) {
  const std::string& data = value.data;
  char number[32];
  switch (value.type) {
    case registry::kRegSz:
    case registry::kRegExpandSz:
      return data.substr(0, data.find('\0'));
    case registry::kRegMultiSz: {
      // The strings joined by "\0", up to the empty one that ends the list.
      std::string text;
      size_t pos = 0;
      while (pos < data.size() && data[pos] != '\0') {
        size_t end = data.find('\0', pos);
        if (end == std::string::npos) end = data.size();
        if (!text.empty()) text += "\\0";
        text += data.substr(pos, end - pos);
        pos = end + 1;
      }
      return text;
    }
    case registry::kRegDword:
    case registry::kRegDwordBigEndian:
      if (data.size() < 4) return Hex(data);
      std::snprintf(number, sizeof(number), "0x%x",
                    static_cast<uint32_t>(LittleEndianNumber(data, 4)));
      return number;
    case registry::kRegQword:
      if (data.size() < 8) return Hex(data);
      std::snprintf(number, sizeof(number), "0x%llx",
                    static_cast<unsigned long long>(LittleEndianNumber(data, 8)));
      return number;
    default:
      return Hex(data);
  }
}

}  // namespace reg
