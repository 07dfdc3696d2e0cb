#include "platform/posix/drive.h"

#include <unistd.h>
#include <climits>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/posix/full_path.h"
#include "platform/posix/prefix.h"

namespace platform {
namespace {

std::string DriveC() { return PrefixDirectory() + "/drive_c"; }

std::string CurrentHostDirectory() {
  char buffer[PATH_MAX];
  if (!getcwd(buffer, sizeof buffer)) return "/";
  return buffer;
}

// The rest of `host_path` after `root` when the path lies at or under it.
bool StripRoot(const std::string& host_path, const std::string& root, std::string* rest) {
  if (root.empty() || host_path.compare(0, root.size(), root) != 0) return false;
  if (host_path.size() > root.size() && host_path[root.size()] != '/') return false;
  *rest = host_path.substr(root.size());
  return true;
}

std::string ToWindows(const std::string& drive, const std::string& rest) {
  std::string path = drive;
  for (char c : rest) {
    if (c == '/') {
      if (path.back() != '\\') path += '\\';
    } else {
      path += c;
    }
  }
  if (path.size() == 2) path += '\\';
  return path;
}

// A path taken as it stands names its own entries: the host must not resolve
// "." or "..", nor split a name at '/'.
bool IsLiteral(const std::string& path) {
  if (path.find('/') != std::string::npos) return false;
  for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
    end = path.find('\\', start);
    const std::string name = path.substr(start, end - start);
    if (name == "." || name == "..") return false;
  }
  return true;
}

}  // namespace

std::string HostPath(const std::string& windows_path) {
  const std::string literal_prefix = kLiteralPathPrefix;
  const bool literal = windows_path.compare(0, literal_prefix.size(), literal_prefix) == 0;
  const std::string full = literal
                               ? windows_path.substr(literal_prefix.size())
                               : FullWindowsPath(windows_path, WindowsPath(CurrentHostDirectory()));
  if (full.size() < 3 || full[1] != ':' || full[2] != '\\' || (literal && !IsLiteral(full)))
    return std::string();
  std::string host;
  switch (full[0]) {
    case 'C':
    case 'c':
      host = DriveC();
      break;
    case 'Z':
    case 'z':
      break;
    default:
      return std::string();
  }
  for (size_t i = 2; i < full.size(); ++i) host += full[i] == '\\' ? '/' : full[i];
  return host;
}

std::string WindowsPath(const std::string& host_path) {
  std::string drive_c = DriveC();
  std::string rest;
  if (StripRoot(host_path, drive_c, &rest)) return ToWindows("C:", rest);
  // The current directory comes back resolved: match drive_c's real path too.
  char resolved[PATH_MAX];
  if (realpath(drive_c.c_str(), resolved) && StripRoot(host_path, resolved, &rest))
    return ToWindows("C:", rest);
  return ToWindows("Z:", host_path);
}

}  // namespace platform
