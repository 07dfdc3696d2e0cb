// The operating-system services tarnwell uses, behind one small interface.
//
// Program units call these operations and never the system directly, so that
// tests can install a recording or failing platform in place of the real one.
// There are two real implementations: platform/win32 (the Windows API) and
// platform/posix (an emulated Windows on Linux: a prefix directory holding the
// registry hives and drive_c, and a `reg` stand-in for reg.exe).
//
// Every string is UTF-8. The Windows platform calls the wide-character API,
// converting at each call, so that names and values outside the system's ANSI
// code page pass unchanged; ToAnsi gives text for the files kept in that code
// page. On Linux the ANSI code page is UTF-8.
//
// The contracts every operation keeps unless its comment says otherwise:
// - Out-parameters point to storage that the operation fills. Only these may
//   be null: QueryValue's `type`, `data` and `size` (as RegQueryValueEx
//   allows), and the `read` and `written` counts of ReadFile and WriteFile.
// - After a failed call the out-parameters hold nothing to rely on, except
//   that OpenKey sets `*key` to 0, ReadFile and WriteFile set their count to
//   the bytes moved before the failure, and QueryValue's kErrorMoreData
//   gives the size needed.
// - Registry operations return a Windows status code. The file and path
//   operations (OpenFile to ReplaceFile, and GetAttributes) fail with false or
//   kInvalidFile and leave the failure's status code in LastError(). What any
//   other operation leaves in LastError() is unspecified.
// - No file handle shares deletion. While a handle to a file is open, an
//   open that its sharing excludes, DeleteFile and ReplaceFile of the file
//   fail with kErrorSharingViolation, and ReplaceFile over it with
//   kErrorAccessDenied.
// - Paths follow Windows' rules. One without the "\\?\" prefix is made full
//   and normalized before use: '/' separates, "." and ".." are resolved, a
//   single period ending a folder name is dropped, and so are the periods and
//   blanks ending the last name; so "C:\a.\f" names "C:\a\f". One with the
//   prefix ("\\?\C:\a.\f") is taken as it stands.
#ifndef TARNWELL_PLATFORM_PLATFORM_H_
#define TARNWELL_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Windows status codes, as the registry and file operations report them.
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorMoreData = 234;

// ---------------------------------------------------------------- Registry

// Predefined root keys, by their Windows handle values.
using RootKey = uint32_t;
constexpr RootKey kHkeyCurrentUser = 0x80000001;
constexpr RootKey kHkeyLocalMachine = 0x80000002;

// Access rights for OpenKey. The generic rights also serve OpenFile.
constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyCreateSubKey = 0x0004;
constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr uint32_t kKeyNotify = 0x0010;
constexpr uint32_t kReadControl = 0x00020000;
constexpr uint32_t kKeyRead = kReadControl | kKeyQueryValue | kKeyEnumerateSubKeys | kKeyNotify;
constexpr uint32_t kKeyWrite = kReadControl | kKeySetValue | kKeyCreateSubKey;
constexpr uint32_t kKeyAllAccess = 0x000F003F;
constexpr uint32_t kMaximumAllowed = 0x02000000;
constexpr uint32_t kGenericAll = 0x10000000;
constexpr uint32_t kGenericExecute = 0x20000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kGenericRead = 0x80000000;

// View flags: they choose a registry view and are not rights.
constexpr uint32_t kKeyWow64_64Key = 0x0100;  // the 64-bit registry view
constexpr uint32_t kKeyWow64_32Key = 0x0200;  // the 32-bit registry view
constexpr uint32_t kKeyWow64Views = kKeyWow64_64Key | kKeyWow64_32Key;

// Value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;

// An open registry key; 0 is no key.
using RegistryKey = uintptr_t;

// ---------------------------------------------------------------- Files

using FileHandle = intptr_t;
constexpr FileHandle kInvalidFile = -1;

