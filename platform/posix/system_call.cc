#include "platform/posix/system_call.h"

#include <signal.h>
#include <unistd.h>

#include <climits>

namespace platform {
namespace {

bool IgnoreFileSizeSignal() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  return sigaction(SIGXFSZ, &ignore, nullptr) == 0;
}

}  // namespace

bool WriteAll(int fd, const void* data, size_t size, size_t* done) {
  static const bool signal_ignored = IgnoreFileSizeSignal();
  const char* bytes = static_cast<const char*>(data);
  size_t written = 0;
  bool ok = signal_ignored;
  if (!ok) errno = EINVAL;
  while (ok && written < size) {
    ssize_t n = RetryAfterSignal([&] { return write(fd, bytes + written, size - written); });
    if (n == 0) errno = ENOSPC;
    if (n <= 0) {
      ok = false;
    } else {
      written += static_cast<size_t>(n);
    }
  }
  if (done) *done = written;
  return ok;
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t size = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (size <= 0 || static_cast<size_t>(size) == sizeof buffer) return std::string();
  return std::string(buffer, static_cast<size_t>(size));
}

}  // namespace platform
