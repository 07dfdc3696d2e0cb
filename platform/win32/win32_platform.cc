// The real Windows behind the platform interface: each operation is one call
// (or a short fixed sequence of calls) of the wide-character Windows API, its
// texts converted from and to UTF-8 at the call. The ANSI API would turn every
// character outside the system's code page into another.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

// The headers map these names to their A/W variants; the interface uses them
// as method names.
#undef DeleteFile
#undef GetFileSize
#undef ReadFile
#undef ShellExecute
#undef WriteFile

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

HKEY ToHkey(RootKey root) {
  // Predefined keys are sign-extended 32-bit values: 0x80000002 becomes
  // 0xFFFFFFFF80000002 on 64-bit Windows.
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// UTF-8 text as the wide API takes it, with a closing zero.
class Wide {
 public:
  explicit Wide(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int units = size ? MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0) : 0;
    units_.assign(static_cast<size_t>(units) + 1, L'\0');
    if (units) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, units_.data(), units);
  }
  operator const wchar_t*() const { return units_.data(); }
  int length() const { return static_cast<int>(units_.size() - 1); }
  // An empty text as none, for a parameter that may be left out.
  const wchar_t* OrNull() const { return length() ? units_.data() : nullptr; }

 private:
  std::vector<wchar_t> units_;
};

// `units` UTF-16 units (up to a zero when `units` is -1) as UTF-8, or in `code_page`.
std::string Narrow(const wchar_t* text, int units, UINT code_page = CP_UTF8, DWORD flags = 0,
                   BOOL* used_default = nullptr) {
  if (units == 0) return std::string();
  const int size =
      WideCharToMultiByte(code_page, flags, text, units, nullptr, 0, nullptr, used_default);
  std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(code_page, flags, text, units, &narrow[0], size, nullptr, used_default);
  if (units < 0 && !narrow.empty()) narrow.pop_back();  // the closing zero
  return narrow;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A value's type and data, texts in UTF-8, however much it grows between reads.
LONG ReadValue(HKEY key, const wchar_t* name, DWORD* type, std::string* data) {
  data->clear();
  for (;;) {
    DWORD size = static_cast<DWORD>(data->size());
    LONG status = RegQueryValueExW(key, name, nullptr, type,
                                   size ? reinterpret_cast<BYTE*>(&(*data)[0]) : nullptr, &size);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return status;
    if (status == ERROR_SUCCESS && size <= data->size()) {
      data->resize(size);
      break;
    }
    data->resize(size);
  }
  if (IsText(*type))
    *data = Narrow(reinterpret_cast<const wchar_t*>(data->data()),
                   static_cast<int>(data->size() / sizeof(wchar_t)));
  return ERROR_SUCCESS;
}

// The text that `call(buffer, size)` writes: it returns the text's length,
// or at least `size` when the buffer is too small, which then grows.
template <typename Call>
std::string GrowingText(Call call) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return Narrow(buffer.data(), static_cast<int>(length));
    buffer.resize(std::max<size_t>(length + 1, buffer.size() * 2));
  }
}

LCTYPE ToLocaleType(LocaleField field) {
  switch (field) {
    case LocaleField::kShortDate:
      return LOCALE_SSHORTDATE;
    case LocaleField::kDateSeparator:
      return LOCALE_SDATE;
    case LocaleField::kTimeSeparator:
      return LOCALE_STIME;
    case LocaleField::kTimeFormat:
      return LOCALE_ITIME;
    case LocaleField::kHourLeadingZero:
      return LOCALE_ITLZERO;
    case LocaleField::kAmDesignator:
      return LOCALE_S1159;
    case LocaleField::kPmDesignator:
      return LOCALE_S2359;
    case LocaleField::kTimeMarkPosition:
      return LOCALE_ITIMEMARKPOSN;
  }
  return LOCALE_SSHORTDATE;
}

class Win32Platform : public Platform {
 public:
  uint32_t OpenKey(RootKey root, const std::string& subkey, uint32_t access,
                   RegistryKey* key) override {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(ToHkey(root), Wide(subkey), 0, access, &opened);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
    return static_cast<uint32_t>(status);
  }

