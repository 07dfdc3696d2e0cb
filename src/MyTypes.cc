#include "src/MyTypes.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/path.h"
#include "src/Exception.h"
#include "src/RegistryX.h"

namespace {

// The lock-screen policy: two keys and four values.
const char kPolicyKey[] = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
const char kCreativeKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative";
const char kLockScreenImage[] = "LockScreenImage";
const char kNoChangingLockScreen[] = "NoChangingLockScreen";
const char kNoLockScreen[] = "NoLockScreen";
const char kLockImageFlags[] = "LockImageFlags";

// Registry writes run through the registry tool, elevated.
const char kElevatedVerb[] = "runas";
const char kRegistryTool[] = "reg.exe";

const char kBackupFileName[] = "reg.dat";
const char kBackupHeader[] = "Windows Registry Editor Version 5.00";
// The byte-order mark that opens a UTF-16LE backup.
const char kUtf16leByteOrderMark[] = "\xFF\xFE";
// A backup holds eight short lines; anything much larger is none.
constexpr int64_t kBackupSizeLimit = 0x100000;
// The backup's marker for an absent LockScreenImage.
const char AbsentImage[] = "^";

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%02d", value);
  return text;
}

// Length of the run of `letter` (either case) that starts at `index`.
size_t RunLength(const std::string& text, size_t index, char letter) {
  size_t end = index;
  while (end < text.size() && (text[end] | 0x20) == letter) ++end;
  return end - index;
}

std::string FormatDate(const TimeStampFormat& format, const platform::LocalTime& time) {
  const std::string& pattern = format.short_date;
  std::string text;
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char letter = static_cast<char>(c | 0x20);
    if (c == '\'' || c == '"') {  // quoted literal text
      size_t end = pattern.find(c, i + 1);
      if (end == std::string::npos) end = pattern.size();
      text.append(pattern, i + 1, end - i - 1);
      i = end + 1;
    } else if (letter == 'd' || letter == 'm' || letter == 'y' || letter == 'g') {
      const size_t run = RunLength(pattern, i, letter);
      if (letter == 'd') text += run == 1 ? std::to_string(time.day) : TwoDigits(time.day);
      if (letter == 'm') text += run == 1 ? std::to_string(time.month) : TwoDigits(time.month);
      if (letter == 'y') text += run <= 2 ? TwoDigits(time.year % 100) : std::to_string(time.year);
      // 'g' is the era, which the Gregorian calendar leaves out.
      i += run;
    } else if (c == '/') {
      text += format.date_separator;
      ++i;
    } else {
      const size_t length = platform::CharacterLength(pattern, i);
      text.append(pattern, i, length);
      i += length;
    }
  }
  return text;
}

std::string FormatTime(const TimeStampFormat& format, const platform::LocalTime& time) {
  int hour = time.hour;
  if (format.twelve_hour) hour = hour % 12 == 0 ? 12 : hour % 12;
  std::string text = format.hour_leading_zero ? TwoDigits(hour) : std::to_string(hour);
  text += format.time_separator + TwoDigits(time.minute) + format.time_separator +
          TwoDigits(time.second);
  if (!format.twelve_hour) return text;
  const std::string& designator = time.hour < 12 ? format.am : format.pm;
  return format.designator_first ? designator + " " + text : text + " " + designator;
}

bool LocaleFlag(platform::LocaleField field) {
  std::string text;
  return platform::Current().LocaleText(field, &text) && std::atoi(text.c_str()) != 0;
}

void ReadLocaleText(platform::LocaleField field, std::string* text) {
  std::string value;
  if (platform::Current().LocaleText(field, &value)) *text = value;
}

// Reads the whole of a file's tail, from `offset` to `size`.
bool ReadTail(platform::FileHandle file, int64_t offset, int64_t size, std::string* tail) {
  platform::Platform& os = platform::Current();
  tail->assign(static_cast<size_t>(size - offset), '\0');
  if (!os.SeekFile(file, offset, platform::SeekOrigin::kBegin)) return false;
  size_t done = 0;
  while (done < tail->size()) {
    uint32_t read = 0;
    if (!os.ReadFile(file, &(*tail)[done], static_cast<uint32_t>(tail->size() - done), &read) ||
        read == 0)
      return false;
    done += read;
  }
  return true;
}

