#include "platform/posix/registry/hive_store.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/posix/registry/reg_file_parser.h"
#include "platform/posix/registry/reg_file_writer.h"

namespace registry {

namespace {

constexpr uint32_t kViewFlags = platform::kKeyWow64_32Key | platform::kKeyWow64_64Key;
constexpr uint32_t kMaximumAllowed = 0x02000000;
constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kGenericExecute = 0x20000000;
constexpr uint32_t kGenericAll = 0x10000000;
constexpr uint32_t kKeyWrite = 0x00020006;

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

// Writes all of `bytes`, with SIGXFSZ ignored so that passing the file-size
// limit fails the write (EFBIG) instead of killing the process.
bool WriteAll(int fd, const std::string& bytes) {
  struct sigaction ignore = {};
  struct sigaction previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(written);
  }
  int saved = errno;
  sigaction(SIGXFSZ, &previous, nullptr);
  errno = saved;
  return ok;
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
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  if (!ok) *error = "cannot write " + temporary + ": " + ErrnoText();
  fchmod(fd, 0644);
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
  if (lock_fd_ >= 0) {
    while (flock(lock_fd_, mode_ == Mode::kWrite ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
    }
  }
}

HiveSession::~HiveSession() {
  if (lock_fd_ >= 0) close(lock_fd_);  // closing releases the lock
}

std::string HiveSession::HivePath(platform::RootKey root) const {
  return prefix_ + "/" + HiveFileName(root);
}

HiveSession::Loaded* HiveSession::Slot(platform::RootKey root) {
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
  Loaded* loaded = Slot(root);
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
  if (hive != nullptr) Slot(root)->changed = true;
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
  requested &= ~(kViewFlags | kMaximumAllowed);
  if (requested & kGenericRead) requested = (requested & ~kGenericRead) | platform::kKeyRead;
  if (requested & kGenericWrite) requested = (requested & ~kGenericWrite) | kKeyWrite;
  if (requested & kGenericExecute) {
    requested = (requested & ~kGenericExecute) | (platform::kKeyRead & ~platform::kKeyNotify);
  }
  if (requested & kGenericAll) requested = (requested & ~kGenericAll) | platform::kKeyAllAccess;
  return (requested & ~key.access()) == 0;
}

}  // namespace registry
