// Windows status codes on the emulated Windows: the calling thread's last
// error, and the codes that host failures (errno values) become.
#ifndef TARNWELL_PLATFORM_POSIX_STATUS_H_
#define TARNWELL_PLATFORM_POSIX_STATUS_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {

// Status codes beyond those the interface names.
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorTooManyOpenFiles = 4;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorNotSameDevice = 17;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorNegativeSeek = 131;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameTooLong = 206;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorIoDevice = 1117;
constexpr uint32_t kErrorCantResolveFilename = 1921;

// The value PosixPlatform::LastError() gives on this thread.
void SetLastError(uint32_t code);

// The status code of a host error. With the host path of the entry it
// concerns, a missing entry tells a missing file from a missing directory on
// the way, as Windows does.
uint32_t ErrorFromErrno(int error, const std::string& host_path = std::string());

// Sets the last error from errno; always false.
bool FailWithErrno(const std::string& host_path = std::string());

// The host path of a Windows path; a drive that does not exist fails with
// kErrorPathNotFound.
bool MapPath(const std::string& windows_path, std::string* host_path);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_STATUS_H_
