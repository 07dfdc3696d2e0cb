#include "src/backup_check.h"

#include <cctype>
#include <string>
#include <vector>

#include "src/backup.h"
#include "src/file_io.h"
#include "src/lock_screen.h"

namespace {

// A backup holds eight short lines; anything much larger is none.
constexpr int64_t kBackupSizeLimit = 0x100000;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

// Registry names are compared without regard to case.
bool SameName(const std::string& text, size_t start, const std::string& name) {
  if (text.size() - start < name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (AsciiLower(text[start + i]) != AsciiLower(name[i])) return false;
  }
  return true;
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Hexadecimal bytes separated by commas, or nothing, from `start` to the end.
bool IsHexList(const std::string& text, size_t start) {
  for (size_t i = start; i < text.size(); ++i) {
    size_t digits = 0;
    while (i < text.size() && IsHexDigit(text[i]) && digits < 2) ++i, ++digits;
    if (digits == 0 || (i < text.size() && (text[i] != ',' || i + 1 == text.size()))) return false;
  }
  return true;
}

// True when `line` gives the named value data of its own type, or deletes it.
bool IsBackupValueLine(const std::string& line, const char* name, bool text) {
  const std::string start = Quoted(name) + "=";
  if (!SameName(line, 0, start)) return false;
  const std::string data = line.substr(start.size());
  if (data == "-") return true;
  if (!text) {
    if (data.size() < 7 || data.size() > 14 || data.compare(0, 6, "dword:") != 0) return false;
    for (size_t i = 6; i < data.size(); ++i) {
      if (!IsHexDigit(data[i])) return false;
    }
    return true;
  }
  if (data.compare(0, 7, "hex(1):") == 0) return IsHexList(data, 7);
  // Older backups left double quotes inside the text unescaped.
  return data.size() >= 2 && data.front() == '"' && data.back() == '"';
}

// The whole of an open file no larger than a backup can be.
bool ReadBackupFile(platform::FileHandle file, std::string* content) {
  int64_t size = 0;
  return platform::Current().GetFileSize(file, &size) && size <= kBackupSizeLimit &&
         ReadTail(file, 0, size, content);
}

// The lines of a backup in either form. Only ASCII characters give a backup
// its structure, so a UTF-16LE unit beyond ASCII becomes one byte that is
// neither a delimiter nor a control character. CR, LF and CR LF all end a
// line; no other control character may appear.
bool BackupLines(const std::string& content, std::vector<std::string>* lines) {
  std::string text;
  if (content.compare(0, 2, kUtf16leByteOrderMark) == 0) {
    if (content.size() % 2 != 0) return false;
    for (size_t i = 2; i < content.size(); i += 2) {
      const unsigned unit =
          static_cast<unsigned char>(content[i]) | static_cast<unsigned char>(content[i + 1]) << 8;
      text += unit < 0x80 ? static_cast<char>(unit) : '\x80';
    }
  } else {
    text = content;
  }
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      lines->push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c < 32) {
      return false;
    } else {
      line += static_cast<char>(c);
    }
  }
  lines->push_back(line);
  return true;
}

}  // namespace

bool IsLockScreenBackup(platform::FileHandle file) {
  std::string content;
  std::vector<std::string> lines;
  if (!ReadBackupFile(file, &content) || !BackupLines(content, &lines) || lines[0] != kBackupHeader)
    return false;
  struct Allowed {
    const char* key;
    const char* name;
    bool text;
    bool seen;
  };
  Allowed values[] = {{kPolicyKey, kLockScreenImage, true, false},
                      {kPolicyKey, kNoChangingLockScreen, false, false},
                      {kPolicyKey, kNoLockScreen, false, false},
                      {kCreativeKey, kLockImageFlags, false, false}};
  Allowed keys[] = {{kPolicyKey, nullptr, false, false}, {kCreativeKey, nullptr, false, false}};
  const std::string key_lines[] = {PolicyKeyLine(), CreativeKeyLine()};
  const char* section = nullptr;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    Allowed* found = nullptr;
    for (size_t k = 0; k < 2; ++k) {
      if (line.size() == key_lines[k].size() && SameName(line, 0, key_lines[k])) found = &keys[k];
    }
    for (Allowed& value : values) {
      if (!found && value.key == section && IsBackupValueLine(line, value.name, value.text))
        found = &value;
    }
    if (!found || found->seen) return false;
    found->seen = true;
    if (!found->name) section = found->key;
  }
  return true;
}
