#include "platform/posix/registry/encoding.h"

#include <cstdint>

namespace registry {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

void AppendUnit(std::string* out, uint32_t unit) {
  out->push_back(static_cast<char>(unit & 0xFF));
  out->push_back(static_cast<char>(unit >> 8));
}

void AppendUtf8(std::string* out, uint32_t code) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at `*pos`, advancing it; kReplacement for a
// malformed sequence, which consumes one byte. A surrogate code point
// stands for an unpaired UTF-16 unit.
uint32_t DecodeUtf8(const std::string& text, size_t* pos) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(*pos);
  size_t length;
  uint32_t code;
  uint32_t minimum;
  if (lead < 0x80) {
    ++*pos;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    ++*pos;
    return kReplacement;
  }
  if (*pos + length > text.size()) {
    ++*pos;
    return kReplacement;
  }
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = byte(*pos + i);
    if ((next & 0xC0) != 0x80) {
      ++*pos;
      return kReplacement;
    }
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF) {
    ++*pos;
    return kReplacement;
  }
  *pos += length;
  return code;
}

}  // namespace

std::string AnsiToUtf16le(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size() * 2);
  size_t pos = 0;
  while (pos < ansi.size()) {
    uint32_t code = DecodeUtf8(ansi, &pos);
    if (code >= 0x10000) {
      code -= 0x10000;
      AppendUnit(&out, 0xD800 | (code >> 10));
      AppendUnit(&out, 0xDC00 | (code & 0x3FF));
    } else {
      AppendUnit(&out, code);
    }
  }
  return out;
}

std::string Utf16leToAnsi(const std::string& utf16le) {
  std::string out;
  size_t units = utf16le.size() / 2;
  auto unit = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(utf16le[2 * i])) |
           (static_cast<uint32_t>(static_cast<unsigned char>(utf16le[2 * i + 1])) << 8);
  };
  for (size_t i = 0; i < units; ++i) {
    uint32_t code = unit(i);
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    }
    AppendUtf8(&out, code);
  }
  return out;
}

}  // namespace registry
