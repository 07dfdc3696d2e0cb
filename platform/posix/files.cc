// Files and their sharing: PosixPlatform::OpenFile and the operations on
// open files, DeleteFile and ReplaceFile.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/posix/dos_attributes.h"
#include "platform/posix/drive.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/status.h"
#include "platform/posix/system_call.h"

namespace platform {
namespace {

int FileDescriptor(FileHandle file) { return static_cast<int>(file); }

// Reading a handle opened only for writing, or the reverse, is refused
// access; a descriptor that is not open at all is an invalid handle.
bool FailTransfer(int fd) {
  if (errno == EBADF && fcntl(fd, F_GETFD) != -1) errno = EACCES;
  return FailWithErrno();
}

// Fails an open with `code`, closing the descriptor.
FileHandle RefuseOpen(int fd, uint32_t code) {
  close(fd);
  SetLastError(code);
  return kInvalidFile;
}

// No handle shares deletion, so a file that any handle holds open can be
// neither deleted nor renamed. Its lock, held exclusively while the change
// is made, tells: the descriptor that holds it, to be closed after the
// change, or kNothingHeld when there is no regular file to hold. When
// another handle has the file open, -1, with `refusal` as the last error.
constexpr int kNothingHeld = -2;

int HoldForChange(const std::string& host, uint32_t refusal) {
  const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) close(fd);
    return kNothingHeld;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  RefuseOpen(fd, errno == EWOULDBLOCK ? refusal : ErrorFromErrno(errno));
  return -1;
}

void Release(int fd) {
  if (fd >= 0) close(fd);
}

// An existing file that Windows will not create anew over.
bool IsHiddenOrSystem(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 &&
         AttributesOf(host.substr(host.find_last_of('/') + 1), host, st) &
             (kAttributeHidden | kAttributeSystem);
}

}  // namespace

FileHandle PosixPlatform::OpenFile(const std::string& path, uint32_t access, uint32_t share,
                                   uint32_t disposition) {
  std::string host;
  if (!MapPath(path, &host)) return kInvalidFile;
  bool reading = access & kGenericRead;
  bool writing = access & kGenericWrite;
  int flags = O_CLOEXEC | (reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY);
  switch (disposition) {
    case kCreateAlways:
      if (IsHiddenOrSystem(host)) {
        SetLastError(kErrorAccessDenied);
        return kInvalidFile;
      }
      flags |= O_CREAT;  // truncated once the lock is held
      break;
    case kTruncateExisting:
      if (!writing) {
        SetLastError(kErrorInvalidParameter);
        return kInvalidFile;
      }
      break;
    case kOpenExisting:
      break;
    case kOpenAlways:
      flags |= O_CREAT;
      break;
    default:
      SetLastError(kErrorInvalidParameter);
      return kInvalidFile;
  }
  int fd = open(host.c_str(), flags, 0666);
  if (fd < 0) {
    FailWithErrno(host);
    return kInvalidFile;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) return RefuseOpen(fd, kErrorAccessDenied);
  // Root may write anywhere; Windows refuses to write a read-only file.
  if ((writing || disposition == kCreateAlways || disposition == kOpenAlways) &&
      !(st.st_mode & S_IWUSR))
    return RefuseOpen(fd, kErrorAccessDenied);
  // Sharing: a writer, or an opener sharing no reading, excludes everyone;
  // readers that let others read share the lock.
  if (reading || writing) {
    int lock = (writing || !(share & kShareRead)) ? LOCK_EX : LOCK_SH;
    if (flock(fd, lock | LOCK_NB) != 0) {
      int error = errno;
      return RefuseOpen(fd, error == EWOULDBLOCK ? kErrorSharingViolation : ErrorFromErrno(error));
    }
  }
  if ((disposition == kCreateAlways || disposition == kTruncateExisting) && ftruncate(fd, 0) != 0)
    return RefuseOpen(fd, ErrorFromErrno(errno));
  return fd;
}

