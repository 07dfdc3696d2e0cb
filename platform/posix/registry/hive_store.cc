#include "platform/posix/registry/hive_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/posix/registry/reg_file_parser.h"
#include "platform/posix/registry/reg_file_writer.h"
#include "platform/posix/system_call.h"

namespace registry {

namespace {

// Builds a hive from its file; every key must lie under the hive's root.
class HiveBuilder : public RegFileHandler {
 public:
  HiveBuilder(Key* root, std::string root_name) : root_(root), root_name_(std::move(root_name)) {}

  bool OpenKey(const std::string& path) override {
    std::string rest;
    if (!BelowRoot(path, &rest)) {
      Problem(0, "key outside " + root_name_ + ": " + path);
      current_ = nullptr;
      return false;
    }
    current_ = root_->Create(rest);
    return true;
  }
  void DeleteKey(const std::string& path) override {
    Problem(0, "key deletion in a hive: " + path);
  }
  void SetValue(const std::string& name, uint32_t type, const std::string& data) override {
    current_->SetValue(name, type, data);
  }
  void DeleteValue(const std::string& name) override {
    Problem(0, "value deletion in a hive: " + name);
  }
  void SetAccess(uint32_t mask) override { current_->set_access(mask); }
  // The parser stops at its first bad line, so its last problem names it;
  // the hive's own problems (line 0) are errors at once.
  void Problem(int line, const std::string& message) override {
    if (failed_) return;
    error_ = line > 0 ? "line " + std::to_string(line) + ": " + message : message;
    failed_ = line == 0;
  }

  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }

 private:
  bool BelowRoot(const std::string& path, std::string* rest) const {
    size_t length = root_name_.size();
    if (path.size() < length || !SameName(path.substr(0, length), root_name_)) return false;
    if (path.size() == length) return true;
    if (path[length] != '\\') return false;
    *rest = path.substr(length + 1);
    return true;
  }

  Key* root_;
  std::string root_name_;
  Key* current_ = nullptr;
  std::string error_;
  bool failed_ = false;
};

bool ReadWholeFile(const std::string& path, std::string* bytes, bool* missing) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *missing = errno == ENOENT;
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *bytes = buffer.str();
  return !in.bad();
}

std::string ErrnoText() { return std::strerror(errno); }

// Replaces `path` by a file holding `bytes`: a temporary file in the same
// directory, flushed to disk, then renamed over it.
bool ReplaceAtomically(const std::string& directory, const std::string& path,
                       const std::string& bytes, std::string* error) {
  std::string temporary = directory + "/.hive.XXXXXX";
  int fd = mkstemp(&temporary[0]);
  if (fd < 0) {
    *error = "cannot create a temporary file in " + directory + ": " + ErrnoText();
    return false;
  }
  bool ok =
      platform::WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0 && fchmod(fd, 0644) == 0;
  if (!ok) *error = "cannot write " + temporary + ": " + ErrnoText();
  if (close(fd) != 0 && ok) {
    ok = false;
    *error = "cannot write " + temporary + ": " + ErrnoText();
  }
  if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    *error = "cannot replace " + path + ": " + ErrnoText();
  }
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  // Best effort: the new hive is in place, and a directory that cannot be
  // synced risks only the old hive coming back after a crash.
  int dir_fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    fsync(dir_fd);
    close(dir_fd);
  }
  return true;
}

}  // namespace

const char* HiveFileName(platform::RootKey root) {
  switch (root) {
    case platform::kHkeyLocalMachine:
      return "system.reg";
    case platform::kHkeyCurrentUser:
      return "user.reg";
    default:
      return nullptr;
  }
}

const char* RootName(platform::RootKey root) {
  switch (root) {
    case platform::kHkeyLocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case platform::kHkeyCurrentUser:
      return "HKEY_CURRENT_USER";
    default:
      return nullptr;
  }
}

bool ParseHive(const std::string& bytes, platform::RootKey root, Key* hive, std::string* error) {
  // A hive cut short (a full disk, a crash) lacks the end marker.
  std::string end = std::string("\n") + kHiveEndMarker + "\n";
  if (bytes.size() < end.size() || bytes.compare(bytes.size() - end.size(), end.size(), end) != 0) {
    *error = "the file is incomplete (no end marker)";
    return false;
  }
  HiveBuilder builder(hive, RootName(root));
  RegFileOptions options;
  options.hive = true;
  options.strict = true;
  RegFileStatus status = ParseRegFile(bytes, &builder, options);
  if (status == RegFileStatus::kBadHeader || status == RegFileStatus::kIgnored) {
    *error = "the file is not a registry hive";
    return false;
  }
  if (status == RegFileStatus::kBadLine || builder.failed()) {
    *error = builder.error();
    return false;
  }
  return true;
}

