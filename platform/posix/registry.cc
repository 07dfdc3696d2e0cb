// Registry of the emulated Windows (placeholder until the hive store lands).
#include "platform/posix/posix_platform.h"

namespace platform {

uint32_t PosixPlatform::OpenKey(RootKey, const std::string&, uint32_t, RegistryKey* key) {
  *key = 0;
  return kErrorFileNotFound;
}

uint32_t PosixPlatform::QueryValue(RegistryKey, const std::string&, uint32_t*, void*, uint32_t*) {
  return kErrorInvalidHandle;
}

void PosixPlatform::CloseKey(RegistryKey) {}

}  // namespace platform