bool WriteAll(platform::FileHandle file, const std::string& data) {
  uint32_t written = 0;
  return platform::Current().WriteFile(file, data.data(), static_cast<uint32_t>(data.size()),
                                       &written) &&
         written == data.size();
}

// A path holding a double quote cannot be quoted for reg.exe's command line.
bool CanQuote(const std::string& text) { return text.find('"') == std::string::npos; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// ---------------------------------------------------------------- Backup lines

std::string HexBytes(const std::string& bytes) {
  std::string text;
  char hex[4];
  for (unsigned char byte : bytes) {
    std::snprintf(hex, sizeof(hex), "%02x", byte);
    if (!text.empty()) text += ',';
    text += hex;
  }
  return text;
}

std::string NumberLine(const char* name, int32_t value) {
  std::string line = Quoted(name) + "=";
  if (value < 0) return line + "-\r\n";
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%08x", static_cast<unsigned>(value));
  return line + "dword:" + hex + "\r\n";
}

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text) {
    if (c >= 1 && c <= 31) return true;
  }
  return false;
}

// A registry-editor quoted string: backslashes doubled, double quotes escaped.
// The trail byte of a double-byte character is never a backslash.
std::string EscapedText(const std::string& text) {
  std::string escaped;
  for (size_t i = 0; i < text.size();) {
    const size_t length = platform::CharacterLength(text, i);
    if (length == 1 && (text[i] == '\\' || text[i] == '"')) escaped += '\\';
    escaped.append(text, i, length);
    i += length;
  }
  return escaped;
}

struct PolicySnapshot {
  std::string image = AbsentImage;
  int32_t no_changing = -1;
  int32_t no_lock = -1;
  int32_t flags = -1;
};

std::string PolicyKeyLine() { return std::string("[HKEY_LOCAL_MACHINE\\") + kPolicyKey + "]"; }

std::string CreativeKeyLine() { return std::string("[HKEY_CURRENT_USER\\") + kCreativeKey + "]"; }

// A text that holds a control character is written as UTF-16LE hex data,
// which only a UTF-16LE file makes every importer read alike.
bool NeedsUtf16leBackup(const std::string& image) {
  return image != AbsentImage && HasControlCharacter(image);
}

std::string BackupText(const PolicySnapshot& snapshot) {
  const std::string text = std::string(kBackupHeader) + "\r\n\r\n" + PolicyKeyLine() + "\r\n" +
                           LockScreenImageLine(snapshot.image) +
                           NumberLine(kNoChangingLockScreen, snapshot.no_changing) +
                           NumberLine(kNoLockScreen, snapshot.no_lock) + CreativeKeyLine() +
                           "\r\n" + NumberLine(kLockImageFlags, snapshot.flags);
  if (!NeedsUtf16leBackup(snapshot.image)) return text;
  return kUtf16leByteOrderMark + platform::Current().AnsiToUtf16le(text);
}

// The system's text for a failure, without its trailing blanks, control
// characters and full stops.
std::string FailureText(uint32_t code) {
  std::string text = platform::Current().ErrorText(code);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.'))
    text.pop_back();
  return text;
}

[[noreturn]] void RaiseCreateError(const std::string& file, uint32_t code) {
  EFCreateError::Raise("Cannot create file \"" + platform::Current().FullPath(file) + "\". " +
                       FailureText(code));
}

