// Wildcard search: PosixPlatform::FindFiles.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <map>

#include "platform/posix/dos_attributes.h"
#include "platform/posix/drive.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/wildcard.h"

namespace platform {
namespace {

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
    if (fstatat(dirfd(dir), name, &st, 0) != 0) continue;  // a link to nowhere, as Wine skips it
    FoundFile found{entry_name, AttributesOf(entry_name, host + entry_name, st)};
    for (size_t index : matched) (*results)[index].push_back(found);
  }
  closedir(dir);
}

}  // namespace

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

}  // namespace platform
