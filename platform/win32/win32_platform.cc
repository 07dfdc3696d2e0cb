// The real Windows behind the platform interface: each operation is one call
// (or a short fixed sequence of calls) of the ANSI Windows API.
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
    LONG status = RegOpenKeyExA(ToHkey(root), subkey.c_str(), 0, access, &opened);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
    return static_cast<uint32_t>(status);
  }

  uint32_t QueryValue(RegistryKey key, const std::string& name, uint32_t* type, void* data,
                      uint32_t* size) override {
    DWORD value_type = 0;
    DWORD value_size = size ? *size : 0;
    LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr,
                                   type ? &value_type : nullptr, static_cast<BYTE*>(data),
                                   size ? &value_size : nullptr);
    if (type) *type = value_type;
    if (size) *size = value_size;
    return static_cast<uint32_t>(status);
  }

  void CloseKey(RegistryKey key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }

  uintptr_t ShellExecute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show_command) override {
    HINSTANCE result = ShellExecuteA(nullptr, verb.c_str(), file.c_str(), parameters.c_str(),
                                     directory.empty() ? nullptr : directory.c_str(), show_command);
    return reinterpret_cast<uintptr_t>(result);
  }

  WaitedLaunch ShellExecuteAndWait(const std::string& verb, const std::string& file,
                                   const std::string& parameters, const std::string& directory,
                                   int show_command) override {
    // As ShellExecuteA launches, with no error box, keeping the process.
    SHELLEXECUTEINFOA launch = {};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    launch.lpVerb = verb.c_str();
    launch.lpFile = file.c_str();
    launch.lpParameters = parameters.c_str();
    launch.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    launch.nShow = show_command;
    ShellExecuteExA(&launch);
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
      WIN32_FIND_DATAA entry;
      HANDLE search = FindFirstFileA((prefix + masks[i]).c_str(), &entry);
      if (search == INVALID_HANDLE_VALUE) continue;
      do {
        found[i].push_back(FoundFile{entry.cFileName, entry.dwFileAttributes});
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    return found;
  }

  FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                      uint32_t disposition) override {
    HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition,
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

  void CloseFile(FileHandle file) override { CloseHandle(ToHandle(file)); }

  bool DeleteFile(const std::string& path) override { return DeleteFileA(path.c_str()); }

  bool ReplaceFile(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }

  uint32_t LastError() override { return GetLastError(); }

  std::string ErrorText(uint32_t code) override {
    char buffer[1024];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, buffer, sizeof buffer, nullptr);
    return std::string(buffer, length);
  }

  bool GetAttributes(const std::string& path, uint32_t* attributes) override {
    DWORD value = GetFileAttributesA(path.c_str());
    if (value == INVALID_FILE_ATTRIBUTES) return false;
    *attributes = value;
    return true;
  }

  std::string FullPath(const std::string& path) override {
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0) return std::string();
    if (length < sizeof buffer) return std::string(buffer, length);
    std::string longer(length, '\0');
    length = GetFullPathNameA(path.c_str(), length, &longer[0], nullptr);
    longer.resize(length < longer.size() ? length : 0);
    return longer;
  }

  std::string CurrentDirectory() override {
    char buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    if (length < sizeof buffer) return std::string(buffer, length);
    std::string longer(length, '\0');
    length = GetCurrentDirectoryA(length, &longer[0]);
    longer.resize(length < longer.size() ? length : 0);
    return longer;
  }

  bool IsLeadByte(unsigned char byte) override { return IsDBCSLeadByte(byte); }

  bool ClearReadOnly(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }

  std::string AnsiToUtf16le(const std::string& text) override {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    // Windows runs little-endian: the units are written in byte order.
    std::string bytes(static_cast<size_t>(units) * sizeof(WCHAR), '\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<WCHAR*>(&bytes[0]), units);
    return bytes;
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
    char buffer[256];
    int length = GetLocaleInfoA(GetThreadLocale(), ToLocaleType(field), buffer, sizeof buffer);
    if (length <= 0) return false;
    text->assign(buffer, length - 1);  // without the terminating zero
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

  std::string CommandLine() override { return GetCommandLineA(); }

  std::string ModuleFileName() override {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, length < sizeof buffer ? length : 0);
  }

  uintptr_t CodeOffset(const void* address) override {
    return reinterpret_cast<uintptr_t>(address) -
           reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
  }

  void WriteStandardError(const std::string& text) override {
    std::string oem(text);
    if (!oem.empty()) CharToOemBuffA(text.data(), &oem[0], static_cast<DWORD>(oem.size()));
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
