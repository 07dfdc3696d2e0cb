// The in-memory registry tree: keys with case-insensitive, case-preserving
// names, each holding values and subkeys kept in the registry's own order
// (names compared case-insensitively, as lower case).
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_KEY_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_KEY_H_

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace registry {

// Every access right: the default grant of a key.
constexpr uint32_t kAllAccess = 0xFFFFFFFF;

// One value. String types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) hold ANSI
// bytes as RegQueryValueExA returns them; every other type holds raw bytes.
struct Value {
  std::string name;  // empty for the default value
  uint32_t type = 0;
  std::string data;
};

// Orders names as the registry lists them: case-insensitively, a prefix first.
int CompareNames(const std::string& a, const std::string& b);
bool SameName(const std::string& a, const std::string& b);

class Key {
 public:
  explicit Key(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  uint32_t access() const { return access_; }
  void set_access(uint32_t access) { access_ = access; }

  const std::vector<Value>& values() const { return values_; }
  const Value* FindValue(const std::string& name) const;
  // Sets a value, keeping the stored name's case when it already exists.
  void SetValue(const std::string& name, uint32_t type, std::string data);
  bool DeleteValue(const std::string& name);
  void DeleteAllValues() { values_.clear(); }

  const std::vector<std::unique_ptr<Key>>& subkeys() const { return subkeys_; }
  Key* FindSubkey(const std::string& name) const;
  Key* CreateSubkey(const std::string& name);
  bool DeleteSubkey(const std::string& name);

  // The key at a backslash-separated path below this one (empty path: this
  // key); null when a part is missing. Empty parts are skipped.
  Key* Find(const std::string& path);
  Key* Create(const std::string& path);
  // Deletes the key at a path below this one with everything under it;
  // false when there is none (an empty path names no key below).
  bool Delete(const std::string& path);

 private:
  std::string name_;
  uint32_t access_ = kAllAccess;
  std::vector<Value> values_;
  std::vector<std::unique_ptr<Key>> subkeys_;
};

// The parts of a backslash-separated key path, without empty parts.
std::vector<std::string> SplitKeyPath(const std::string& path);

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_KEY_H_
