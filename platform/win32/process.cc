// The process and its surroundings: paths, clock, locale, command line and
// standard error; and the real platform of this build.
#include "platform/win32/win32_platform.h"

#include "platform/win32/kernel_function.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

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

}  // namespace

std::string Win32Platform::FullPath(const std::string& path) {
  const Wide wide_path(path);
  return GrowingText([&](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(wide_path, size, buffer, nullptr);
  });
}

std::string Win32Platform::CurrentDirectory() {
  return GrowingText(
      [](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
}

std::string Win32Platform::SystemDirectory() {
  return GrowingText([](wchar_t* buffer, DWORD size) {
    return static_cast<DWORD>(GetSystemDirectoryW(buffer, size));
  });
}

LocalTime Win32Platform::Now() {
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

bool Win32Platform::LocaleText(LocaleField field, std::string* text) {
  wchar_t buffer[256];
  int length = GetLocaleInfoW(GetThreadLocale(), ToLocaleType(field), buffer,
                              sizeof buffer / sizeof *buffer);
  if (length <= 0) return false;
  *text = Narrow(buffer, length - 1);  // without the terminating zero
  return true;
}

bool Win32Platform::PerformanceCounter(uint64_t* count) {
  LARGE_INTEGER value;
  if (!QueryPerformanceCounter(&value)) return false;
  *count = static_cast<uint64_t>(value.QuadPart);
  return true;
}

uint32_t Win32Platform::TickCount() { return GetTickCount(); }

bool Win32Platform::QueryWow64(bool* wow64) {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto is_wow64_process = KernelFunction<IsWow64ProcessFunction>("IsWow64Process");
  if (!is_wow64_process) return false;
  BOOL answer = FALSE;
  if (!is_wow64_process(GetCurrentProcess(), &answer)) return false;
  *wow64 = answer != FALSE;
  return true;
}

std::string Win32Platform::CommandLine() { return Narrow(GetCommandLineW(), -1); }

std::string Win32Platform::ModuleFileName() {
  return GrowingText(
      [](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
}

uintptr_t Win32Platform::CodeOffset(const void* address) {
  return reinterpret_cast<uintptr_t>(address) -
         reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
}

void Win32Platform::WriteStandardError(const std::string& text) {
  const Wide wide(text);
  const std::string oem = Narrow(wide, wide.length(), CP_OEMCP);
  DWORD written = 0;
  ::WriteFile(GetStdHandle(STD_ERROR_HANDLE), oem.data(), static_cast<DWORD>(oem.size()), &written,
              nullptr);
}

Platform& RealPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace platform
