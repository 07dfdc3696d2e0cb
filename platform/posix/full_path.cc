#include "platform/posix/full_path.h"

#include <cctype>
#include <vector>

namespace platform {
namespace {

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool IsAllDots(const std::string& name) { return name.find_first_not_of('.') == std::string::npos; }

// Length of the root of an absolute path: "X:" or "\\server\share".
size_t RootLength(const std::string& path) {
  if (HasDriveLetter(path)) return 2;
  size_t server_end = path.find('\\', 2);
  if (server_end == std::string::npos) return path.size();
  size_t share_end = path.find('\\', server_end + 1);
  return share_end == std::string::npos ? path.size() : share_end;
}

std::string Collapse(const std::string& root, const std::string& rest) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    std::string name = rest.substr(start, end - start);
    bool last = end == rest.size();
    start = end + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    if (last) {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
      if (name.empty()) continue;
    } else if (!IsAllDots(name) && name.back() == '.') {
      name.pop_back();
    }
    names.push_back(name);
  }
  std::string full = root;
  for (const std::string& name : names) full += '\\' + name;
  if (names.empty() || rest.back() == '\\') full += '\\';
  return full;
}

}  // namespace

std::string FullWindowsPath(const std::string& path, const std::string& current_directory) {
  if (path.empty()) return std::string();
  std::string windows = path;
  for (char& c : windows)
    if (c == '/') c = '\\';
  std::string current = current_directory;
  for (char& c : current)
    if (c == '/') c = '\\';

  if (windows.size() >= 2 && windows[0] == '\\' && windows[1] == '\\') {
    size_t root = RootLength(windows);
    return Collapse(windows.substr(0, root), windows.substr(root));
  }
  if (HasDriveLetter(windows)) {
    if (windows.size() > 2 && windows[2] == '\\')
      return Collapse(windows.substr(0, 2), windows.substr(2));
    // "X:name" continues the current directory only on the current drive.
    if (HasDriveLetter(current) && std::toupper(static_cast<unsigned char>(current[0])) ==
                                       std::toupper(static_cast<unsigned char>(windows[0]))) {
      size_t root = RootLength(current);
      return Collapse(current.substr(0, root), current.substr(root) + '\\' + windows.substr(2));
    }
    return Collapse(windows.substr(0, 2), '\\' + windows.substr(2));
  }
  size_t root = RootLength(current);
  if (windows[0] == '\\') return Collapse(current.substr(0, root), windows);
  return Collapse(current.substr(0, root), current.substr(root) + '\\' + windows);
}

}  // namespace platform
