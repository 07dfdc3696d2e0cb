// Status codes and their texts: PosixPlatform::LastError and ErrorText.
#include "platform/posix/status.h"

#include <sys/stat.h>

#include <cerrno>
#include <map>

#include "platform/posix/drive.h"
#include "platform/posix/posix_platform.h"

namespace platform {
namespace {

thread_local uint32_t last_error = kErrorSuccess;

bool DirectoryOf(const std::string& host_path, std::string* directory) {
  size_t slash = host_path.find_last_of('/');
  if (slash == std::string::npos) return false;
  *directory = slash == 0 ? "/" : host_path.substr(0, slash);
  return true;
}

// Windows tells a missing file (2) from a missing directory on the way (3).
uint32_t MissingEntryError(const std::string& host_path) {
  std::string path = host_path;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::string directory;
  struct stat st;
  if (DirectoryOf(path, &directory) && (stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
    return kErrorPathNotFound;
  return kErrorFileNotFound;
}

}  // namespace

void SetLastError(uint32_t code) { last_error = code; }

uint32_t ErrorFromErrno(int error, const std::string& host_path) {
  switch (error) {
    case 0:
      return kErrorSuccess;
    case ENOENT:
      return host_path.empty() ? kErrorFileNotFound : MissingEntryError(host_path);
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
      return kErrorAccessDenied;
    case EBADF:
      return kErrorInvalidHandle;
    case EWOULDBLOCK:
      return kErrorSharingViolation;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return kErrorDiskFull;
    case EEXIST:
      return kErrorFileExists;
    case ENOTEMPTY:
      return kErrorDirNotEmpty;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EXDEV:
      return kErrorNotSameDevice;
    case ENAMETOOLONG:
      return kErrorFilenameTooLong;
    case ELOOP:
      return kErrorCantResolveFilename;
    case EINVAL:
      return kErrorInvalidParameter;
    case EIO:
      return kErrorIoDevice;
    default:
      return kErrorGenFailure;
  }
}

bool FailWithErrno(const std::string& host_path) {
  SetLastError(ErrorFromErrno(errno, host_path));
  return false;
}

bool MapPath(const std::string& windows_path, std::string* host_path) {
  *host_path = HostPath(windows_path);
  if (!host_path->empty()) return true;
  SetLastError(kErrorPathNotFound);
  return false;
}

uint32_t PosixPlatform::LastError() { return last_error; }

std::string PosixPlatform::ErrorText(uint32_t code) {
  static const std::map<uint32_t, const char*> texts = {
      {kErrorSuccess, "The operation completed successfully."},
      {kErrorInvalidFunction, "Incorrect function."},
      {kErrorFileNotFound, "The system cannot find the file specified."},
      {kErrorPathNotFound, "The system cannot find the path specified."},
      {kErrorTooManyOpenFiles, "The system cannot open the file."},
      {kErrorAccessDenied, "Access is denied."},
      {kErrorInvalidHandle, "The handle is invalid."},
      {kErrorNotEnoughMemory, "Not enough memory resources are available to process this command."},
      {kErrorNotSameDevice, "The system cannot move the file to a different disk drive."},
      {kErrorGenFailure, "A device attached to the system is not functioning."},
      {kErrorSharingViolation,
       "The process cannot access the file because it is being used by another process."},
      {kErrorFileExists, "The file exists."},
      {kErrorInvalidParameter, "The parameter is incorrect."},
      {kErrorDiskFull, "There is not enough space on the disk."},
      {kErrorNegativeSeek,
       "An attempt was made to move the file pointer before the beginning of the file."},
      {kErrorDirNotEmpty, "The directory is not empty."},
      {kErrorAlreadyExists, "Cannot create a file when that file already exists."},
      {kErrorFilenameTooLong, "The filename or extension is too long."},
      {kErrorMoreData, "More data is available."},
      {kErrorNoMoreItems, "No more data is available."},
      {kErrorIoDevice, "The request could not be performed because of an I/O device error."},
      {kErrorCantResolveFilename, "The name of the file cannot be resolved by the system."},
  };
  auto text = texts.find(code);
  // FormatMessage fails for codes it has no text for; the caller gets none.
  return text == texts.end() ? std::string() : std::string(text->second) + "\r\n";
}

}  // namespace platform
