// The registry: keys opened and values read through the wide API, texts in UTF-8.
#include "platform/win32/win32_platform.h"

#include <cstring>

#include "platform/win32/wide_text.h"

namespace platform {
namespace {

HKEY ToHkey(RootKey root) {
  // Predefined keys are sign-extended 32-bit values: 0x80000002 becomes
  // 0xFFFFFFFF80000002 on 64-bit Windows.
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A value's type and data, texts in UTF-8, however much it grows between reads.
LONG ReadValue(HKEY key, const wchar_t* name, DWORD* type, std::string* data) {
  data->clear();
  for (;;) {
    DWORD size = static_cast<DWORD>(data->size());
    LONG status = RegQueryValueExW(key, name, nullptr, type,
                                   size ? reinterpret_cast<BYTE*>(&(*data)[0]) : nullptr, &size);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return status;
    if (status == ERROR_SUCCESS && size <= data->size()) {
      data->resize(size);
      break;
    }
    data->resize(size);
  }
  if (IsText(*type))
    *data = Narrow(reinterpret_cast<const wchar_t*>(data->data()),
                   static_cast<int>(data->size() / sizeof(wchar_t)));
  return ERROR_SUCCESS;
}

}  // namespace

uint32_t Win32Platform::OpenKey(RootKey root, const std::string& subkey, uint32_t access,
                                RegistryKey* key) {
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExW(ToHkey(root), Wide(subkey), 0, access, &opened);
  *key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
  return static_cast<uint32_t>(status);
}

uint32_t Win32Platform::QueryValue(RegistryKey key, const std::string& name, uint32_t* type,
                                   void* data, uint32_t* size) {
  if (data && !size) return kErrorInvalidParameter;
  DWORD value_type = 0;
  std::string value;
  const LONG status = ReadValue(reinterpret_cast<HKEY>(key), Wide(name), &value_type, &value);
  if (status != ERROR_SUCCESS) return static_cast<uint32_t>(status);
  if (type) *type = value_type;
  if (!size) return kErrorSuccess;
  const bool fits = *size >= value.size();
  *size = static_cast<uint32_t>(value.size());
  if (!data) return kErrorSuccess;
  if (!fits) return kErrorMoreData;
  std::memcpy(data, value.data(), value.size());
  return kErrorSuccess;
}

void Win32Platform::CloseKey(RegistryKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

}  // namespace platform