// Sharing and creation modes of OpenFile, with their Windows values; its
// access is kGenericRead, kGenericWrite or both. kCreateAlways over an
// existing hidden or system file fails with kErrorAccessDenied.
constexpr uint32_t kShareNone = 0;
constexpr uint32_t kShareRead = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;
constexpr uint32_t kTruncateExisting = 5;  // needs kGenericWrite; keeps the attributes

enum class SeekOrigin { kBegin = 0, kCurrent = 1, kEnd = 2 };

// File attributes.
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeVolumeLabel = 0x08;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;

// The prefixes of a path taken as it stands: on a drive, and on a share
// ("\\?\UNC\server\share\...").
constexpr char kLiteralPathPrefix[] = "\\\\?\\";
constexpr char kLiteralUncPrefix[] = "\\\\?\\UNC\\";

// Which file an open handle is: the volume's serial number and the file's
// identifier on it. `wide` tells a 128-bit identifier (FileIdInfo) from a
// 64-bit file index; a zero identifier is none.
struct FileIdentity {
  bool wide = false;
  uint64_t volume = 0;
  uint64_t id_low = 0;
  uint64_t id_high = 0;
};

// One entry found by a wildcard search: its long name and its attributes.
struct FoundFile {
  std::string name;
  uint32_t attributes = 0;
};

// ---------------------------------------------------------------- Clock

struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
  int hour = 0;   // 0 to 23
  int minute = 0;
  int second = 0;
};

// The locale settings that the log's time stamp uses.
enum class LocaleField {
  kShortDate,         // LOCALE_SSHORTDATE, e.g. "M/d/yyyy"
  kDateSeparator,     // LOCALE_SDATE
  kTimeSeparator,     // LOCALE_STIME
  kTimeFormat,        // LOCALE_ITIME: "0" 12-hour, "1" 24-hour
  kHourLeadingZero,   // LOCALE_ITLZERO: "1" when hours get a leading zero
  kAmDesignator,      // LOCALE_S1159
  kPmDesignator,      // LOCALE_S2359
  kTimeMarkPosition,  // LOCALE_ITIMEMARKPOSN: "1" when the designator leads
};

// ---------------------------------------------------------------- Shell

constexpr int kShowHidden = 0;  // SW_HIDE
// ShellExecute's results up to this one are failures; above it, accepted.
constexpr uintptr_t kShellLastFailure = 32;

// How a launch that was waited for ended.
struct WaitedLaunch {
  uintptr_t shell_result = 0;  // as ShellExecute's: above kShellLastFailure when accepted
  bool ended = false;          // the shell gave a process to wait for, and it has ended
  uint32_t exit_code = 0;      // the process's exit status, once ended
};

// ---------------------------------------------------------------- Interface

class Platform {
 public:
  virtual ~Platform() = default;

  // Registry (RegOpenKeyEx, RegQueryValueEx, RegCloseKey). Status codes are
  // Windows error codes. `subkey` is taken from `root` and has no leading
  // backslash. QueryValue follows RegQueryValueEx: `type` and `data` may be
  // null; with data, `*size` is the buffer's size on entry and the data's size
  // on return, and a buffer too small gives kErrorMoreData. The data of a text
  // type is UTF-8, and sizes count its bytes.
  virtual uint32_t OpenKey(RootKey root, const std::string& subkey, uint32_t access,
                           RegistryKey* key) = 0;
  virtual uint32_t QueryValue(RegistryKey key, const std::string& name, uint32_t* type, void* data,
                              uint32_t* size) = 0;
  virtual void CloseKey(RegistryKey key) = 0;

  // Shell (ShellExecute without an owner window). An empty `directory` means
  // none. The result is the shell's: above 32 when the launch was accepted.
  // Never waits for the launched program.
  virtual uintptr_t ShellExecute(const std::string& verb, const std::string& file,
                                 const std::string& parameters, const std::string& directory,
                                 int show_command) = 0;
  // The same launch (ShellExecuteEx keeping the process), then waits for
  // the launched process to end. A launch handed to a program that is
  // already running gives no process to wait for.
  virtual WaitedLaunch ShellExecuteAndWait(const std::string& verb, const std::string& file,
                                           const std::string& parameters,
                                           const std::string& directory, int show_command) = 0;