bool PosixPlatform::ReadFile(FileHandle file, void* buffer, uint32_t size, uint32_t* read) {
  uint32_t done = 0;
  char* bytes = static_cast<char*>(buffer);
  while (done < size) {
    ssize_t n =
        RetryAfterSignal([&] { return ::read(FileDescriptor(file), bytes + done, size - done); });
    if (n < 0) {
      if (read) *read = done;
      return FailTransfer(FileDescriptor(file));
    }
    if (n == 0) break;
    done += static_cast<uint32_t>(n);
  }
  if (read) *read = done;
  return true;
}

bool PosixPlatform::WriteFile(FileHandle file, const void* data, uint32_t size, uint32_t* written) {
  size_t done = 0;
  bool ok = WriteAll(FileDescriptor(file), data, size, &done);
  if (written) *written = static_cast<uint32_t>(done);
  return ok || FailTransfer(FileDescriptor(file));
}

bool PosixPlatform::SeekFile(FileHandle file, int64_t offset, SeekOrigin origin) {
  int whence = origin == SeekOrigin::kBegin     ? SEEK_SET
               : origin == SeekOrigin::kCurrent ? SEEK_CUR
                                                : SEEK_END;
  if (lseek(FileDescriptor(file), static_cast<off_t>(offset), whence) >= 0) return true;
  if (errno == EINVAL) {
    SetLastError(kErrorNegativeSeek);
    return false;
  }
  return FailWithErrno();
}

bool PosixPlatform::GetFileSize(FileHandle file, int64_t* size) {
  struct stat st;
  if (fstat(FileDescriptor(file), &st) != 0) return FailWithErrno();
  *size = st.st_size;
  return true;
}

bool PosixPlatform::FlushFile(FileHandle file) {
  return fsync(FileDescriptor(file)) == 0 || FailWithErrno();
}

std::string PosixPlatform::FinalPath(FileHandle file) {
  // The kernel keeps the path an open file resolved to, links followed.
  char host[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(FileDescriptor(file));
  const ssize_t length = readlink(link.c_str(), host, sizeof host);
  if (length <= 0 || static_cast<size_t>(length) == sizeof host) return std::string();
  return kLiteralPathPrefix + WindowsPath(std::string(host, static_cast<size_t>(length)));
}

bool PosixPlatform::GetFileIdentity(FileHandle file, FileIdentity* identity) {
  struct stat st;
  if (fstat(FileDescriptor(file), &st) != 0) return FailWithErrno();
  *identity = FileIdentity();
  identity->volume = st.st_dev;
  identity->id_low = st.st_ino;
  return true;
}

void PosixPlatform::CloseFile(FileHandle file) {
  if (file != kInvalidFile) close(FileDescriptor(file));
}

bool PosixPlatform::DeleteFile(const std::string& path) {
  std::string host;
  if (!MapPath(path, &host)) return false;
  struct stat st;
  if (lstat(host.c_str(), &st) != 0) return FailWithErrno(host);
  // Windows refuses to delete directories and read-only files here.
  if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  const int held = HoldForChange(host, kErrorSharingViolation);
  if (held == -1) return false;
  const bool deleted = unlink(host.c_str()) == 0 || FailWithErrno(host);
  Release(held);
  return deleted;
}

bool PosixPlatform::ReplaceFile(const std::string& from, const std::string& to) {
  std::string host_from, host_to;
  if (!MapPath(from, &host_from) || !MapPath(to, &host_to)) return false;
  struct stat st;
  if (lstat(host_from.c_str(), &st) != 0) return FailWithErrno(host_from);
  const int held_from = HoldForChange(host_from, kErrorSharingViolation);
  if (held_from == -1) return false;
  const int held_to = HoldForChange(host_to, kErrorAccessDenied);
  const bool replaced =
      held_to != -1 && (rename(host_from.c_str(), host_to.c_str()) == 0 || FailWithErrno(host_to));
  Release(held_to);
  Release(held_from);
  return replaced;
}

}  // namespace platform