// Writes the file whole or not at all: a temporary file beside it is renamed
// into place once all of it is written.
void SaveWhole(const std::string& file, const std::string& content) {
  platform::Platform& os = platform::Current();
  const std::string temporary = file + ".tmp";
  // One left by an interrupted run gives way, even a read-only one.
  if (platform::FileExists(temporary)) {
    os.ClearReadOnly(temporary);
    os.DeleteFile(temporary);
  }
  const platform::FileHandle handle = os.OpenFile(temporary, platform::kGenericWrite,
                                                  platform::kShareNone, platform::kCreateAlways);
  if (handle == platform::kInvalidFile) RaiseCreateError(file, os.LastError());
  const bool written = WriteAll(handle, content);
  os.CloseFile(handle);
  if (!written) {
    os.DeleteFile(temporary);
    EWriteError::Raise("Stream write error");
  }
  if (!os.ReplaceFile(temporary, file)) {
    const uint32_t code = os.LastError();
    os.DeleteFile(temporary);
    RaiseCreateError(file, code);
  }
}

// Opens `key` under `root`, when it is present, for `read` to take its values.
// An error raised on the way is logged; what was not read keeps its default.
template <typename Read>
void ReadKeyLoggingErrors(TRegistryX& registry, platform::RootKey root, const char* key,
                          const std::string& log_file, Read read) {
  registry.SelectRoot(root);
  const std::string path = std::string("\\") + key;
  if (!registry.KeyPresent(path)) return;
  try {
    if (registry.OpenExistingKey(path)) {
      read();
      registry.CloseCurrentKey();
    }
  } catch (...) {
    WriteLog(log_file, "Registry read error: " + path);
  }
}

// ---------------------------------------------------------------- Backup check

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

// True when `content` holds nothing but what SaveLockScreenBackup writes:
// the header, the two keys, and each of the four values with data of its own
// type or as a deletion, each at most once.
bool IsLockScreenBackup(const std::string& content) {
  std::vector<std::string> lines;
  if (!BackupLines(content, &lines) || lines[0] != kBackupHeader) return false;
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

}  // namespace

// ---------------------------------------------------------------- Images

bool IsWordSeparator(char c) { return c >= 1 && c <= 32; }

