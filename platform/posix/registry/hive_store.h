// The hive files of the emulated registry in the prefix directory:
// system.reg (HKEY_LOCAL_MACHINE) and user.reg (HKEY_CURRENT_USER), in the
// registry-editor text format.
//
// Processes share them through a lock file in the prefix: readers hold a
// shared flock, writers an exclusive one across their read-modify-write, and a
// hive is replaced atomically (temporary file, fsync, rename), so a failed
// write leaves the old hive as it was. A hive that does not parse is never
// written over: it is left for a person to inspect.
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_HIVE_STORE_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_HIVE_STORE_H_

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/posix/registry/key.h"

namespace registry {

constexpr char kLockFileName[] = ".registry.lock";

// The file name of a root's hive ("system.reg", "user.reg"), or null for a
// root the emulation does not hold.
const char* HiveFileName(platform::RootKey root);
// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* RootName(platform::RootKey root);

// Parses hive file contents into `root`; false with a message naming the
// line when the contents are not a complete hive.
bool ParseHive(const std::string& bytes, platform::RootKey root, Key* hive, std::string* error);

// One locked use of the registry in a prefix. The lock is held from
// construction to destruction.
class HiveSession {
 public:
  enum class Mode { kRead, kWrite };
  HiveSession(std::string prefix, Mode mode);
  ~HiveSession();
  HiveSession(const HiveSession&) = delete;
  HiveSession& operator=(const HiveSession&) = delete;

  // The root's hive, loaded on first use (a missing file is an empty hive);
  // null with `*error` set when the file cannot be read or does not parse.
  Key* Hive(platform::RootKey root, std::string* error);
  // Hive() for changing: Commit() writes it back.
  Key* HiveForChange(platform::RootKey root, std::string* error);
  // Writes every changed hive; false with `*error` when one could not be
  // written (that hive file stays as it was).
  bool Commit(std::string* error);

  std::string HivePath(platform::RootKey root) const;

 private:
  struct Loaded;
  // The root's hive as read and parsed on its first use in the session; null
  // for a root the emulation does not hold.
  Loaded* LoadHive(platform::RootKey root);

  std::string prefix_;
  Mode mode_;
  int lock_fd_ = -1;
  std::unique_ptr<Loaded> machine_;
  std::unique_ptr<Loaded> user_;
};

// Access a key grants for a request: the view flags are ignored, generic
// rights map to the key rights they stand for.
bool AccessGranted(const Key& key, uint32_t requested);

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_HIVE_STORE_H_
