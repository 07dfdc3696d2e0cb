#include "platform/posix/prefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ftw.h>
#include <cerrno>
#include <cstdlib>

#include "platform/posix/sample_images.h"
#include "platform/posix/system_call.h"

namespace platform {
namespace {

std::string ChosenPrefix() {
  const char* prefix = std::getenv("TARNWELL_PREFIX");
  if (prefix && *prefix) return prefix;
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home && *data_home) return std::string(data_home) + "/tarnwell";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/share/tarnwell";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// mkdir -p; an entry made meanwhile by another process is fine.
bool MakeDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool written = WriteAll(fd, bytes.data(), bytes.size());
  return close(fd) == 0 && written;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

const char kSystemFolderOnDriveC[] = "/Windows/System32";

// drive_c appears complete or not at all: it is built under a private name
// and renamed into place, so processes starting together never see it half
// made. The loser of a race discards its copy.
void CreateDriveC(const std::string& prefix) {
  std::string drive_c = prefix + "/drive_c";
  struct stat st;
  if (stat(drive_c.c_str(), &st) == 0) return;
  // A name private to this process; a stale one left by a crash is skipped.
  std::string staging;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 100) return;
    staging = prefix + "/.drive_c." + std::to_string(getpid()) + "." + std::to_string(attempt);
    if (mkdir(staging.c_str(), 0777) == 0) break;
    if (errno != EEXIST) return;
  }
  std::string screen = staging + "/Windows/Web/Screen";
  bool complete = MakeDirectories(screen);
  const std::string executable = ExecutablePath();
  const std::string system = staging + kSystemFolderOnDriveC;
  complete = complete && MakeDirectories(system) &&
             symlink((executable.substr(0, executable.rfind('/')) + "/reg").c_str(),
                     (system + "/reg.exe").c_str()) == 0;
  for (const SampleImage& image : SampleImages())
    complete = complete && WriteWholeFile(screen + "/" + image.name, image.bytes);
  if (complete && rename(staging.c_str(), drive_c.c_str()) == 0) return;
  nftw(staging.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

std::string SystemFolder() { return PrefixDirectory() + "/drive_c" + kSystemFolderOnDriveC; }

const std::string& PrefixDirectory() {
  // Read afresh on every call so that tests can switch prefixes; the prefix
  // is prepared once per distinct path.
  static std::string prepared;
  std::string chosen = WithoutTrailingSlashes(ChosenPrefix());
  if (chosen != prepared) {
    MakeDirectories(chosen);
    CreateDriveC(chosen);
    prepared = chosen;
  }
  return prepared;
}

}  // namespace platform
