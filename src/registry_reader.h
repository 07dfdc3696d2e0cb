// Read access to the Windows registry: a key-and-value accessor (TRegistry)
// and its typed reads that fall back to a default (TRegistryX). The program
// never writes the registry through these; it writes only through reg.exe.
#ifndef TARNWELL_SRC_REGISTRY_READER_H_
#define TARNWELL_SRC_REGISTRY_READER_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "src/errors.h"

// A value's type as the accessor reports it.
enum class TRegDataType { kString, kExpandString, kInteger, kBinary, kOther };

class TRegistry {
 public:
  TRegistry();
  explicit TRegistry(uint32_t access);
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  void SetAccess(uint32_t access) { access_ = access; }
  // Closes the current key when the root changes.
  void SelectRoot(platform::RootKey root);
  // Whether the key can be opened for reading; touches neither the current
  // key nor the access mask.
  bool KeyPresent(const std::string& path);
  // Opens an existing key with the access mask and makes it current; on
  // failure the current key stays as it was.
  bool OpenExistingKey(const std::string& path);
  bool ValuePresent(const std::string& name);
  TRegDataType ValueKind(const std::string& name);
  // The base reads raise ERegistryException when the data cannot be read or
  // has another type.
  std::string ReadText(const std::string& name);
  int32_t ReadNumber(const std::string& name);
  bool ReadFlag(const std::string& name) { return ReadNumber(name) != 0; }
  // Closes the current key without flushing it (keys are written lazily).
  void CloseCurrentKey();

  platform::RegistryKey CurrentKey() const { return current_key_; }
  const std::string& CurrentPath() const { return current_path_; }
  platform::RootKey Root() const { return root_; }
  uint32_t Access() const { return access_; }

 private:
  platform::RegistryKey current_key_ = 0;
  platform::RootKey root_ = platform::kHkeyCurrentUser;
  std::string current_path_;
  uint32_t access_ = platform::kKeyAllAccess;
};

class TRegistryX : public TRegistry {
 public:
  using TRegistry::TRegistry;

  // Each reads the value only when it exists with the expected type; a
  // missing or mistyped value gives the default.
  bool ReadFlagOr(const std::string& name, bool default_value);
  std::string ReadTextOr(const std::string& name, const std::string& default_value);
  int32_t ReadNumberOr(const std::string& name, int32_t default_value);
};

#endif  // TARNWELL_SRC_REGISTRY_READER_H_
