// Small helpers over POSIX system calls, shared by the emulated Windows and
// its registry store.
#ifndef TARNWELL_PLATFORM_POSIX_SYSTEM_CALL_H_
#define TARNWELL_PLATFORM_POSIX_SYSTEM_CALL_H_

#include <cerrno>
#include <cstddef>
#include <string>

namespace platform {

// Calls `call` again for as long as a signal interrupts it (-1 with EINTR).
template <typename Call>
auto RetryAfterSignal(Call call) -> decltype(call()) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

// Writes all `size` bytes, across interruptions and short writes. False with
// errno set when a write fails; a write that makes no progress fails with
// ENOSPC. `*done` (when given) is the number of bytes written either way.
// Passing the file-size limit fails with EFBIG, as Windows fails such a write,
// instead of ending the process: the first call ignores SIGXFSZ for good.
bool WriteAll(int fd, const void* data, size_t size, size_t* done = nullptr);

// The host path of the running executable; empty when it cannot be read.
std::string ExecutablePath();

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_SYSTEM_CALL_H_
