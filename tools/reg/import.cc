// REG IMPORT file [/reg:32|64]: applies a registry-editor file. Lines that do
// not parse are skipped, as Wine's reg does, and the rest still applies.
#include <fstream>
#include <sstream>

#include "platform/posix/drive.h"
#include "platform/posix/registry/reg_file_parser.h"
#include "platform/posix/registry/views.h"
#include "tools/reg/reg.h"

namespace reg {

namespace {

constexpr char kEscapeWarning[] = "Unrecognized escape sequence";

class Importer : public registry::RegFileHandler {
 public:
  Importer(registry::HiveSession* session, bool view32, Context* context)
      : session_(session), view32_(view32), context_(context) {}

  bool OpenKey(const std::string& path) override {
    current_ = nullptr;
    registry::Key* hive;
    std::string subkey;
    if (!Locate(path, &hive, &subkey)) return false;
    registry::Key* key = hive->Find(subkey);
    if (key != nullptr && !registry::AccessGranted(*key, platform::kKeySetValue)) {
      context_->Message("Access is denied");
      failed_ = true;
      return false;
    }
    current_ = key != nullptr ? key : hive->Create(subkey);
    return true;
  }

  void DeleteKey(const std::string& path) override {
    registry::Key* hive;
    std::string subkey;
    if (Locate(path, &hive, &subkey)) hive->Delete(subkey);
  }

  void SetValue(const std::string& name, uint32_t type, const std::string& data) override {
    current_->SetValue(name, type, data);
  }
  void DeleteValue(const std::string& name) override { current_->DeleteValue(name); }

  void Problem(int /*line*/, const std::string& message) override {
    if (message.rfind(kEscapeWarning, 0) == 0) context_->Message(message);
  }

  bool failed() const { return failed_; }

 private:
  // The hive and the path inside it of a key named in the file.
  bool Locate(const std::string& path, registry::Key** hive, std::string* subkey) {
    KeyName name;
    Context quiet;
    if (!ParseKeyName(path, &name, &quiet) || name.subkey.empty()) {
      context_->Message("Unable to open the registry key '" + path + "'");
      return false;
    }
    *hive = OpenHive(session_, name.root, true, context_);
    if (*hive == nullptr) {
      failed_ = true;
      return false;
    }
    *subkey = registry::ResolveView(name.root, name.subkey, view32_);
    return true;
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
  if (registry::ParseRegFile(bytes.str(), &importer) == registry::RegFileStatus::kBadHeader) {
    context->Message("The file '" + file + "' is not a valid registry file.");
    return 1;
  }
  // Like Wine's reg, a successful import prints nothing.
  if (CommitOrReport(&session, context) != 0 || importer.failed()) return 1;
  return 0;
}

}  // namespace reg
