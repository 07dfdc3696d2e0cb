// Process facts: the current directory, the clock and locale, the command
// line, the executable and standard error.
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <climits>

#include "platform/posix/command_line.h"
#include "platform/posix/drive.h"
#include "platform/posix/full_path.h"
#include "platform/posix/locale_fields.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/prefix.h"
#include "platform/posix/system_call.h"

namespace platform {

Platform& RealPlatform() {
  static PosixPlatform platform;
  return platform;
}

// ---------------------------------------------------------------- Paths

std::string PosixPlatform::FullPath(const std::string& path) {
  return FullWindowsPath(path, CurrentDirectory());
}

std::string PosixPlatform::CurrentDirectory() {
  char buffer[PATH_MAX];
  if (!getcwd(buffer, sizeof buffer)) return "Z:\\";
  std::string current = WindowsPath(buffer);
  if (current.size() > 3 && current.back() == '\\') current.pop_back();
  return current;
}

std::string PosixPlatform::SystemDirectory() { return WindowsPath(SystemFolder()); }

// ---------------------------------------------------------------- Clock

LocalTime PosixPlatform::Now() {
  LocalTime now;
  time_t seconds = time(nullptr);
  struct tm local;
  if (seconds == static_cast<time_t>(-1) || !localtime_r(&seconds, &local)) return now;
  now.year = local.tm_year + 1900;
  now.month = local.tm_mon + 1;
  now.day = local.tm_mday;
  now.hour = local.tm_hour;
  now.minute = local.tm_min;
  now.second = local.tm_sec;
  return now;
}

bool PosixPlatform::LocaleText(LocaleField field, std::string* text) {
  *text = LocaleTextFromEnvironment(field);
  return true;
}

bool PosixPlatform::PerformanceCounter(uint64_t* count) {
  struct timespec now;
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
  *count = static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
  return true;
}

uint32_t PosixPlatform::TickCount() {
  struct timespec now;
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  uint64_t milliseconds =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(milliseconds);
}

// ---------------------------------------------------------------- Process

bool PosixPlatform::QueryWow64(bool*) { return false; }

std::string PosixPlatform::CommandLine() {
  int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string();
  std::string raw;
  char buffer[4096];
  ssize_t n;
  while ((n = RetryAfterSignal([&] { return ::read(fd, buffer, sizeof buffer); })) > 0)
    raw.append(buffer, static_cast<size_t>(n));
  close(fd);
  std::vector<std::string> arguments;
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    arguments.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  return JoinCommandLine(arguments);
}

std::string PosixPlatform::ModuleFileName() {
  std::string path = ExecutablePath();
  return path.empty() ? path : WindowsPath(path);
}

uintptr_t PosixPlatform::CodeOffset(const void* address) {
  Dl_info info;
  if (dladdr(address, &info) && info.dli_fbase)
    return reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(info.dli_fbase);
  return reinterpret_cast<uintptr_t>(address);
}

void PosixPlatform::WriteStandardError(const std::string& text) {
  WriteAll(STDERR_FILENO, text.data(), text.size());
}

}  // namespace platform