struct HiveSession::Loaded {
  explicit Loaded(const char* root_name) : hive(root_name) {}
  Key hive;
  bool valid = false;
  bool changed = false;
  std::string error;
};

HiveSession::HiveSession(std::string prefix, Mode mode) : prefix_(std::move(prefix)), mode_(mode) {
  std::string lock_path = prefix_ + "/" + kLockFileName;
  lock_fd_ = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock_fd_ < 0 && mode_ == Mode::kRead) {
    lock_fd_ = open(lock_path.c_str(), O_RDONLY | O_CLOEXEC);
  }
  // Without the lock the session may still read, but never change a hive.
  const int lock = mode_ == Mode::kWrite ? LOCK_EX : LOCK_SH;
  if (lock_fd_ >= 0 && platform::RetryAfterSignal([&] { return flock(lock_fd_, lock); }) != 0) {
    close(lock_fd_);
    lock_fd_ = -1;
  }
}

HiveSession::~HiveSession() {
  if (lock_fd_ >= 0) close(lock_fd_);  // closing releases the lock
}

std::string HiveSession::HivePath(platform::RootKey root) const {
  return prefix_ + "/" + HiveFileName(root);
}

HiveSession::Loaded* HiveSession::LoadHive(platform::RootKey root) {
  std::unique_ptr<Loaded>* slot = nullptr;
  if (root == platform::kHkeyLocalMachine) slot = &machine_;
  if (root == platform::kHkeyCurrentUser) slot = &user_;
  if (slot == nullptr) return nullptr;
  if (*slot) return slot->get();
  *slot = std::make_unique<Loaded>(RootName(root));
  Loaded* loaded = slot->get();
  std::string path = HivePath(root);
  std::string bytes;
  bool missing = false;
  if (!ReadWholeFile(path, &bytes, &missing)) {
    loaded->valid = missing;
    if (!missing) loaded->error = "cannot read the registry hive " + path + ": " + ErrnoText();
    return loaded;
  }
  std::string error;
  loaded->valid = ParseHive(bytes, root, &loaded->hive, &error);
  if (!loaded->valid) loaded->error = "the registry hive " + path + " is damaged: " + error;
  return loaded;
}

Key* HiveSession::Hive(platform::RootKey root, std::string* error) {
  Loaded* loaded = LoadHive(root);
  if (loaded == nullptr) {
    *error = "this registry root is not available";
    return nullptr;
  }
  if (!loaded->valid) {
    *error = loaded->error;
    return nullptr;
  }
  return &loaded->hive;
}

Key* HiveSession::HiveForChange(platform::RootKey root, std::string* error) {
  if (mode_ != Mode::kWrite || lock_fd_ < 0) {
    *error = "cannot lock the registry in " + prefix_;
    return nullptr;
  }
  Key* hive = Hive(root, error);
  if (hive != nullptr) LoadHive(root)->changed = true;
  return hive;
}

bool HiveSession::Commit(std::string* error) {
  for (platform::RootKey root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    Loaded* loaded = root == platform::kHkeyLocalMachine ? machine_.get() : user_.get();
    if (loaded == nullptr || !loaded->changed) continue;
    if (!ReplaceAtomically(prefix_, HivePath(root), FormatHive(loaded->hive, RootName(root)),
                           error)) {
      return false;
    }
    loaded->changed = false;
  }
  return true;
}

bool AccessGranted(const Key& key, uint32_t requested) {
  struct GenericRight {
    uint32_t generic;
    uint32_t rights;  // the key rights it stands for
  };
  static constexpr GenericRight kGenericRights[] = {
      {platform::kGenericRead, platform::kKeyRead},
      {platform::kGenericWrite, platform::kKeyWrite},
      {platform::kGenericExecute, platform::kKeyRead & ~platform::kKeyNotify},
      {platform::kGenericAll, platform::kKeyAllAccess},
  };
  requested &= ~(platform::kKeyWow64Views | platform::kMaximumAllowed);
  for (const GenericRight& right : kGenericRights) {
    if (requested & right.generic) requested = (requested & ~right.generic) | right.rights;
  }
  return (requested & ~key.access()) == 0;
}

}  // namespace registry