std::vector<std::string> SplitMasks(const std::string& masks) {
  std::vector<std::string> items;
  size_t i = 0;
  while (true) {
    while (i < masks.size() && IsWordSeparator(masks[i])) ++i;
    if (i >= masks.size() || masks[i] == '\0') break;
    std::string item;
    if (masks[i] == '"') {
      // A quoted item runs to the matching quote; "" inside stands for one.
      for (++i; i < masks.size(); ++i) {
        if (masks[i] != '"') {
          item += masks[i];
        } else if (i + 1 < masks.size() && masks[i + 1] == '"') {
          item += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    }
    // Text after a closing quote belongs to the same item.
    while (i < masks.size() && !IsWordSeparator(masks[i]) && masks[i] != '\0') item += masks[i++];
    items.push_back(item);
  }
  return items;
}

bool FindImageFiles(const std::string& directory, const std::string& masks,
                    std::vector<std::string>& list) {
  list.clear();
  const std::vector<std::string> items = SplitMasks(masks);
  if (items.empty()) return false;
  const std::string prefix = platform::IncludeTrailingDelimiter(directory);
  constexpr uint32_t kNotAnImage = platform::kAttributeDirectory | platform::kAttributeHidden |
                                   platform::kAttributeSystem | platform::kAttributeVolumeLabel;
  for (const auto& found : platform::Current().FindFiles(prefix, items)) {
    for (const platform::FoundFile& entry : found) {
      if (!(entry.attributes & kNotAnImage)) list.push_back(prefix + entry.name);
    }
  }
  return !list.empty();
}

uint32_t RandSeed = 0;

void Randomize() {
  uint64_t count = 0;
  RandSeed = platform::Current().PerformanceCounter(&count) ? static_cast<uint32_t>(count)
                                                            : platform::Current().TickCount();
}

uint32_t RandomIndex(uint32_t count) {
  RandSeed = RandSeed * 0x08088405u + 1;
  return static_cast<uint32_t>((uint64_t{count} * RandSeed) >> 32);
}

// ---------------------------------------------------------------- Log

TimeStampFormat LogTimeStampFormat;

TimeStampFormat ReadTimeStampFormat() {
  using platform::LocaleField;
  TimeStampFormat format;
  std::string short_date;
  if (platform::Current().LocaleText(LocaleField::kShortDate, &short_date) && !short_date.empty())
    format.short_date = short_date;
  ReadLocaleText(LocaleField::kDateSeparator, &format.date_separator);
  ReadLocaleText(LocaleField::kTimeSeparator, &format.time_separator);
  format.twelve_hour = !LocaleFlag(LocaleField::kTimeFormat);
  format.hour_leading_zero = LocaleFlag(LocaleField::kHourLeadingZero);
  format.designator_first = LocaleFlag(LocaleField::kTimeMarkPosition);
  ReadLocaleText(LocaleField::kAmDesignator, &format.am);
  ReadLocaleText(LocaleField::kPmDesignator, &format.pm);
  return format;
}

std::string FormatTimeStamp(const TimeStampFormat& format, const platform::LocalTime& time) {
  std::string text = FormatDate(format, time);
  if (time.hour != 0 || time.minute != 0 || time.second != 0)
    text += " " + FormatTime(format, time);
  return text;
}

void WriteLog(const std::string& log_file, const std::string& message) {
  try {
    std::string line =
        FormatTimeStamp(LogTimeStampFormat, platform::Current().Now()) + "  " + message;
    if (line.back() != '\n') line += "\r\n";
    if (AppendToFile(log_file, line) > LogSizeLimit) TrimLogFile(log_file, LogSizeLimit);
  } catch (...) {
    // Whatever fails here, even memory, loses the line and nothing else.
  }
}

int64_t AppendToFile(const std::string& file, const std::string& text) {
  platform::Platform& os = platform::Current();
  // Opening and creating in one step: a log that another run creates in
  // between is appended to, never emptied.
  const platform::FileHandle handle =
      os.OpenFile(file, platform::kGenericWrite, platform::kShareNone, platform::kOpenAlways);
  if (handle == platform::kInvalidFile) return 0;
  if (os.SeekFile(handle, 0, platform::SeekOrigin::kEnd)) WriteAll(handle, text);
  int64_t size = 0;
  os.GetFileSize(handle, &size);
  os.CloseFile(handle);
  return size;
}

void TrimLogFile(const std::string& file, int32_t limit) {
  platform::Platform& os = platform::Current();
  const platform::FileHandle handle =
      os.OpenFile(file, platform::kGenericRead, platform::kShareRead, platform::kOpenExisting);
  if (handle == platform::kInvalidFile) return;
  // The cut is at the first line feed with fewer than `limit` bytes after it,
  // that is, at or after size - limit: only that tail needs reading.
  int64_t size = 0;
  std::string tail;
  const bool read =
      os.GetFileSize(handle, &size) && size > limit && ReadTail(handle, size - limit, size, &tail);
  os.CloseFile(handle);
  if (!read) return;
  const size_t line_feed = tail.find('\n');
  if (line_feed == std::string::npos) return;
  const platform::FileHandle output =
      os.OpenFile(file, platform::kGenericWrite, platform::kShareNone, platform::kCreateAlways);
  if (output == platform::kInvalidFile) return;
  WriteAll(output, tail.substr(line_feed + 1));
  os.CloseFile(output);
}

// ---------------------------------------------------------------- Lock screen

bool RunElevated(const std::string& parameters) {
  return platform::Current().ShellExecute(kElevatedVerb, kRegistryTool, parameters, "",
                                          platform::kShowHidden) > platform::kShellLastFailure;
}

bool RunElevatedAndWait(const std::string& parameters) {
  const platform::WaitedLaunch launch = platform::Current().ShellExecuteAndWait(
      kElevatedVerb, kRegistryTool, parameters, "", platform::kShowHidden);
  return launch.shell_result > platform::kShellLastFailure && launch.ended && launch.exit_code == 0;
}

void ApplyLockScreen(const std::string& image_file, const std::string& log_file) {
  struct PolicyWrite {
    const char* root;
    const char* key;
    const char* value;
    std::string type_and_data;
    bool launchable;
  };
  const PolicyWrite writes[] = {
      {"HKLM", kPolicyKey, kLockScreenImage, "REG_SZ /D " + Quoted(image_file),
       CanQuote(image_file)},
      {"HKLM", kPolicyKey, kNoChangingLockScreen, "REG_DWORD /D 1", true},
      {"HKLM", kPolicyKey, kNoLockScreen, "REG_DWORD /D 0", true},
      {"HKCU", kCreativeKey, kLockImageFlags, "REG_DWORD /D 0", true},
  };
  for (const PolicyWrite& write : writes) {
    const std::string key = std::string(write.root) + "\\" + write.key;
    const std::string parameters =
        "ADD " + Quoted(key) + " /V " + write.value + " /T " + write.type_and_data + " /F";
    if (!write.launchable || !RunElevated(parameters))
      WriteLog(log_file, "Write registry value error: " + key + write.value);
  }
}

// ---------------------------------------------------------------- Backup

std::string BackupFile(const std::string& path) {
  return platform::IncludeTrailingDelimiter(path) + kBackupFileName;
}

bool IsWow64() {
  bool wow64 = false;
  return platform::Current().QueryWow64(&wow64) && wow64;
}

std::string LockScreenImageLine(const std::string& image) {
  const std::string name = Quoted(kLockScreenImage) + "=";
  if (image == AbsentImage) return name + "-\r\n";
  // Line breaks and other control characters cannot stand in a quoted
  // string: the text goes as the UTF-16LE bytes of a string value.
  if (HasControlCharacter(image))
    return name +
           "hex(1):" + HexBytes(platform::Current().AnsiToUtf16le(image) + std::string(2, '\0')) +
           "\r\n";
  return name + Quoted(EscapedText(image)) + "\r\n";
}

void SaveLockScreenBackup(const std::string& path, const std::string& log_file) {
  PolicySnapshot snapshot;
  {
    TRegistryX registry(IsWow64() ? platform::kKeyRead | platform::kKeyWow64_64Key
                                  : platform::kKeyRead);
    ReadKeyLoggingErrors(registry, platform::kHkeyLocalMachine, kPolicyKey, log_file, [&] {
      snapshot.image = registry.ReadTextOr(kLockScreenImage, AbsentImage);
      snapshot.no_changing = registry.ReadNumberOr(kNoChangingLockScreen, -1);
      snapshot.no_lock = registry.ReadNumberOr(kNoLockScreen, -1);
    });
    ReadKeyLoggingErrors(registry, platform::kHkeyCurrentUser, kCreativeKey, log_file,
                         [&] { snapshot.flags = registry.ReadNumberOr(kLockImageFlags, -1); });
  }
  SaveWhole(BackupFile(path), BackupText(snapshot));
}

void RestoreLockScreenBackup(const std::string& path, const std::string& log_file) {
  const std::string file = BackupFile(path);
  if (!platform::FileExists(file)) {
    WriteLog(log_file, "No data registry file: " + file);
    return;
  }
  // The import runs elevated: it gets nothing a backup cannot hold. The file
  // is held, sharing only reading, from the check to the end of the import,
  // so that nobody can change, replace or delete what was checked.
  platform::Platform& os = platform::Current();
  const platform::FileHandle held =
      os.OpenFile(file, platform::kGenericRead, platform::kShareRead, platform::kOpenExisting);
  std::string content;
  const bool checked = held != platform::kInvalidFile && ReadBackupFile(held, &content) &&
                       IsLockScreenBackup(content);
  if (!checked) {
    WriteLog(log_file, "Not a lock-screen backup file: " + file);
  } else {
    // The elevated reg.exe has its own working directory: give it the full
    // path. An import that cannot be seen to end well has failed.
    const std::string full_path = os.FullPath(file);
    if (!CanQuote(full_path) || !RunElevatedAndWait("IMPORT " + Quoted(full_path)))
      WriteLog(log_file, "Import registry file error: " + file);
  }
  if (held != platform::kInvalidFile) os.CloseFile(held);
}
