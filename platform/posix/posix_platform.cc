#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/posix/command_line.h"
#include "platform/posix/drive.h"
#include "platform/posix/full_path.h"
#include "platform/posix/locale_fields.h"
#include "platform/posix/prefix.h"
#include "platform/posix/wildcard.h"

namespace platform {

Platform& RealPlatform() {
  static PosixPlatform platform;
  return platform;
}

// Windows fails a write past a file-size limit; here SIGXFSZ would end the
// process instead, so it is ignored and the write fails with EFBIG.
PosixPlatform::PosixPlatform() { signal(SIGXFSZ, SIG_IGN); }

namespace {

// Status codes beyond those the interface names.
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorTooManyOpenFiles = 4;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorNotSameDevice = 17;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorNegativeSeek = 131;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameTooLong = 206;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorIoDevice = 1117;
constexpr uint32_t kErrorCantResolveFilename = 1921;

// The result ShellExecute gives for an accepted launch (any value above 32).
constexpr uintptr_t kLaunchAccepted = 42;

thread_local uint32_t last_error = kErrorSuccess;

void SetLastError(uint32_t code) { last_error = code; }

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

uint32_t ErrorFromErrno(int error, const std::string& host_path = std::string()) {
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

bool FailWithErrno(const std::string& host_path = std::string()) {
  SetLastError(ErrorFromErrno(errno, host_path));
  return false;
}

// Reading a handle opened only for writing, or the reverse, is refused
// access; a descriptor that is not open at all is an invalid handle.
bool FailTransfer(int fd) {
  if (errno == EBADF && fcntl(fd, F_GETFD) != -1) errno = EACCES;
  return FailWithErrno();
}

// The host path of a Windows path; a drive that does not exist fails.
bool MapPath(const std::string& windows_path, std::string* host_path) {
  *host_path = HostPath(windows_path);
  if (!host_path->empty()) return true;
  SetLastError(kErrorPathNotFound);
  return false;
}

int FileDescriptor(FileHandle file) { return static_cast<int>(file); }

// The DOS attribute bits Wine and Samba keep in user.DOSATTRIB as hex text
// ("0x22"); any other form counts as none.
uint32_t DosAttributes(const std::string& host_path) {
  char text[64];
  ssize_t size = getxattr(host_path.c_str(), "user.DOSATTRIB", text, sizeof text);
  if (size < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
  uint32_t value = 0;
  ssize_t i = 2;
  for (; i < size && text[i] != '\0'; ++i) {
    char c = text[i];
    int digit = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
    if (digit < 0 || i >= 10) return 0;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  return i > 2 ? value : 0;
}

uint32_t AttributesOf(const std::string& name, const std::string& host_path,
                      const struct stat& st) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if (!(st.st_mode & S_IWUSR)) attributes |= kAttributeReadOnly;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= kAttributeHidden;
  attributes |= DosAttributes(host_path) & (kAttributeHidden | kAttributeSystem);
  return attributes;
}

// stat, or the link itself when it dangles.
bool StatEntry(int directory_fd, const char* name, struct stat* st) {
  return fstatat(directory_fd, name, st, 0) == 0 ||
         fstatat(directory_fd, name, st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits a search pattern into its directory (with its separator, or a drive
// prefix "X:") and the name mask.
void SplitPattern(const std::string& pattern, std::string* directory, std::string* mask) {
  size_t cut = 0;
  for (size_t i = 0; i < pattern.size(); ++i)
    if (IsSeparator(pattern[i])) cut = i + 1;
  if (cut == 0 && pattern.size() >= 2 && pattern[1] == ':') cut = 2;
  *directory = pattern.substr(0, cut);
  *mask = pattern.substr(cut);
}

// One pass over a directory serving several masks. Attributes are read only
// for names that some mask matches.
void SearchDirectory(const std::string& directory, const std::vector<std::string>& masks,
                     const std::vector<size_t>& mask_indexes,
                     std::vector<std::vector<FoundFile>>* results) {
  std::string host = HostPath(directory.empty() ? "." : directory);
  if (host.empty()) return;
  DIR* dir = opendir(host.c_str());
  if (!dir) return;
  if (host.back() != '/') host += '/';
  std::vector<size_t> matched;
  while (struct dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    std::string entry_name = name;
    matched.clear();
    for (size_t index : mask_indexes)
      if (MatchesWildcard(masks[index], entry_name)) matched.push_back(index);
    if (matched.empty()) continue;
    struct stat st;
    if (!StatEntry(dirfd(dir), name, &st)) continue;
    FoundFile found{entry_name, AttributesOf(entry_name, host + entry_name, st)};
    for (size_t index : matched) (*results)[index].push_back(found);
  }
  closedir(dir);
}

// ---------------------------------------------------------------- Shell

bool IsRegCommand(const std::string& file) {
  if (file.size() != 3 && file.size() != 7) return false;
  if (strncasecmp(file.c_str(), "reg", 3) != 0) return false;
  return file.size() == 3 || strcasecmp(file.c_str() + 3, ".exe") == 0;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string ExecutableDirectory() {
  char buffer[PATH_MAX];
  ssize_t size = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (size <= 0) return std::string();
  std::string path(buffer, static_cast<size_t>(size));
  return path.substr(0, path.find_last_of('/'));
}

// The `reg` stand-in: beside the running executable, else on PATH.
std::string FindRegStandIn() {
  std::string beside = ExecutableDirectory() + "/reg";
  if (IsExecutableFile(beside)) return beside;
  const char* path = std::getenv("PATH");
  if (!path) return std::string();
  std::string directories = path;
  size_t start = 0;
  while (start <= directories.size()) {
    size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    std::string directory = directories.substr(start, end - start);
    std::string candidate = (directory.empty() ? "." : directory) + "/reg";
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return std::string();
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

uintptr_t PosixPlatform::ShellExecute(const std::string& /*verb*/, const std::string& file,
                                      const std::string& parameters, const std::string& directory,
                                      int /*show_command*/) {
  if (!IsRegCommand(file)) return kErrorFileNotFound;
  std::string program = FindRegStandIn();
  if (program.empty()) return kErrorFileNotFound;
  std::string working_directory;
  if (directory.empty()) {
    char buffer[PATH_MAX];
    working_directory = getcwd(buffer, sizeof buffer) ? buffer : "/";
  } else {
    working_directory = HostPath(directory);
    if (working_directory.empty()) return kErrorPathNotFound;
  }

  std::vector<std::string> arguments = SplitCommandLine(parameters);
  arguments.insert(arguments.begin(), program);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);

  // Held shared for as long as the launched process lives, so that a waiter
  // taking it exclusively knows when every launch has ended. The launched
  // process inherits the descriptor; this process closes its own.
  std::string lock_path = PrefixDirectory() + "/.launches.lock";
  int lock_fd = open(lock_path.c_str(), O_RDWR | O_CREAT, 0666);
  if (lock_fd >= 0) {
    while (flock(lock_fd, LOCK_SH) != 0 && errno == EINTR) {
    }
  }
  // Detached: a session of its own, no console, never waited for. The spawn
  // reports a failed exec, which makes the launch a refused one.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t child;
  int error = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (lock_fd >= 0) close(lock_fd);
  if (error == 0) return kLaunchAccepted;
  const uintptr_t refused = ErrorFromErrno(error);
  return refused > 32 || refused == kErrorSuccess ? kErrorAccessDenied : refused;
}

std::vector<std::vector<FoundFile>> PosixPlatform::FindFiles(
    const std::string& prefix, const std::vector<std::string>& masks) {
  std::vector<std::vector<FoundFile>> results(masks.size());
  // Masks are grouped by the directory they search: one pass per directory.
  std::map<std::string, std::vector<size_t>> by_directory;
  std::vector<std::string> name_masks(masks.size());
  for (size_t i = 0; i < masks.size(); ++i) {
    std::string directory;
    SplitPattern(prefix + masks[i], &directory, &name_masks[i]);
    if (!name_masks[i].empty()) by_directory[directory].push_back(i);
  }
  for (const auto& [directory, indexes] : by_directory)
    SearchDirectory(directory, name_masks, indexes, &results);
  return results;
}

// ---------------------------------------------------------------- Files

FileHandle PosixPlatform::OpenFile(const std::string& path, uint32_t access, uint32_t share,
                                   uint32_t disposition) {
  std::string host;
  if (!MapPath(path, &host)) return kInvalidFile;
  bool reading = access & kGenericRead;
  bool writing = access & kGenericWrite;
  int flags = O_CLOEXEC | (reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY);
  switch (disposition) {
    case kCreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case kCreateAlways:
      flags |= O_CREAT;  // truncated once the lock is held
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
  struct stat st;
  bool existed =
      (disposition == kCreateAlways || disposition == kOpenAlways) && stat(host.c_str(), &st) == 0;
  int fd = open(host.c_str(), flags, 0666);
  if (fd < 0) {
    FailWithErrno(host);
    return kInvalidFile;
  }
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    SetLastError(kErrorAccessDenied);
    return kInvalidFile;
  }
  // Root may write anywhere; Windows refuses to write a read-only file.
  if ((writing || disposition == kCreateAlways || disposition == kOpenAlways) &&
      !(st.st_mode & S_IWUSR)) {
    close(fd);
    SetLastError(kErrorAccessDenied);
    return kInvalidFile;
  }
  // Sharing: a writer, or an opener sharing no reading, excludes everyone;
  // readers that let others read share the lock.
  if (reading || writing) {
    int lock = (writing || !(share & kShareRead)) ? LOCK_EX : LOCK_SH;
    if (flock(fd, lock | LOCK_NB) != 0) {
      int error = errno;
      close(fd);
      SetLastError(error == EWOULDBLOCK ? kErrorSharingViolation : ErrorFromErrno(error));
      return kInvalidFile;
    }
  }
  if (disposition == kCreateAlways && ftruncate(fd, 0) != 0) {
    FailWithErrno();
    close(fd);
    return kInvalidFile;
  }
  // As CreateFile reports replacing an existing file.
  SetLastError(existed ? kErrorAlreadyExists : kErrorSuccess);
  return fd;
}

bool PosixPlatform::ReadFile(FileHandle file, void* buffer, uint32_t size, uint32_t* read) {
  uint32_t done = 0;
  char* bytes = static_cast<char*>(buffer);
  while (done < size) {
    ssize_t n = ::read(FileDescriptor(file), bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
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
  uint32_t done = 0;
  const char* bytes = static_cast<const char*>(data);
  while (done < size) {
    ssize_t n = ::write(FileDescriptor(file), bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (written) *written = done;
      if (n == 0) errno = ENOSPC;
      return FailTransfer(FileDescriptor(file));
    }
    done += static_cast<uint32_t>(n);
  }
  if (written) *written = done;
  return true;
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

bool PosixPlatform::TruncateFile(FileHandle file) {
  off_t position = lseek(FileDescriptor(file), 0, SEEK_CUR);
  if (position < 0 || ftruncate(FileDescriptor(file), position) != 0) return FailWithErrno();
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
  if (unlink(host.c_str()) != 0) return FailWithErrno(host);
  return true;
}

bool PosixPlatform::ReplaceFile(const std::string& from, const std::string& to) {
  std::string host_from, host_to;
  if (!MapPath(from, &host_from) || !MapPath(to, &host_to)) return false;
  struct stat st;
  if (lstat(host_from.c_str(), &st) != 0) return FailWithErrno(host_from);
  if (rename(host_from.c_str(), host_to.c_str()) != 0) return FailWithErrno(host_to);
  return true;
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

// ---------------------------------------------------------------- Paths

bool PosixPlatform::GetAttributes(const std::string& path, uint32_t* attributes) {
  std::string host;
  if (!MapPath(path, &host)) return false;
  struct stat st;
  if (stat(host.c_str(), &st) != 0 && lstat(host.c_str(), &st) != 0) return FailWithErrno(host);
  std::string trimmed = host;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  *attributes = AttributesOf(trimmed.substr(trimmed.find_last_of('/') + 1), host, st);
  return true;
}

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

bool PosixPlatform::IsLeadByte(unsigned char) { return false; }

// ---------------------------------------------------------------- Clock

LocalTime PosixPlatform::Now() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm local;
  localtime_r(&now.tv_sec, &local);
  LocalTime time;
  time.year = local.tm_year + 1900;
  time.month = local.tm_mon + 1;
  time.day = local.tm_mday;
  time.hour = local.tm_hour;
  time.minute = local.tm_min;
  time.second = local.tm_sec;
  time.millisecond = static_cast<int>(now.tv_nsec / 1000000);
  return time;
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
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t milliseconds =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(milliseconds);
}

bool PosixPlatform::QueryWow64(bool*) { return false; }

// ---------------------------------------------------------------- Process

std::string PosixPlatform::CommandLine() {
  int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string();
  std::string raw;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0) raw.append(buffer, static_cast<size_t>(n));
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
  char buffer[PATH_MAX];
  ssize_t size = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (size <= 0) return std::string();
  return WindowsPath(std::string(buffer, static_cast<size_t>(size)));
}

uintptr_t PosixPlatform::CodeOffset(const void* address) {
  Dl_info info;
  if (dladdr(address, &info) && info.dli_fbase)
    return reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(info.dli_fbase);
  return reinterpret_cast<uintptr_t>(address);
}

void PosixPlatform::WriteStandardError(const std::string& text) {
  WriteAll(2, text.data(), text.size());
}

}  // namespace platform