  // Wildcard search (FindFirstFile/FindNextFile/FindClose). For each mask
  // in order, the entries that match `prefix` + mask, in the file system's
  // order. A missing directory gives empty lists.
  virtual std::vector<std::vector<FoundFile>> FindFiles(const std::string& prefix,
                                                        const std::vector<std::string>& masks) = 0;

  // Files (CreateFile and friends).
  virtual FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                              uint32_t disposition) = 0;
  virtual bool ReadFile(FileHandle file, void* buffer, uint32_t size, uint32_t* read) = 0;
  virtual bool WriteFile(FileHandle file, const void* data, uint32_t size, uint32_t* written) = 0;
  virtual bool SeekFile(FileHandle file, int64_t offset, SeekOrigin origin) = 0;
  virtual bool GetFileSize(FileHandle file, int64_t* size) = 0;
  // Puts the file's data on the disk (FlushFileBuffers).
  virtual bool FlushFile(FileHandle file) = 0;
  // The path the open file resolves to, links and junctions followed, as
  // "\\?\C:\..." or "\\?\UNC\server\..." (GetFinalPathNameByHandle); empty
  // when it has none.
  virtual std::string FinalPath(FileHandle file) = 0;
  // GetFileInformationByHandleEx's FileIdInfo where the system has it, else
  // GetFileInformationByHandle's index.
  virtual bool GetFileIdentity(FileHandle file, FileIdentity* identity) = 0;
  virtual void CloseFile(FileHandle file) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Renames `from` to `to`, replacing `to` when it exists.
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  virtual uint32_t LastError() = 0;
  // The system's text for a status code (FormatMessage), as the system gives it.
  virtual std::string ErrorText(uint32_t code) = 0;

  // Paths. Attributes of the entry a path names, or false when there is none.
  virtual bool GetAttributes(const std::string& path, uint32_t* attributes) = 0;
  virtual std::string FullPath(const std::string& path) = 0;  // GetFullPathName
  // The current directory as the system reports it: no trailing backslash
  // unless it is the root of a drive.
  virtual std::string CurrentDirectory() = 0;
  // The system folder (GetSystemDirectory), which holds reg.exe; empty when
  // the system gives none.
  virtual std::string SystemDirectory() = 0;
  // Takes the read-only attribute off a file (SetFileAttributes); false
  // when it fails.
  virtual bool ClearReadOnly(const std::string& path) = 0;
  // The UTF-16LE bytes of a text.
  virtual std::string ToUtf16le(const std::string& text) = 0;
  // A text in the system's ANSI code page (WideCharToMultiByte to CP_ACP,
  // without best fit): false when a character has no equivalent there, which
  // then becomes the code page's default character.
  virtual bool ToAnsi(const std::string& text, std::string* ansi) = 0;

  // Clock and locale. LocaleText gives the calling thread's locale setting,
  // or false when the locale has none.
  virtual LocalTime Now() = 0;
  virtual bool LocaleText(LocaleField field, std::string* text) = 0;
  virtual bool PerformanceCounter(uint64_t* count) = 0;  // false when there is none
  virtual uint32_t TickCount() = 0;

  // "IsWow64Process" looked up by name in kernel32: false when it is absent
  // or fails, else true with its answer in `*wow64`.
  virtual bool QueryWow64(bool* wow64) = 0;

  // Process. CommandLine is the raw command line (GetCommandLine).
  // CodeOffset is `address` relative to the executable's load address.
  // WriteStandardError converts to the OEM code page where there is one.
  virtual std::string CommandLine() = 0;
  virtual std::string ModuleFileName() = 0;
  virtual uintptr_t CodeOffset(const void* address) = 0;
  virtual void WriteStandardError(const std::string& text) = 0;
};

// The real platform of this build.
Platform& RealPlatform();

// The platform in use: the real one unless a test installed another.
Platform& Current();

// Installs a platform for the lifetime of this object (tests only).
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& platform);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace platform

#endif  // TARNWELL_PLATFORM_PLATFORM_H_