  uint32_t QueryValue(RegistryKey key, const std::string& name, uint32_t* type, void* data,
                      uint32_t* size) override {
    if (data && !size) return kErrorInvalidParameter;
    DWORD value_type = 0;
    std::string value;
    const LONG status = ReadValue(reinterpret_cast<HKEY>(key), Wide(name), &value_type, &value);
    if (status != ERROR_SUCCESS) return static_cast<uint32_t>(status);
    if (type) *type = value_type;
    if (!size) return kErrorSuccess;
    const bool fits = *size >= value.size();
    *size = static_cast<uint32_t>(value.size());
    if (!data) return kErrorSuccess;
    if (!fits) return kErrorMoreData;
    std::memcpy(data, value.data(), value.size());
    return kErrorSuccess;
  }

  void CloseKey(RegistryKey key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }

  uintptr_t ShellExecute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show_command) override {
    HINSTANCE result = ShellExecuteW(nullptr, Wide(verb), Wide(file), Wide(parameters),
                                     Wide(directory).OrNull(), show_command);
    return reinterpret_cast<uintptr_t>(result);
  }

  WaitedLaunch ShellExecuteAndWait(const std::string& verb, const std::string& file,
                                   const std::string& parameters, const std::string& directory,
                                   int show_command) override {
    // As ShellExecute launches, with no error box, keeping the process.
    const Wide wide_verb(verb), wide_file(file), wide_parameters(parameters),
        wide_directory(directory);
    SHELLEXECUTEINFOW launch = {};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    launch.lpVerb = wide_verb;
    launch.lpFile = wide_file;
    launch.lpParameters = wide_parameters;
    launch.lpDirectory = wide_directory.OrNull();
    launch.nShow = show_command;
    ShellExecuteExW(&launch);
    WaitedLaunch waited;
    waited.shell_result = reinterpret_cast<uintptr_t>(launch.hInstApp);
    if (waited.shell_result <= kShellLastFailure || !launch.hProcess) return waited;
    DWORD exit_code = 0;
    waited.ended = WaitForSingleObject(launch.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                   GetExitCodeProcess(launch.hProcess, &exit_code);
    waited.exit_code = exit_code;
    CloseHandle(launch.hProcess);
    return waited;
  }

  std::vector<std::vector<FoundFile>> FindFiles(const std::string& prefix,
                                                const std::vector<std::string>& masks) override {
    std::vector<std::vector<FoundFile>> found(masks.size());
    for (size_t i = 0; i < masks.size(); ++i) {
      WIN32_FIND_DATAW entry;
      HANDLE search = FindFirstFileW(Wide(prefix + masks[i]), &entry);
      if (search == INVALID_HANDLE_VALUE) continue;
      do {
        found[i].push_back(FoundFile{Narrow(entry.cFileName, -1), entry.dwFileAttributes});
      } while (FindNextFileW(search, &entry));
      FindClose(search);
    }
    return found;
  }

  FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                      uint32_t disposition) override {
    HANDLE file = CreateFileW(Wide(path), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(file);
  }

  bool ReadFile(FileHandle file, void* buffer, uint32_t size, uint32_t* read) override {
    DWORD done = 0;
    BOOL ok = ::ReadFile(ToHandle(file), buffer, size, &done, nullptr);
    if (read) *read = done;
    return ok;
  }

  bool WriteFile(FileHandle file, const void* data, uint32_t size, uint32_t* written) override {
    DWORD done = 0;
    BOOL ok = ::WriteFile(ToHandle(file), data, size, &done, nullptr);
    if (written) *written = done;
    return ok;
  }

  bool SeekFile(FileHandle file, int64_t offset, SeekOrigin origin) override {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(ToHandle(file), distance, nullptr, static_cast<DWORD>(origin));
  }

  bool GetFileSize(FileHandle file, int64_t* size) override {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(ToHandle(file), &value)) return false;
    *size = value.QuadPart;
    return true;
  }

  bool FlushFile(FileHandle file) override { return FlushFileBuffers(ToHandle(file)); }

  std::string FinalPath(FileHandle file) override {
    return GrowingText([&](wchar_t* buffer, DWORD size) {
      return GetFinalPathNameByHandleW(ToHandle(file), buffer, size,
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
  }

  bool GetFileIdentity(FileHandle file, FileIdentity* identity) override {
    *identity = FileIdentity();
    FILE_ID_INFO wide;
    if (GetFileInformationByHandleEx(ToHandle(file), FileIdInfo, &wide, sizeof wide)) {
      static_assert(sizeof wide.FileId.Identifier == 2 * sizeof(uint64_t), "128 bits");
      identity->wide = true;
      identity->volume = wide.VolumeSerialNumber;
      std::memcpy(&identity->id_low, wide.FileId.Identifier, sizeof identity->id_low);
      std::memcpy(&identity->id_high, wide.FileId.Identifier + 8, sizeof identity->id_high);
      return true;
    }
    // Systems before Windows 8 have only the 64-bit index.
    BY_HANDLE_FILE_INFORMATION basic;
    if (!GetFileInformationByHandle(ToHandle(file), &basic)) return false;
    identity->volume = basic.dwVolumeSerialNumber;
    identity->id_low = static_cast<uint64_t>(basic.nFileIndexHigh) << 32 | basic.nFileIndexLow;
    return true;
  }

  void CloseFile(FileHandle file) override { CloseHandle(ToHandle(file)); }

  bool DeleteFile(const std::string& path) override { return DeleteFileW(Wide(path)); }

  bool ReplaceFile(const std::string& from, const std::string& to) override {
    return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }

  uint32_t LastError() override { return GetLastError(); }

  std::string ErrorText(uint32_t code) override {
    wchar_t buffer[1024];
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       buffer, sizeof buffer / sizeof *buffer, nullptr);
    return Narrow(buffer, static_cast<int>(length));
  }

  bool GetAttributes(const std::string& path, uint32_t* attributes) override {
    DWORD value = GetFileAttributesW(Wide(path));
    if (value == INVALID_FILE_ATTRIBUTES) return false;
    *attributes = value;
    return true;
  }

  std::string FullPath(const std::string& path) override {
    const Wide wide_path(path);
    return GrowingText([&](wchar_t* buffer, DWORD size) {
      return GetFullPathNameW(wide_path, size, buffer, nullptr);
    });
  }

  std::string CurrentDirectory() override {
    return GrowingText(
        [](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
  }

  std::string SystemDirectory() override {
    return GrowingText([](wchar_t* buffer, DWORD size) {
      return static_cast<DWORD>(GetSystemDirectoryW(buffer, size));
    });
  }

  bool ClearReadOnly(const std::string& path) override {
    const Wide wide_path(path);
    DWORD attributes = GetFileAttributesW(wide_path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(wide_path, attributes & ~FILE_ATTRIBUTE_READONLY);
  }

  std::string ToUtf16le(const std::string& text) override {
    // Windows runs little-endian: the units are written in byte order.
    const Wide wide(text);
    return std::string(reinterpret_cast<const char*>(static_cast<const wchar_t*>(wide)),
                       static_cast<size_t>(wide.length()) * sizeof(wchar_t));
  }

  bool ToAnsi(const std::string& text, std::string* ansi) override {
    // UTF-8 as the system's code page takes no conversion, nor the flags below.
    if (GetACP() == CP_UTF8) {
      *ansi = text;
      return true;
    }
    const Wide wide(text);
    BOOL used_default = FALSE;
    *ansi = Narrow(wide, wide.length(), CP_ACP, WC_NO_BEST_FIT_CHARS, &used_default);
    return !used_default;
  }

  LocalTime Now() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    return time;
  }

  bool LocaleText(LocaleField field, std::string* text) override {
    wchar_t buffer[256];
    int length = GetLocaleInfoW(GetThreadLocale(), ToLocaleType(field), buffer,
                                sizeof buffer / sizeof *buffer);
    if (length <= 0) return false;
    *text = Narrow(buffer, length - 1);  // without the terminating zero
    return true;
  }

  bool PerformanceCounter(uint64_t* count) override {
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value)) return false;
    *count = static_cast<uint64_t>(value.QuadPart);
    return true;
  }

  uint32_t TickCount() override { return GetTickCount(); }

  bool QueryWow64(bool* wow64) override {
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
    if (!found) return false;
    // Through a plain function pointer type, which any function pointer may
    // be cast to without a warning.
    auto is_wow64_process =
        reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(found));
    BOOL answer = FALSE;
    if (!is_wow64_process(GetCurrentProcess(), &answer)) return false;
    *wow64 = answer != FALSE;
    return true;
  }

  std::string CommandLine() override { return Narrow(GetCommandLineW(), -1); }

  std::string ModuleFileName() override {
    return GrowingText(
        [](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
  }

  uintptr_t CodeOffset(const void* address) override {
    return reinterpret_cast<uintptr_t>(address) -
           reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
  }

  void WriteStandardError(const std::string& text) override {
    const Wide wide(text);
    const std::string oem = Narrow(wide, wide.length(), CP_OEMCP);
    DWORD written = 0;
    ::WriteFile(GetStdHandle(STD_ERROR_HANDLE), oem.data(), static_cast<DWORD>(oem.size()),
                &written, nullptr);
  }
};

}  // namespace

Platform& RealPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace platform
