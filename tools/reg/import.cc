// REG IMPORT file [/reg:32|64]: applies a registry-editor file. Lines that do
// not parse are skipped, as Wine's reg does, and the rest still applies.
#include <fstream>
#include <sstream>

#include "platform/posix/drive.h"
#include "platform/posix/registry/key.h"
#include "platform/posix/registry/reg_file_parser.h"
#include "platform/posix/registry/views.h"
#include "tools/reg/reg.h"

namespace reg {

namespace {

// The root a key path of the file starts with, and the path below it (after
// the first backslash); false for a root the emulated registry lacks.
bool SplitRoot(const std::string& path, platform::RootKey* root, std::string* subkey) {
  size_t slash = path.find('\\');
  if (!RootFromName(path.substr(0, slash), root)) return false;
  *subkey = slash == std::string::npos ? "" : path.substr(slash + 1);
  return true;
}

class Importer : public registry::RegFileHandler {
 public:
  Importer(registry::HiveSession* session, bool view32, Context* context)
      : session_(session), view32_(view32), context_(context) {}

  bool OpenKey(const std::string& path) override {
    current_ = Open(path);
    if (current_ == nullptr && !failed_) {
      context_->Message("Unable to import the registry key '" + path + "'");
    }
    return current_ != nullptr;
  }

  // Deleting ignores the view option, as Wine's reg does.
  void DeleteKey(const std::string& path) override {
    platform::RootKey root;
    std::string subkey;
    if (!SplitRoot(path, &root, &subkey) || subkey.empty() || subkey[0] == '\\') return;
    registry::Key* hive = Hive(root);
    if (hive != nullptr) hive->Delete(registry::ResolveView(root, subkey, false));
  }

  void SetValue(const std::string& name, uint32_t type, const std::string& data) override {
    current_->SetValue(name, type, data);
  }
  void DeleteValue(const std::string& name) override { current_->DeleteValue(name); }

  void UnknownEscape(const std::string& character) override {
    context_->Message("Unrecognized escape sequence [\\" + character + "]");
  }

  bool failed() const { return failed_; }

 private:
  // Empty parts of the path are skipped, and no path at all names the root
  // itself; but only the 32-bit view, whose redirection takes the path apart,
  // accepts a path that starts with a backslash.
  registry::Key* Open(const std::string& path) {
    platform::RootKey root;
    std::string subkey;
    if (!SplitRoot(path, &root, &subkey)) return nullptr;
    if (!view32_ && subkey.compare(0, 1, "\\") == 0) return nullptr;
    registry::Key* hive = Hive(root);
    if (hive == nullptr) return nullptr;
    std::string resolved = registry::ResolveView(root, subkey, view32_);
    registry::Key* key = hive->Find(resolved);
    if (key != nullptr && !registry::AccessGranted(*key, platform::kKeySetValue)) return nullptr;
    return key != nullptr ? key : hive->Create(resolved);
  }

  registry::Key* Hive(platform::RootKey root) {
    registry::Key* hive = OpenHive(session_, root, true, context_);
    if (hive == nullptr) failed_ = true;
    return hive;
  }

  registry::HiveSession* session_;
  bool view32_;
  Context* context_;
  registry::Key* current_ = nullptr;
  bool failed_ = false;
};

}  // namespace

int Import(const Arguments& arguments, Context* context) {
  bool view32 = false, has_view = false, repeated = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (!ParseViewOption(arguments[i], &view32, &has_view, &repeated)) {
      return context->InvalidSyntax("import");
    }
  }
  if (arguments.empty() || repeated) return context->InvalidSyntax("import");
  const std::string& file = arguments[0];
  std::ifstream in(platform::HostPath(file), std::ios::binary);
  if (!in) {
    context->Message("The file '" + file + "' was not found.");
    return 1;
  }
  std::stringstream bytes;
  bytes << in.rdbuf();

  registry::HiveSession session(context->prefix, registry::HiveSession::Mode::kWrite);
  Importer importer(&session, view32, context);
  // Like Wine's reg, it says nothing of a file that is not a registry file,
  // nor of a successful import.
  if (registry::ParseRegFile(bytes.str(), &importer) == registry::RegFileStatus::kBadHeader) {
    return 1;
  }
  if (CommitOrReport(&session, context) != 0 || importer.failed()) return 1;
  return 0;
}

}  // namespace reg
