// The registry operations of the emulated Windows, over the hive files of the
// prefix. An open key holds a snapshot of its values taken under the shared
// lock, so a reader never sees a half-applied change.
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/posix/posix_platform.h"
#include "platform/posix/prefix.h"
#include "platform/posix/registry/hive_store.h"
#include "platform/posix/registry/views.h"

namespace platform {

namespace {

// Rights that let a handle query values.
constexpr uint32_t kQueryRights = kKeyQueryValue | kGenericRead | kGenericAll | kMaximumAllowed;

struct OpenedKey {
  uint32_t access = 0;
  std::vector<registry::Value> values;
};

class KeyTable {
 public:
  RegistryKey Add(std::unique_ptr<OpenedKey> key) {
    std::lock_guard<std::mutex> lock(mutex_);
    RegistryKey handle = next_;
    next_ += 4;
    keys_[handle] = std::move(key);
    return handle;
  }
  // Runs `use` on the key while it stays registered; false for an unknown handle.
  template <typename Use>
  bool With(RegistryKey handle, Use use) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = keys_.find(handle);
    if (it == keys_.end()) return false;
    use(*it->second);
    return true;
  }
  void Remove(RegistryKey handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    keys_.erase(handle);
  }

 private:
  std::mutex mutex_;
  // Handles look like Windows ones: small multiples of four, never 0.
  RegistryKey next_ = 0x1000;
  std::map<RegistryKey, std::unique_ptr<OpenedKey>> keys_;
};

KeyTable& Keys() {
  static KeyTable* table = new KeyTable;
  return *table;
}

}  // namespace

uint32_t PosixPlatform::OpenKey(RootKey root, const std::string& subkey, uint32_t access,
                                RegistryKey* key) {
  *key = 0;
  if (registry::HiveFileName(root) == nullptr) return kErrorInvalidHandle;
  registry::HiveSession session(PrefixDirectory(), registry::HiveSession::Mode::kRead);
  std::string error;
  // A damaged hive reads as an empty one: its keys are missing.
  registry::Key* hive = session.Hive(root, &error);
  if (hive == nullptr) return kErrorFileNotFound;
  registry::Key* found =
      hive->Find(registry::ResolveView(root, subkey, registry::WantsView32(access)));
  if (found == nullptr) return kErrorFileNotFound;
  if (!registry::AccessGranted(*found, access)) return kErrorAccessDenied;
  auto opened = std::make_unique<OpenedKey>();
  opened->access = access;
  opened->values = found->values();
  *key = Keys().Add(std::move(opened));
  return kErrorSuccess;
}

uint32_t PosixPlatform::QueryValue(RegistryKey key, const std::string& name, uint32_t* type,
                                   void* data, uint32_t* size) {
  uint32_t status = kErrorInvalidHandle;
  Keys().With(key, [&](const OpenedKey& opened) {
    if (data != nullptr && size == nullptr) {
      status = kErrorInvalidParameter;
      return;
    }
    if ((opened.access & kQueryRights) == 0) {
      status = kErrorAccessDenied;
      return;
    }
    const registry::Value* found = nullptr;
    for (const registry::Value& value : opened.values) {
      if (registry::SameName(value.name, name)) found = &value;
    }
    if (found == nullptr) {
      status = kErrorFileNotFound;
      return;
    }
    uint32_t needed = static_cast<uint32_t>(found->data.size());
    if (type != nullptr) *type = found->type;
    status = kErrorSuccess;
    if (data != nullptr && *size < needed) {
      status = kErrorMoreData;
    } else if (data != nullptr) {
      std::memcpy(data, found->data.data(), needed);
    }
    if (size != nullptr) *size = needed;
  });
  return status;
}

void PosixPlatform::CloseKey(RegistryKey key) { Keys().Remove(key); }

}  // namespace platform
