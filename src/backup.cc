#include "src/backup.h"

#include <cstdio>

#include "platform/path.h"
#include "platform/platform.h"
#include "src/errors.h"
#include "src/file_io.h"
#include "src/lock_screen.h"
#include "src/log.h"
#include "src/registry_reader.h"

namespace {

const char kBackupFileName[] = "reg.dat";
// The backup's marker for an absent LockScreenImage.
const char AbsentImage[] = "^";

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
// This is done in UTF-8, where no byte of another character is either of them,
// before the text is put in the system's code page.
std::string EscapedText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

struct PolicySnapshot {
  std::string image = AbsentImage;
  int32_t no_changing = -1;
  int32_t no_lock = -1;
  int32_t flags = -1;
};

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
  // A backup in the system's code page, as older versions wrote it, unless
  // that would lose a character.
  std::string ansi;
  if (!NeedsUtf16leBackup(snapshot.image) && platform::Current().ToAnsi(text, &ansi)) return ansi;
  return kUtf16leByteOrderMark + platform::Current().ToUtf16le(text);
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
  // The data reaches the disk before the name does: a rename commits only
  // the name, and a power cut could otherwise leave a reg.dat of zeros.
  const bool written = WriteAll(handle, content) && os.FlushFile(handle);
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

}  // namespace

std::string PolicyKeyLine() { return std::string("[HKEY_LOCAL_MACHINE\\") + kPolicyKey + "]"; }

std::string CreativeKeyLine() { return std::string("[HKEY_CURRENT_USER\\") + kCreativeKey + "]"; }

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
           "hex(1):" + HexBytes(platform::Current().ToUtf16le(image) + std::string(2, '\0')) +
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
