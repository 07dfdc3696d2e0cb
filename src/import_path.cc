#include "src/import_path.h"

namespace {

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// `path` without its literal prefix; empty where it has none. Where that is
// MAX_PATH or longer, it opens nothing: this program is not long-path aware.
std::string ShortForm(const std::string& path) {
  if (StartsWith(path, platform::kLiteralUncPrefix))
    return "\\\\" + path.substr(sizeof platform::kLiteralUncPrefix - 1);
  if (StartsWith(path, platform::kLiteralPathPrefix))
    return path.substr(sizeof platform::kLiteralPathPrefix - 1);
  return std::string();
}

bool SameFile(const platform::FileIdentity& a, const platform::FileIdentity& b) {
  return a.wide == b.wide && a.volume == b.volume && a.id_low == b.id_low && a.id_high == b.id_high;
}

// True when `path`, opened for reading as the holder lets others open it,
// is the file of `held`.
bool Opens(const std::string& path, const platform::FileIdentity& held) {
  platform::Platform& os = platform::Current();
  if (path.empty()) return false;
  const platform::FileHandle file =
      os.OpenFile(path, platform::kGenericRead, platform::kShareRead, platform::kOpenExisting);
  if (file == platform::kInvalidFile) return false;
  platform::FileIdentity identity;
  const bool same = os.GetFileIdentity(file, &identity) && SameFile(identity, held);
  os.CloseFile(file);
  return same;
}

}  // namespace

std::string ImportPath(platform::FileHandle held) {
  platform::Platform& os = platform::Current();
  platform::FileIdentity identity;
  // Some network servers give every file the index zero: such a file cannot
  // be told from another.
  if (!os.GetFileIdentity(held, &identity) || (identity.id_low == 0 && identity.id_high == 0))
    return std::string();
  const std::string final_path = os.FinalPath(held);
  for (const std::string& path : {ShortForm(final_path), final_path}) {
    if (Opens(path, identity)) return path;
  }
  return std::string();
}
